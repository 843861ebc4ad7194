// Several monitors and their pixel density: where the full-screen window goes,
// which part of it each monitor sees, and how a window's layout grows with
// its monitor's DPI. Both shells ask these rules; neither decides them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "settings/settings_table.h"
#include "state/window_records.h"

namespace zarvella {

// The window over every monitor given (device pixels, desktop coordinates).
// Monitors of no area are left out; beyond kMaxMonitors the window still
// covers them all (cleared to black) but only the first ones get the picture.
DesktopLayoutRecord LayoutDesktop(const PixelRect* monitors, int count);

// The monitors in the order the full-screen window takes them: the primary
// one (at `primary` in the system's list) first, the others as listed. A
// primary the list does not hold leaves it as it is.
void PutPrimaryFirst(std::vector<PixelRect>& monitors, size_t primary);

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

// ---- fitting a screen -------------------------------------------------------

struct PixelSize {
    int32_t width = 0, height = 0;
    bool operator==(const PixelSize&) const = default;
};

// `size` scaled down, keeping its proportions, until it fits `available`:
// the side that binds takes the available length, the other is rounded down
// (at least 1). A size that fits, or an available area with no room at all
// (nothing to fit into), stays as it is. Never scaled up.
PixelSize FitWithin(PixelSize size, PixelSize available);

// A layout drawn for `from` at the size `to`: each x and width scaled by
// to.width / from.width, each y and height by to.height / from.height,
// rounded as ScaleForDpi. `from` of no area leaves the rectangle as it is.
ControlRect ScaleToSize(const ControlRect& rect, PixelSize from, PixelSize to);

}  // namespace zarvella
