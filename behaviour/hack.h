// The full-screen window as an XScreenSaver hack: the picture with the command line's
// settings, at its pace, with or without the frame rate. XScreenSaver, or
// closing the hack's own window, ends it; input never does.
#pragma once

#include <cstdint>
#include <string>

#include "behaviour/fullscreen_window.h"
#include "behaviour/window_handle.h"

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

// What the shell found of the window the hack is to draw into (the given
// one, or the root), before any window is made.
struct HackTargetFacts {
    bool ownWindow = false;  // -window: it makes its own, nothing to check
    unsigned long window = 0;
    bool exists = false;
    DrawTarget drawn;  // InputOnly, on another screen
};
// The line said on stderr (then exit code 1) when there is nothing to draw
// into, and nothing would ever end the hack; empty when it can go on.
std::string HackTargetError(const HackTargetFacts& facts);

}  // namespace zarvella
