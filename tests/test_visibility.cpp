#include <gtest/gtest.h>

#include <sstream>

#include "behaviour/preview_window.h"
#include "behaviour/visibility.h"
#include "engine/render.h"
#include "tests/fakes/fakes.h"
#include "tests/gl/gl_recorder.h"

using namespace zarvella;

namespace {

// Reports to a window's sight (S shown, M minimised, A every window it lies
// in shown, C covered, D the console display state), each with its value,
// and frames asked for: t by the timer (only while it runs), p by the system.
// The log: the clock's starts and stops and the frames drawn.
const char* const kRows[][3] = {
    {"display off stops, on resumes", "t D0 t p D1 t", "frame stop start frame"},
    {"dimmed draws; an unknown state is on", "D2 t D0 D2 t D7", "frame stop start frame"},
    {"minimised", "M1 t p M0 t", "stop start frame"},
    {"hidden parent", "t A0 t A1 p", "frame stop start frame"},
    {"hidden and covered: seen once both end", "S0 C1 S1 t C0 t", "stop start frame"},
    {"no change restarts nothing", "S1 C0 D1 t", "frame"},
};

class Visibility : public ::testing::TestWithParam<int> {};

TEST_P(Visibility, FramesRunOnlyWhileSeenAndGoOnFromTheSameFrame) {
    const auto& row = kRows[GetParam()];
    SCOPED_TRACE(row[0]);
    glrec::Clear();
    PictureRecord picture;
    FrameHooks hooks;
    picture.settings = {10, 9, 7, 5, 10, 1, false};
    picture.animation = {0.4, 0.8, -0.6, 0.001, -0.002, 0.003};
    AnimationStateRecord expected = picture.animation;
    RandomRecord random = picture.random;
    fakes::FakeFrameClock clock;
    WindowSight sight(clock);
    size_t frames = 0;
    std::istringstream steps(row[1]);
    for (std::string s; steps >> s;) {
        const bool on = s.size() > 1 && s[1] != '0';
        const char c = s[0];
        if (c == 'S') sight.Shown(on);
        if (c == 'M') sight.Minimised(on);
        if (c == 'A') sight.AncestorsShown(on);
        if (c == 'C') sight.Covered(on);
        if (c == 'D') sight.Display(DisplayPowerFromConsoleState(s[1] - '0'));
        if ((c == 'p' || (c == 't' && clock.running)) &&
            WhatPaintDraws(sight.Seen()) == PaintDraws::Picture) {
            RenderFrame(picture, hooks);
            expected = AdvancePhases(expected, picture.settings.Speed, random);
            clock.Log("frame");
            ++frames;
        }
    }
    EXPECT_EQ(clock.log, row[2]);
    EXPECT_EQ(glrec::Count("glClear"), frames);
    // Nothing advanced while unseen: each frame follows the last one shown.
    EXPECT_EQ(picture.animation.Phase1, expected.Phase1);
    EXPECT_EQ(picture.animation.Phase3, expected.Phase3);
    glrec::Clear();
}

INSTANTIATE_TEST_SUITE_P(Rows, Visibility, ::testing::Range(0, 6));

// Beside the rows' paints: one before any tick advanced the picture.
TEST(Paint, NothingUnseenBlackBeforeTheFirstTick) {
    EXPECT_EQ(WhatPaintDraws(false, false), PaintDraws::Nothing);
    EXPECT_EQ(WhatPaintDraws(true, false), PaintDraws::Black);
}

// The preview thread asks for no repaint while its window cannot be seen.
TEST(PreviewSight, NoRepaintWhileTheParentIsHidden) {
    fakes::FakePreviewHost host;
    PreviewRecord preview;
    host.onSleep = [&](int n) {
        host.sight.ancestorsShown = n < 2 || n > 3;
        if (n == 5) preview.closeRequested.store(true);
    };
    PreviewThread(host, preview);
    EXPECT_EQ(host.log, (std::vector<std::string>{"show", "invalidate", "sleep 40", "invalidate",
                                                  "sleep 40", "sleep 40", "sleep 40", "invalidate",
                                                  "sleep 40", "destroy"}));
}

}  // namespace

// Each frame's fate as the compositor tells it (p presented, d discarded)
// and draws asked for at a time in ms (tN); the log: the frames drawn.
TEST(PresentationSight, DiscardedFramesLeaveOnlyAProbeUntilOneIsPresented) {
    const char* const rows[][2] = {
        {"t0 d t40 d t80 p t120", "0 40 80 120"},  // one lost frame changes nothing
        {"t0 d t40 d t80 d t120 t1000 t2079 t2080", "0 40 80 2080"},  // then one probe in 2 s
        {"t0 d d d t40 t2000 p t2040 t2080", "0 2000 2040 2080"},     // shown again: full pace
        {"d d d t100 t2000 d p d d t2100", "2000 2100"},  // a run counts only while unbroken
    };
    for (const auto& row : rows) {
        PresentationSightRecord sight;
        std::istringstream steps(row[0]);
        std::string drawn, step;
        while (steps >> step) {
            if (step == "p" || step == "d") {
                NoteFrameFate(sight, step == "p" ? FrameFate::Presented : FrameFate::Discarded);
                continue;
            }
            const int64_t now = std::stoll(step.substr(1)) * 1000;
            if (!PresentationAllowsFrame(sight, now)) continue;
            NoteFrameDrawn(sight, now);
            drawn += (drawn.empty() ? "" : " ") + step.substr(1);
        }
        EXPECT_EQ(drawn, row[1]) << row[0];
    }
    PresentationSightRecord probing{kDiscardedBeforeProbing, 1'000'000};
    EXPECT_EQ(ProbeWaitMs(probing, 1'500'000), 1500);
    EXPECT_EQ(ProbeWaitMs({}, 0), -1);
    EXPECT_EQ(SoonerWaitMs(-1, 40), 40);
    EXPECT_EQ(SoonerWaitMs(1500, 40), 40);
    EXPECT_TRUE(AskFrameFate(kMostFatesAwaited - 1));
    EXPECT_FALSE(AskFrameFate(kMostFatesAwaited));
}
