// How the full-screen saver covers the desktop, from what the shell finds
// there: the window system, and on X11 whether a window manager runs.
#pragma once

namespace zarvella {

enum class WindowSystem { None, X11, Wayland };

struct DesktopFacts {
    WindowSystem system = WindowSystem::X11;
    // X11: a window manager runs. It would frame, tile or stack a window
    // like any other, and keep its panels and bars above it.
    bool windowManager = false;
};

struct CoverPlan {
    // One full-screen window on each output: Wayland has no desktop
    // coordinates a single window could span.
    bool windowPerOutput = false;
    // Out of the window manager's hands: no frame, no tiling, above panels
    // and bars, over every monitor.
    bool unmanaged = false;
    // Keyboard and pointer grabbed: a key or a move anywhere is ours, since
    // no window manager gives an unmanaged window the focus.
    bool grabInput = false;
    // The system tells where the pointer is on the desktop. Where it does
    // not (Wayland), the threshold counts from the first position a window
    // of the saver sees.
    bool cursorKnown = true;
    bool operator==(const CoverPlan&) const = default;
};

CoverPlan PlanCover(const DesktopFacts& facts);

// The grab fails while another client holds the keyboard or the pointer (a
// menu open, a key binding running). After `failedTries` failures: the
// milliseconds to wait before the next try, or 0 to run on without it
// (about a second in all; keys still reach the window when it has the focus).
inline constexpr int kGrabRetryMs = 50;
inline constexpr int kGrabTries = 20;
int GrabRetryDelayMs(int failedTries);

}  // namespace zarvella
