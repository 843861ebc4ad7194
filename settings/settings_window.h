// The settings window's rules: its layout, how stored values reach the
// controls, and what the controls' handlers do. The platform shells only draw.
#pragma once

#include <array>
#include <cstdint>

#include "settings/settings.h"

namespace zarvella {

inline constexpr int kSettingsWindowWidth = 400;  // client and outer, set in FormCreate
inline constexpr int kSettingsWindowHeight = 430;
inline constexpr int kSettingsTimerMs = 40;
inline constexpr const char* kSettingsTitle = "Zarvella Settings";
inline constexpr const char* kProductSite = "https://zarvella.example.org/";

struct ControlRect {
    int left, top, width, height;
};

struct TrackBarInfo {
    const char* label;  // caption of the label above it
    ControlRect labelRect;
    ControlRect rect;
    int min, max;
    int layoutPosition;  // the position the slider has before FormCreate moves it
    int32_t SaverSettingsRecord::*setting;
};

// TrackBar1 .. TrackBar6, in order.
extern const std::array<TrackBarInfo, 6> kTrackBars;

inline constexpr ControlRect kCheckBox1Rect{10, 290, 375, 17};
inline constexpr const char* kCheckBox1Caption = "Random";
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
    // Pixel format, context, SetupGL(Settings variant). May fail silently.
    virtual void AttachContext() = 0;
};

// TrackBarNChange: the slider's position becomes its setting.
void TrackBarChange(int track, int position);
// CheckBox1Click.
void CheckBox1Click(bool checked);

// Put SaverSettings into the controls: a clamped value that differs from the
// slider's position moves it and runs its change handler.
void PutSettingsIntoControls(SettingsWindowHost& host);

// TForm2.FormCreate. False when loading failed (the rest is skipped).
bool SettingsFormCreate(SettingsWindowHost& host, SettingsStore& store, ErrorSink& errors);

// (screen - client) / 2, rounded to nearest with halves to even.
int CentredOrigin(int screenExtent, int clientExtent);

}  // namespace zarvella
