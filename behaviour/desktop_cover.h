// How the full-screen saver covers the desktop, from what the shell finds
// there: the window system, and on X11 whether a window manager runs. And
// how it stays on top and keeps the input while it runs, and gives way to a
// screen locker.
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
    // The keyboard's focus kept on the saver, which lies over every monitor
    // so the pointer is always over it: keys and moves reach it without a
    // grab, since a grab of ours would keep a screen locker's grab out and
    // leave the session unlocked. No window manager focuses an unmanaged
    // window, so the saver takes the focus itself.
    bool focusInput = false;
    // Raised again whenever another window comes above it (StackChanged).
    bool keepOnTop = false;
    // Lowered again whenever something raises it (-root, which bypasses the
    // window manager, so nothing keeps it down but itself).
    bool keepAtBottom = false;
    // The system tells where the pointer is on the desktop. Where it does
    // not (Wayland), the threshold counts from the first position a window
    // of the saver sees.
    bool cursorKnown = true;
    bool operator==(const CoverPlan&) const = default;
};

CoverPlan PlanCover(const DesktopFacts& facts);
// -root's window on X11: kept at the bottom by the same rule as the saver on top.
inline constexpr CoverPlan kBottomPlan{.keepAtBottom = true};

// Raising again (and taking the focus back), or lowering -root again, is spaced out while it keeps
// being needed: the first raise after a quiet while is at once, each next one waits twice as long
// as the last (from kRaiseSpacingMinMs up to kRaiseSpacingMaxMs). Two windows that both keep
// themselves on top (two savers) then trade places about once a second instead of spinning.
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
    OursUnfocused,  // the focus went to another window (a window manager focusing what opened)
    OursRaised,     // ours put above another window (whatever raised -root)
};

// The shell's part: it focuses, and puts its window back in its place (on
// top, or at the bottom) when told, and calls back later.
class CoverHost {
  public:
    virtual ~CoverHost() = default;
    virtual void TakeFocus() = 0;
    virtual void Restack() = 0;
    // Calls CoverRestackDue after `ms`.
    virtual void RestackIn(int ms) = 0;
};

struct CoverRecord {
    // Another client grabbed the keyboard or the pointer: a locker has come
    // (or a menu, or a key binding: input all the same). From then on the
    // saver neither raises itself nor takes the focus.
    bool gaveWay = false;
    int64_t lastRaiseMs = INT64_MIN / 2;
    int raiseSpacingMs = 0;
    bool raisePending = false;  // a RestackIn is running
};

// Shown: the focus taken.
void CoverShown(CoverHost& host, const CoverPlan& plan, const CoverRecord& cover);
// The stacking or the focus changed at `nowMs`: raised and focused now,
// later, or not at all.
void CoverStackChanged(CoverHost& host, const CoverPlan& plan, CoverRecord& cover,
                       StackChange change, int64_t nowMs);
// A raise put off by RestackIn is due.
void CoverRestackDue(CoverHost& host, const CoverPlan& plan, CoverRecord& cover, int64_t nowMs);
// Another client grabbed the keyboard or the pointer (the focus or the
// pointer left the saver's window with the mode "grab"), or holds the
// keyboard as the saver gets the focus (a locker already running). A locker grabs
// without warning and keeps the input, so the saver gives way for good and
// ends as if input had come: true the first time, when it is to end.
bool CoverGrabbedByOther(const CoverPlan& plan, CoverRecord& cover);

}  // namespace zarvella
