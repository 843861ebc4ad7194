// What a window keeps besides its picture: the cursor's start, its monitors,
// its frame-rate meter. Plain data, owned by the window that uses it.
#pragma once

#include <cstdint>

#include "state/picture_record.h"

namespace zarvella {

struct ScreenPoint {
    int32_t x = 0, y = 0;
};

// The monitors the full-screen window covers, and the window: the smallest
// rectangle holding them all. count 0: no monitor known yet.
struct DesktopLayoutRecord {
    PixelRect window;
    int32_t count = 0;
    PixelRect monitors[kMaxMonitors];
    bool operator==(const DesktopLayoutRecord&) const = default;
};

// The frame rate shown with -fps: the second being counted, and the rate of
// the last completed one.
struct FrameRateRecord {
    bool started = false;
    double windowStart = 0;  // seconds of a steady clock
    int32_t frames = 0;
    double rate = 0;
};

}  // namespace zarvella
