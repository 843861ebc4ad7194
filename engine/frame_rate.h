// The frame rate, counted and drawn in the lower left corner of the picture
// (the hacks' -fps). Drawn after the picture with its own GL state, which it
// restores, so the picture's calls and pixels stay as they are.
#pragma once

#include <cstdint>

namespace zarvella {

// Frames per second over the last full second: the shown value changes once
// a second, so it can be read.
class FrameRateMeter {
  public:
    // One frame drawn at this time, in seconds of a steady clock.
    void Tick(double seconds);
    // The rate of the last completed second; 0 before the first one ends.
    double Rate() const { return rate_; }
    void Reset() { *this = FrameRateMeter(); }

  private:
    bool started_ = false;
    double windowStart_ = 0;
    int32_t frames_ = 0;
    double rate_ = 0;
};

// "FPS: 25.0": white on a black box, 8 pixels from the lower left corner of
// the viewport (width by height pixels). GL 1.1; every state it changes is
// restored (attributes and both matrices pushed and popped).
void DrawFrameRateText(double rate, int width, int height);

// The overlay of the frame routine (SetFrameOverlay): counts this frame with
// the steady clock and draws the rate into the current viewport.
void DrawFrameRate();
void ResetFrameRate();

}  // namespace zarvella
