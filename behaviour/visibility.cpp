#include "behaviour/visibility.h"

namespace zarvella {

DisplayPower DisplayPowerFromConsoleState(uint32_t state) {
    switch (state) {
        case 0:
            return DisplayPower::Off;
        case 2:
            return DisplayPower::Dimmed;
        default:
            return DisplayPower::On;
    }
}

bool CanBeSeen(const SightFacts& facts) {
    return facts.shown && !facts.minimised && facts.ancestorsShown && !facts.covered &&
           facts.display != DisplayPower::Off;
}

PaintDraws WhatPaintDraws(bool seen, bool advanced) {
    if (!seen) return PaintDraws::Nothing;
    return advanced ? PaintDraws::Picture : PaintDraws::Black;
}

void WindowSight::Shown(bool shown) {
    facts_.shown = shown;
    Decide();
}

void WindowSight::Minimised(bool minimised) {
    facts_.minimised = minimised;
    Decide();
}

void WindowSight::AncestorsShown(bool shown) {
    facts_.ancestorsShown = shown;
    Decide();
}

void WindowSight::Covered(bool covered) {
    facts_.covered = covered;
    Decide();
}

void WindowSight::Display(DisplayPower power) {
    facts_.display = power;
    Decide();
}

// Only a change reaches the clock: a timer restarted at every report would
// push its next frame further away each time.
void WindowSight::Decide() {
    const bool seen = CanBeSeen(facts_);
    if (seen == running_) return;
    running_ = seen;
    if (seen) {
        clock_.StartFrames();
    } else {
        clock_.StopFrames();
    }
}

void NoteFrameFate(PresentationSightRecord& sight, FrameFate fate) {
    sight.discardedInARow = fate == FrameFate::Presented ? 0 : sight.discardedInARow + 1;
}

void NoteFrameDrawn(PresentationSightRecord& sight, int64_t nowUs) {
    sight.lastDrawnUs = nowUs;
}

bool Probing(const PresentationSightRecord& sight) {
    return sight.discardedInARow >= kDiscardedBeforeProbing;
}

bool PresentationAllowsFrame(const PresentationSightRecord& sight, int64_t nowUs) {
    return !Probing(sight) || nowUs - sight.lastDrawnUs >= kProbeIntervalUs;
}

bool AskFrameFate(int awaited) {
    return awaited < kMostFatesAwaited;
}

int ProbeWaitMs(const PresentationSightRecord& sight, int64_t nowUs) {
    if (!Probing(sight)) return -1;
    const int64_t left = sight.lastDrawnUs + kProbeIntervalUs - nowUs;
    return left <= 0 ? 0 : static_cast<int>((left + 999) / 1000);
}

int SoonerWaitMs(int a, int b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return a < b ? a : b;
}

}  // namespace zarvella
