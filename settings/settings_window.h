// The settings window's controls: their layout, how stored values reach them,
// and what their handlers do. The platform shells only draw.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings/settings.h"
#include "settings/settings_table.h"

namespace zarvella {

inline constexpr int kSettingsWindowWidth = 400;  // client and outer, set in FormCreate
inline constexpr int kSettingsWindowHeight = 430;
inline constexpr int kSettingsTimerMs = 40;
inline constexpr const char* kSettingsTitle = "Zarvella Settings";
inline constexpr const char* kProductSite = "https://zarvella.example.org/";

inline constexpr ControlRect kButton1Rect{11, 380, 105, 17};
inline constexpr const char* kButton1Caption = "Save Settings";
inline constexpr ControlRect kButton2Rect{144, 380, 105, 17};
inline constexpr const char* kButton2Caption = "Our Site";

// Keyboard order of the controls.
enum class ControlId {
    TrackBar1,
    TrackBar2,
    TrackBar3,
    TrackBar4,
    TrackBar5,
    TrackBar6,
    CheckBox1,
    Button1,
    Button2
};
inline constexpr std::array<ControlId, 9> kTabOrder = {
    ControlId::TrackBar1, ControlId::Button1,   ControlId::Button2,
    ControlId::TrackBar2, ControlId::TrackBar3, ControlId::TrackBar4,
    ControlId::TrackBar5, ControlId::TrackBar6, ControlId::CheckBox1};

// 1 to 6 for a slider's id, 0 for the other controls.
constexpr int TrackNumber(ControlId id) {
    const int n = static_cast<int>(id) - static_cast<int>(ControlId::TrackBar1) + 1;
    return n >= 1 && n <= kTrackBarCount ? n : 0;
}

// What the settings window's platform side does for the rules below.
class SettingsWindowHost {
  public:
    virtual ~SettingsWindowHost() = default;
    // Sliders are numbered 1 to 6. Setting a position must not raise the
    // change handler: the rules decide which handlers run.
    virtual int TrackBarPosition(int track) = 0;
    virtual void SetTrackBarPosition(int track, int position) = 0;
    virtual void SetCheckBox(bool checked) = 0;
    // 400x430 client then outer size, centred by CentredOrigin.
    virtual void SizeAndCentre() = 0;
    // Pixel format, context, SetupGL(Settings variant).
    virtual void AttachContext() = 0;
    // Why AttachContext made no context; empty when it made one.
    virtual std::string ContextFailure() { return {}; }
};

// TrackBarNChange: the slider's position becomes its setting.
void TrackBarChange(int track, int position);
// CheckBox1Click.
void CheckBox1Click(bool checked);

// Put SaverSettings into the controls: a clamped value that differs from the
// slider's position moves it and runs its change handler.
void PutSettingsIntoControls(SettingsWindowHost& host);

}  // namespace zarvella
