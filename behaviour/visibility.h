// Whether anybody can see a window, and what follows from it: a window that
// cannot be seen draws nothing and advances nothing, and once it can be seen
// again it goes on from the frame it stopped at. The shells report what
// their platform tells of a window (shown, minimised, inside a hidden
// window, wholly covered, the display's power); the rule here decides, and
// starts or stops the window's frames.
#pragma once

#include <cstdint>

namespace zarvella {

// The display's power as the system reports it. A dimmed display still
// shows the picture.
enum class DisplayPower { Off, On, Dimmed };

// Windows' console display state: 0 off, 1 on, 2 dimmed; any other value
// counts as on, so an unknown report never stops the picture.
DisplayPower DisplayPowerFromConsoleState(uint32_t state);

// What the platform tells of one window. The defaults: it can be seen.
struct SightFacts {
    bool shown = true;           // mapped, visible, exposed
    bool minimised = false;      // iconic
    bool ancestorsShown = true;  // every window it lies in is shown (X: viewable)
    bool covered = false;        // wholly covered by other windows
    DisplayPower display = DisplayPower::On;
};

bool CanBeSeen(const SightFacts& facts);

// What a window's paint draws. The system asks for paints of its own (an
// exposure, a resize, a compositor's frame), also while nobody can see the
// window and before its first tick. Unseen, a paint draws nothing: the
// picture neither moves on nor costs a frame. A window whose ticks advance
// the picture apart from its paints (one picture on several outputs) shows
// only what a tick advanced: before the first one, black. Every shell's
// paint asks this before it draws.
enum class PaintDraws { Nothing, Black, Picture };
PaintDraws WhatPaintDraws(bool seen, bool advanced = true);

// A window's frame clock as its shell runs it: a timer, or the preview
// thread's repaint requests.
class FrameClock {
  public:
    virtual ~FrameClock() = default;
    virtual void StartFrames() = 0;
    virtual void StopFrames() = 0;
};

// One window's facts, and its clock stopped when it can no longer be seen
// and started when it can again. The window starts its clock itself, as it
// always has; the facts start as "seen", so a window never hidden is never
// stopped. Not thread-safe: one thread reports.
class WindowSight {
  public:
    explicit WindowSight(FrameClock& clock) : clock_(clock) {}
    void Shown(bool shown);
    void Minimised(bool minimised);
    void AncestorsShown(bool shown);
    void Covered(bool covered);
    void Display(DisplayPower power);
    // True while frames run; a paint that comes while it is false (the
    // system's own, not the clock's) draws nothing either.
    bool Seen() const { return running_; }
    const SightFacts& Facts() const { return facts_; }

  private:
    void Decide();

    FrameClock& clock_;
    SightFacts facts_;
    bool running_ = true;
};

// ---- what the compositor says of each frame ---------------------------------

// Some Wayland compositors go on sending frame callbacks to a surface nobody
// sees (mutter under its lock shield, a background wholly covered), so the
// callbacks alone would keep it drawing all night. Where the compositor tells
// each frame's fate (wp_presentation feedback), a run of frames it discarded,
// never shown, means nobody sees the surface: it then draws only one probe
// frame now and then, until a frame is presented again.
enum class FrameFate { Presented, Discarded };
inline constexpr int kDiscardedBeforeProbing = 3;
inline constexpr int64_t kProbeIntervalUs = 2'000'000;

struct PresentationSightRecord {
    int discardedInARow = 0;
    int64_t lastDrawnUs = 0;
};

void NoteFrameFate(PresentationSightRecord& sight, FrameFate fate);
void NoteFrameDrawn(PresentationSightRecord& sight, int64_t nowUs);
// Only probe frames: the compositor has discarded enough frames in a row.
bool Probing(const PresentationSightRecord& sight);
// A frame may be drawn now: not probing, or the next probe is due.
bool PresentationAllowsFrame(const PresentationSightRecord& sight, int64_t nowUs);
// Ask the fate of the next frame only while fewer than kMostFatesAwaited
// are awaited: a compositor that never answers (sway) then keeps no more
// than that many of them.
inline constexpr int kMostFatesAwaited = 4;
bool AskFrameFate(int awaited);
// How long a loop may wait before the next probe: -1 when not probing.
int ProbeWaitMs(const PresentationSightRecord& sight, int64_t nowUs);
// The sooner of two waits in milliseconds, -1 being none.
int SoonerWaitMs(int a, int b);

}  // namespace zarvella
