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
    const PixelSize outer{outerWidth, outerHeight};
    const int strip = SettingsPlaced({0, 0, 0, kControlStripHeight}, outer, dpi).height;
    const int frame = SettingsPlaced({0, 0, 0, kSettingsFrameExtra}, outer, dpi).height;
    return {0, strip, outerWidth, outerHeight - strip - frame};
}

namespace {
PixelSize LayoutAtDpi(int dpi) {
    return {ScaleForDpi(kSettingsWindowWidth, dpi), ScaleForDpi(kSettingsWindowHeight, dpi)};
}
// The start that keeps [start, start + extent) inside [areaStart, areaEnd),
// or the area's start when it is too small.
int32_t KeepInside(int32_t start, int32_t extent, int32_t areaStart, int32_t areaEnd) {
    return std::max(areaStart, std::min(start, areaEnd - extent));
}
}  // namespace

PixelSize SettingsOuterSize(PixelSize workArea, int dpi) {
    return FitWithin(LayoutAtDpi(dpi), workArea);
}

ControlRect SettingsPlaced(const ControlRect& layout, PixelSize outer, int dpi) {
    // A window of about its full size (the frame or a DPI change may round it)
    // keeps the DPI's own rounding, as it always had.
    const PixelSize full = LayoutAtDpi(dpi);
    if (outer.width >= full.width - 1 || outer.height >= full.height - 1)
        return ScaleForDpi(layout, dpi);
    return ScaleToSize(layout, {kSettingsWindowWidth, kSettingsWindowHeight}, outer);
}

ScreenPoint SettingsOrigin(ScreenPoint centred, PixelSize outer, const PixelRect& work) {
    return {KeepInside(centred.x, outer.width, work.x, work.x + work.width),
            KeepInside(centred.y, outer.height, work.y, work.y + work.height)};
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
