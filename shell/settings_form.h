// The settings window's start and its keys: TForm2 on each platform turns
// its events into these calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/render.h"
#include "settings/settings_window.h"

namespace zarvella {

// The picture lies above a strip of controls 100 px high. The outer size a
// Windows frame has also holds 30 px of frame, which the picture leaves out.
inline constexpr int kControlStripHeight = 100;
inline constexpr int kSettingsFrameExtra = 30;

// (0, 100, outer width, outer height - 130) at 96 DPI; the strip and the
// frame grow with the window's DPI (the outer size is in device pixels).
GlViewport SettingsPictureViewport(int outerWidth, int outerHeight, int dpi = 96);

// SetupGL for a window of this outer size, frame included: only the
// settings window sets a viewport, its picture's.
void SetupWindowGL(GlVariant variant, int outerWidth, int outerHeight, int dpi = 96);

// The settings window moved to another DPI and took this outer size: its
// picture's viewport follows.
void SettingsDpiChanged(int outerWidth, int outerHeight, int dpi);

// With RandomPicture on, PictureKind becomes 1 to 9 (never 10).
void ChooseRandomPicture();

// No OpenGL context could be made for a window. The full-screen saver and
// the preview have nothing else to show: they show this text and end with
// kGlStartFailedExitCode. The settings window shows it and keeps its
// controls without a picture, so Save Settings still works.
inline constexpr int kGlStartFailedExitCode = 1;
std::string GlStartFailedText(std::string_view why);

// TForm2.FormCreate. Loads the settings (a value that cannot be read is
// shown and keeps its default), then puts them into the controls, sizes and
// centres the window and attaches the picture. False when a value could
// not be read; the window is set up all the same.
bool SettingsFormCreate(SettingsWindowHost& host, SettingsStore& store, ErrorSink& errors);

// The window that owns the settings window, from LaunchPlan::settingsOwner:
// 0, none, when the text is no number or names no window (windowExists), so
// the window then opens as with a bare /c.
uint32_t DecideSettingsOwner(std::string_view settingsOwner, bool (*windowExists)(uint32_t handle));

// The keys a window's rules tell apart.
enum class SaverKey { Escape, Other };

// FormKeyDown: true when the key ends the settings window (Esc).
bool SettingsKeyEndsWindow(SaverKey key);

}  // namespace zarvella
