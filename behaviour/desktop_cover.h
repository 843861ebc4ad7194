// How the full-screen saver covers the desktop, from what the shell finds
// there: the window system, and on X11 whether a window manager runs. And
// how it stays on top and keeps the input while it runs.
#pragma once

#include <cstdint>

namespace zarvella {

enum class WindowSystem { None, X11, Wayland };

struct DesktopFacts {
    // Whether an X11 window manager runs is no fact here: one may start
    // later, so the saver covers the desktop alike either way.
    WindowSystem system = WindowSystem::X11;
};

struct CoverPlan {
    // One full-screen window on each output: Wayland has no desktop
    // coordinates a single window could span.
    bool windowPerOutput = false;
    // Out of any window manager's hands, also one started later: no frame,
    // no tiling, above panels and bars, over every monitor.
    bool unmanaged = false;
    // Keyboard and pointer grabbed: a key or a move anywhere is ours, since
    // no window manager gives an unmanaged window the focus.
    bool grabInput = false;
    // Raised again whenever another window comes above it (StackChanged).
    bool keepOnTop = false;
    // The system tells where the pointer is on the desktop. Where it does
    // not (Wayland), the threshold counts from the first position a window
    // of the saver sees.
    bool cursorKnown = true;
    bool operator==(const CoverPlan&) const = default;
};

CoverPlan PlanCover(const DesktopFacts& facts);

// The grab fails while another client holds the keyboard or the pointer (a
// menu open, a key binding running, a window manager starting). After
// `failedTries` failures in a row: the milliseconds to wait before the next
// try. It never gives up while the saver runs: quickly at first, then at a
// slower pace.
inline constexpr int kGrabRetryMs = 50;
inline constexpr int kGrabQuickTries = 20;
inline constexpr int kGrabSlowRetryMs = 500;
int GrabRetryDelayMs(int failedTries);

// Raising again is spaced out while it keeps being needed: the first raise
// after a quiet while is at once, each next one waits twice as long as the
// last (from kRaiseSpacingMinMs up to kRaiseSpacingMaxMs). Two windows that
// both keep themselves on top (two savers) then trade places about once a
// second instead of spinning.
inline constexpr int kRaiseSpacingMinMs = 50;
inline constexpr int kRaiseSpacingMaxMs = 1000;
inline constexpr int kRaiseQuietMs = 2 * kRaiseSpacingMaxMs;

// What the shell sees of the stacking while the saver runs.
enum class StackChange {
    OtherMapped,     // another top-level window shown (new ones start on top)
    OtherAboveOurs,  // another top-level window put directly above ours, or on top
    OtherElsewhere,  // another top-level window moved or restacked below ours
    OursObscured,    // ours partly or wholly covered
    OursUnobscured,
};

// The shell's part: it grabs and raises when told, and calls back later.
class CoverHost {
  public:
    virtual ~CoverHost() = default;
    virtual bool GrabKeyboard() = 0;  // true when ours now
    virtual bool GrabPointer() = 0;
    virtual void Raise() = 0;
    // Calls CoverGrab after `ms`.
    virtual void GrabAgainIn(int ms) = 0;
    // Calls CoverRaiseDue after `ms`.
    virtual void RaiseIn(int ms) = 0;
};

struct CoverRecord {
    bool keyboard = false, pointer = false;  // grabbed
    int failedGrabs = 0;
    bool grabPending = false;  // a GrabAgainIn is running
    int64_t lastRaiseMs = INT64_MIN / 2;
    int raiseSpacingMs = 0;
    bool raisePending = false;  // a RaiseIn is running
};

// Shown, or a retry's time came: grabs what is not grabbed yet, and asks to
// try again later while something is missing.
void CoverGrab(CoverHost& host, const CoverPlan& plan, CoverRecord& cover);
// A grab was lost (the server ended it): taken again at once.
void CoverGrabLost(CoverHost& host, const CoverPlan& plan, CoverRecord& cover, bool keyboard,
                   bool pointer);
// The stacking changed at `nowMs`: raised now, later, or not at all.
void CoverStackChanged(CoverHost& host, const CoverPlan& plan, CoverRecord& cover,
                       StackChange change, int64_t nowMs);
// A raise put off by RaiseIn is due.
void CoverRaiseDue(CoverHost& host, CoverRecord& cover, int64_t nowMs);

}  // namespace zarvella
