// The settings window's start and its keys: the settings window on each platform turns
// its events into these calls.
#pragma once

#include <cstdint>
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

// The settings window's OnCreate. Loads the settings (a value that cannot be read is
// shown and keeps its default), then puts them into the controls, sizes and
// centres the window and attaches the picture. False when a value could
// not be read; the window is set up all the same.
bool StartSettingsWindow(SettingsWindowHost& host, SettingsStore& store, ErrorSink& errors);

// The window that owns the settings window, from LaunchPlan::settingsOwner:
// 0, none, when the text is no number or names no window (windowExists), so
// the window then opens as with a bare /c.
uint32_t DecideSettingsOwner(std::string_view settingsOwner, bool (*windowExists)(uint32_t handle));

// The keys a window's rules tell apart.
enum class SaverKey { Escape, Other };

// OnKeyDown: true when the key ends the settings window (Esc).
bool SettingsKeyEndsWindow(SaverKey key);

}  // namespace zarvella
