// The frame rate, counted and drawn in the lower left corner of the picture
// (the hacks' -fps). Drawn after the picture with its own GL state, which it
// restores, so the picture's calls and pixels stay as they are.
#pragma once

#include <string>

#include "state/window_records.h"

namespace zarvella {

// Counts one frame drawn at this time (seconds of a steady clock). The rate
// is that of the last completed second, 0 before the first one ends: it
// changes once a second, so it can be read.
void CountFrame(FrameRateRecord& meter, double seconds);

// "FPS: 25.0", one decimal, a point in every locale.
std::string FrameRateText(double rate);

// FrameRateText: white on a black box, 8 pixels from the lower left corner of
// the viewport (width by height pixels). GL 1.1; every state it changes is
// restored (attributes and both matrices pushed and popped).
void DrawFrameRateText(double rate, int width, int height);

// The overlay of a window's frame (FrameHooks::overlay): counts this
// frame in `meter` with the steady clock and draws the rate into the viewport.
void DrawFrameRate(FrameRateRecord& meter);

}  // namespace zarvella
