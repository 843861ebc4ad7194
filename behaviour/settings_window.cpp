#include "behaviour/settings_window.h"

#include <algorithm>

#include "behaviour/fullscreen_window.h"
#include "behaviour/monitors.h"
#include "behaviour/window_handle.h"
#include "engine/animation.h"
#include "engine/picture.h"
#include "engine/random.h"

namespace zarvella {

namespace {
// The setting behind a control of this kind at `row`; none for any other row.
const SettingInfo* RowOf(int row, SettingControl control) {
    if (row < 0 || static_cast<size_t>(row) >= kSettingsTable.size()) return nullptr;
    const SettingInfo& info = kSettingsTable[static_cast<size_t>(row)];
    return info.control == control ? &info : nullptr;
}
}  // namespace

void SliderChange(SaverSettingsRecord& settings, int row, int position) {
    if (const SettingInfo* info = RowOf(row, SettingControl::Slider))
        SetSettingValue(*info, settings, position);
}

void CheckBoxClick(SaverSettingsRecord& settings, int row, bool checked) {
    if (const SettingInfo* info = RowOf(row, SettingControl::CheckBox))
        SetSettingValue(*info, settings, checked ? 1 : 0);
}

void PutSettingsIntoControls(SettingsWindowHost& host, SaverSettingsRecord& settings) {
    for (int row = 0; row < kSliderCount; ++row) {
        const SettingInfo& info = kSettingsTable[static_cast<size_t>(row)];
        const int clamped = std::clamp(SettingValue(info, settings), info.min, info.max);
        // A slider only notifies when it actually moves, and a stored value at
        // its layout position stays unclamped (docs/compatibility.md).
        if (clamped != host.SliderPosition(row)) {
            host.SetSliderPosition(row, clamped);
            SliderChange(settings, row, clamped);
        }
    }
    if (settings.RandomPicture) {
        host.SetCheckBox(kRandomPictureRow, true);
        CheckBoxClick(settings, kRandomPictureRow, true);
    }
}

// The picture above a 100-pixel strip, 130 pixels less than the window
// (docs/compatibility.md).
GlViewport SettingsPictureViewport(int outerWidth, int outerHeight, int dpi) {
    const int strip = ScaleForDpi(kControlStripHeight, dpi);
    return {0, strip, outerWidth, outerHeight - strip - ScaleForDpi(kSettingsFrameExtra, dpi)};
}

PixelSize SettingsClientSize(PixelSize available, PixelSize frame) {
    if (frame == PixelSize{}) frame = kUntoldFrame;
    return FitWithin({kSettingsWindowWidth, kSettingsWindowHeight},
                     {available.width - frame.width, available.height - frame.height});
}

void SettingsDpiChanged(int outerWidth, int outerHeight, int dpi) {
    SetViewport(SettingsPictureViewport(outerWidth, outerHeight, dpi));
}

uint32_t DecideSettingsOwner(std::string_view settingsOwner,
                             bool (*windowExists)(uint32_t handle)) {
    const uint32_t owner = ParseWindowHandle(settingsOwner);
    return owner != 0 && windowExists(owner) ? owner : 0;
}

bool StartSettingsWindow(SettingsWindowHost& host, PictureRecord& picture, SettingsStore& store,
                         ErrorSink& errors) {
    const LoadedSettings loaded = LoadSettings(store, errors);
    picture.settings = loaded.settings;
    // Here the random picture is drawn first and the animation after the
    // context, unlike the other windows' StartPicture (docs/compatibility.md).
    SeedRandom(picture.random);
    ChooseRandomPicture(picture.settings, picture.random);
    PutSettingsIntoControls(host, picture.settings);
    host.SizeAndCentre();
    host.AttachContext();
    if (const std::string why = host.ContextFailure(); !why.empty()) {
        errors.ShowError(GlStartError(why));
    }
    picture.animation = SeedAnimationState(picture.random);
    return loaded.Complete();
}

bool SettingsKeyEndsWindow(SaverKey key) {
    return key == SaverKey::Escape;
}

}  // namespace zarvella
