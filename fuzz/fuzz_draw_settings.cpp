// Whatever LoadSettings may leave in the settings (any 32-bit values, mostly
// near the sliders' ranges) drawn as the full-screen saver uses them, then put
// into the settings window's sliders and drawn again, on the counting GL, with
// the grid cells outside the walk poisoned.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "behaviour/settings_window.h"
#include "counting_gl.h"
#include "engine/animation.h"
#include "engine/fpu.h"
#include "engine/picture.h"
#include "engine/random.h"
#include "engine/render.h"
#include "frame_checks.h"
#include "settings/settings.h"

using namespace zarvella;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "draw: %s %s\n", what, detail.c_str());
    std::abort();
}

void Require(bool ok, const char* what, const std::string& detail = {}) {
    if (!ok) Fail(what, detail);
}

std::string Show(const SaverSettingsRecord& r) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "{%d %d %d %d %d %d %d}", r.Speed, r.Brightness, r.Size,
                  r.Segments, r.Detail, r.PictureKind, r.RandomPicture ? 1 : 0);
    return buf;
}

// The settings window's platform side: sliders that only move when told.
class FakeSettingsWindow : public SettingsWindowHost {
  public:
    FakeSettingsWindow() {
        for (int t = 0; t < 6; ++t) positions[t] = kSettingsTable[t].layoutPosition;
    }
    int SliderPosition(int row) override { return positions[Row(row)]; }
    void SetSliderPosition(int row, int position) override {
        const SettingInfo& info = kSettingsTable[Row(row)];
        Require(position >= info.min && position <= info.max, "slider set outside its range");
        positions[Row(row)] = position;
    }
    void SetCheckBox(int row, bool checked) override {
        Require(row == kRandomPictureRow, "check box row out of range");
        checkBox = checked;
    }
    void SizeAndCentre() override { ++sized; }
    void AttachContext() override {
        const GlViewport picture =
            SettingsPictureViewport(kSettingsWindowWidth, kSettingsWindowHeight);
        SetupGL(GlVariant::Settings, &picture);
    }
    static int Row(int row) {
        Require(row >= 0 && row < kSliderCount, "slider row out of range");
        return row;
    }
    int positions[6];
    bool checkBox = false;
    int sized = 0;
};

// Frames of a fresh picture with these settings.
void DrawFrames(const SaverSettingsRecord& settings, int count) {
    static PictureRecord picture;  // too large for a fuzzer's stack frame
    picture = {};
    picture.settings = settings;
    FrameHooks hooks;
    const int32_t detail = FrameDetail(picture.settings);
    stress::PoisonOutsideWalk(picture.grid, detail);
    picture.animation = SeedAnimationState(picture.random);
    for (int f = 0; f < count; ++f) {
        stress::ResetGlCounts();
        RenderFrame(picture, hooks);
        if (const char* fault = stress::FrameFault(picture.settings))
            Fail("unsound frame:", std::string(fault) + " " + Show(picture.settings));
    }
    Require(stress::PoisonedCellsChanged(picture.grid, detail) == 0, "frame wrote outside the walk",
            Show(picture.settings));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool masked = (MaskFloatingPointExceptions(), true);
    (void)masked;
    FuzzedDataProvider in(data, size);

    // The seven values as loaded: mostly small numbers around the sliders,
    // sometimes anything at all.
    uint32_t values[7];
    for (uint32_t& value : values) {
        const uint8_t kind = in.ConsumeIntegral<uint8_t>();
        value = (kind & 0x80) ? in.ConsumeIntegral<uint32_t>()
                              : static_cast<uint32_t>(in.ConsumeIntegralInRange<int32_t>(-3, 60));
    }
    SaverSettingsRecord s;
    s.Speed = static_cast<int32_t>(values[0]);
    s.Brightness = static_cast<int32_t>(values[1]);
    s.Size = static_cast<int32_t>(values[2]);
    s.Segments = static_cast<int32_t>(values[3]);
    s.Detail = static_cast<int32_t>(values[4]);
    s.PictureKind = static_cast<int32_t>(values[5]);
    s.RandomPicture = values[6] != 0;

    // The full-screen saver draws the values as loaded, after the random pick.
    RandomRecord random{static_cast<uint32_t>(size) * 2654435761u};
    const int32_t storedKind = s.PictureKind;
    ChooseRandomPicture(s, random);
    if (s.RandomPicture) {
        Require(s.PictureKind >= 1 && s.PictureKind <= 9, "random kind outside 1..9");
    } else {
        Require(s.PictureKind == storedKind, "kind changed without Random");
    }
    DrawFrames(s, 1);

    // The settings window puts them into its sliders; the picture then uses
    // what the rules leave in the settings.
    const SaverSettingsRecord loadedSettings = s;
    FakeSettingsWindow window;
    PutSettingsIntoControls(window, s);
    for (int t = 0; t < 6; ++t) {
        const SettingInfo& info = kSettingsTable[t];
        const int32_t stored = SettingValue(info, loadedSettings);
        const int32_t clamped = stored < info.min   ? info.min
                                : stored > info.max ? info.max
                                                    : stored;
        Require(window.positions[t] == clamped, "slider does not show the clamped value",
                info.label);
        // A value that had to move the slider is written back; one that left
        // it at its layout position stays as stored.
        const int32_t now = SettingValue(info, s);
        Require(now == (clamped == info.layoutPosition ? stored : clamped),
                "setting after the sliders", info.label);
    }
    Require(window.checkBox == loadedSettings.RandomPicture, "check box");
    const GlViewport picture = SettingsPictureViewport(kSettingsWindowWidth, kSettingsWindowHeight);
    SetupGL(GlVariant::Settings, &picture);
    DrawFrames(s, 1);
    return 0;
}
