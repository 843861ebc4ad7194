// Several monitors and their pixel density: where the full-screen window goes,
// which part of it each monitor sees, and how a window's layout grows with
// its monitor's DPI. Both shells ask these rules; neither decides them.
#pragma once

#include <cstdint>

#include "settings/settings_table.h"
#include "state/window_records.h"

namespace zarvella {

// The window over every monitor given (device pixels, desktop coordinates).
// Monitors of no area are left out; beyond kMaxMonitors the window still
// covers them all (cleared to black) but only the first ones get the picture.
DesktopLayoutRecord LayoutDesktop(const PixelRect* monitors, int count);

// Each monitor's part of the window as a GL viewport (origin at the window's
// lower-left corner), the whole monitor: the picture keeps the proportions it
// has on one monitor of that size. With one monitor the window is that
// monitor, and its frames draw into the window's viewport as it stands;
// setOnNextFrame asks for that viewport once, after the window changed size.
MonitorViewportsRecord ViewportsFor(const DesktopLayoutRecord& layout, bool setOnNextFrame);

// ---- pixel density ----------------------------------------------------------

// The density the layouts are drawn for: at it, every pixel number is as given.
inline constexpr int32_t kDefaultDpi = 96;

// value * dpi / 96, rounded to nearest with halves away from zero, as
// Windows' MulDiv. A dpi of 0 or less counts as 96; results saturate.
int32_t ScaleForDpi(int32_t value, int32_t dpi);
ControlRect ScaleForDpi(const ControlRect& rect, int32_t dpi);

}  // namespace zarvella
