// The settings window's rules: its layout and picture, its start, how stored
// values reach its controls, what their handlers do, its owner and its keys.
// The settings window on each platform turns its events into these calls.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "behaviour/monitors.h"
#include "engine/render.h"
#include "settings/settings.h"
#include "settings/settings_table.h"

namespace zarvella {

inline constexpr int kSettingsWindowWidth = 400;  // client and outer, set in OnCreate
inline constexpr int kSettingsWindowHeight = 430;
inline constexpr int kSettingsTimerMs = 40;
inline constexpr const char* kSettingsTitle = "Zarvella Settings";
// The project's home page (ZARVELLA_HOMEPAGE, set in CMake). Until there is
// one, Our Site opens the licence the program comes under, a page that exists
// and says what the user may do with it.
inline constexpr const char* kProductSite =
    ZARVELLA_HOMEPAGE[0] != '\0' ? ZARVELLA_HOMEPAGE : "https://opensource.org/license/mit";

inline constexpr ControlRect kSaveButtonRect{11, 380, 105, 17};
inline constexpr const char* kSaveButtonCaption = "Save Settings";
inline constexpr ControlRect kSiteButtonRect{144, 380, 105, 17};
inline constexpr const char* kSiteButtonCaption = "Our Site";

// The controls: first one per row of the settings table, in its order, then
// the two buttons.
enum class ControlId {
    SpeedSlider,
    BrightnessSlider,
    SizeSlider,
    SegmentsSlider,
    DetailSlider,
    PictureSlider,
    RandomCheckBox,
    SaveButton,
    SiteButton
};
static_assert(static_cast<int>(ControlId::RandomCheckBox) == kRandomPictureRow);

// Keyboard order of the controls.
inline constexpr std::array<ControlId, 9> kTabOrder = {
    ControlId::SpeedSlider,      ControlId::SaveButton,    ControlId::SiteButton,
    ControlId::BrightnessSlider, ControlId::SizeSlider,    ControlId::SegmentsSlider,
    ControlId::DetailSlider,     ControlId::PictureSlider, ControlId::RandomCheckBox};

// The control's row of the settings table; -1 for a button.
constexpr int SettingRow(ControlId id) {
    return id < ControlId::SaveButton ? static_cast<int>(id) : -1;
}

// What the settings window's platform side does for the rules below.
class SettingsWindowHost {
  public:
    virtual ~SettingsWindowHost() = default;
    // A control is addressed by its row of the settings table. Setting a
    // position must not raise the change handler: the rules decide which
    // handlers run.
    virtual int SliderPosition(int row) = 0;
    virtual void SetSliderPosition(int row, int position) = 0;
    virtual void SetCheckBox(int row, bool checked) = 0;
    // 400x430 client then outer size, centred by CentredOrigin.
    virtual void SizeAndCentre() = 0;
    // Pixel format, context, SetupGL(Settings variant).
    virtual void AttachContext() = 0;
    // Why AttachContext made no context; empty when it made one.
    virtual std::string ContextFailure() { return {}; }
};

// A slider's change handler: its position becomes its row's setting.
void SliderChange(SaverSettingsRecord& settings, int row, int position);
// A check box's click handler.
void CheckBoxClick(SaverSettingsRecord& settings, int row, bool checked);

// Put `settings` into the controls: a clamped value that differs from the
// slider's position moves it and runs its change handler.
void PutSettingsIntoControls(SettingsWindowHost& host, SaverSettingsRecord& settings);

// The picture lies above a strip of controls 100 px high. The outer size a
// Windows frame has also holds 30 px of frame, which the picture leaves out.
inline constexpr int kControlStripHeight = 100;
inline constexpr int kSettingsFrameExtra = 30;

// The picture's viewport, which its context gets at set-up (SetupGL):
// (0, 100, outer width, outer height - 130) at 96 DPI; the strip and the
// frame grow with the window's DPI (the outer size is in device pixels), and
// shrink with a window scaled down to fit its screen (SettingsPlaced).
GlViewport SettingsPictureViewport(int outerWidth, int outerHeight, int dpi = 96);

// Room kept for a frame the window system does not tell of (a Wayland
// compositor's own title bar and borders, an X11 window manager's before it
// framed the window): a Windows frame, as the layout counts it, on every
// side, since a compositor that draws the frame may centre the client area
// alone and leave the title bar hanging above it.
inline constexpr PixelSize kUntoldFrame{16, 2 * kSettingsFrameExtra};

// The settings window's client size where the screen's area for windows is
// `available` (without panels) and the system puts a frame of `frame` around
// the client area (0x0: it does not tell, kUntoldFrame is kept): the
// layout's 400x430, scaled down as a whole, keeping its proportions, so that
// the window and its frame fit; on a screen with room, the layout's size.
PixelSize SettingsClientSize(PixelSize available, PixelSize frame);

// ---- the Windows window on a small screen
// There the layout's 400x430 is the outer size, frame inside, grown with the
// monitor's DPI. Where the monitor's work area (without the taskbar) is
// smaller, the window is scaled down as a whole by the Linux window's rule
// (FitWithin), so that every control can be reached.
PixelSize SettingsOuterSize(PixelSize workArea, int dpi);
// A rectangle of the layout in a window of that outer size at `dpi`:
// ScaleForDpi while the window has its full size, else scaled with it.
ControlRect SettingsPlaced(const ControlRect& layout, PixelSize outer, int dpi);
// Where the window goes: `centred`, where it always opened, unless that
// leaves part of it outside the work area; then moved just inside.
ScreenPoint SettingsOrigin(ScreenPoint centred, PixelSize outer, const PixelRect& work);

// The settings window moved to another DPI and took this outer size: its
// picture's viewport follows.
void SettingsDpiChanged(int outerWidth, int outerHeight, int dpi);

// The settings window's OnCreate. Loads the settings into the window's
// picture (a value that cannot be read is shown and keeps its default), then
// puts them into the controls, sizes and centres the window and attaches the
// picture. False when a value could not be read; the window is set up all
// the same. Without a GL context the failure is shown (GlStartError) and the
// controls stay.
bool StartSettingsWindow(SettingsWindowHost& host, PictureRecord& picture, SettingsStore& store,
                         ErrorSink& errors);

// The window that owns the settings window, from LaunchPlan::settingsOwner:
// 0, none, when the text is no number or names no window (windowExists), so
// the window then opens as with a bare /c.
uint32_t DecideSettingsOwner(std::string_view settingsOwner, bool (*windowExists)(uint32_t handle));

// The keys a window's rules tell apart.
enum class SaverKey { Escape, Other };

// OnKeyDown: true when the key ends the settings window (Esc).
bool SettingsKeyEndsWindow(SaverKey key);

}  // namespace zarvella
