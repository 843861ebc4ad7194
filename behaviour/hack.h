// The full-screen window as an XScreenSaver hack: the picture with the command line's
// settings, at its pace, with or without the frame rate. XScreenSaver, or
// closing the hack's own window, ends it; input never does.
#pragma once

#include <cstdint>

#include "behaviour/fullscreen_window.h"

namespace zarvella {

// The hack's own window (-window): this size, centred, then the user's.
inline constexpr int kHackWindowWidth = 640;
inline constexpr int kHackWindowHeight = 480;

// The timer's interval: -delay's microseconds in whole milliseconds.
int HackFrameIntervalMs(int32_t delayMicroseconds);

// The full-screen window's OnCreate for a hack: the command line's settings (no store, so no
// file is read or written), the window sized, the context attached, the
// generator and the animation seeded, the random picture chosen, the frame
// rate's overlay set or cleared. The cursor and the saver notice are left
// alone.
void StartHack(FullScreenHost& host, FullScreenRecord& window, const SaverSettingsRecord& settings,
               bool showFrameRate);

}  // namespace zarvella
