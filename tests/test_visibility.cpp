#include <gtest/gtest.h>

#include <algorithm>

#include "behaviour/visibility.h"
#include "engine/animation.h"
#include "engine/render.h"
#include "tests/fakes/fakes.h"
#include "tests/gl/gl_recorder.h"

using namespace zarvella;
using Strings = std::vector<std::string>;

namespace {

// A report to the window's sight, or a frame asked for: Tick by the timer
// (only while it runs), Paint by the system (at any time).
enum class Step { Shown, Minimised, Ancestors, Covered, Console, Tick, Paint };
struct Event {
    Step step;
    uint32_t value = 0;
};
struct Row {
    const char* name;
    std::vector<Event> events;
    Strings log;  // the clock's starts and stops, and the frames drawn
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

const Event kTick{Step::Tick}, kPaint{Step::Paint};

const Row kRows[] = {
    {"display off stops, on resumes",
     {kTick, {Step::Console, 0}, kTick, kPaint, {Step::Console, 1}, kTick},
     {"frame", "stop", "start", "frame"}},
    {"dimmed keeps drawing; an unknown state counts as on",
     {{Step::Console, 2}, kTick, {Step::Console, 0}, {Step::Console, 2}, kTick, {Step::Console, 7}},
     {"frame", "stop", "start", "frame"}},
    {"minimised",
     {{Step::Minimised, 1}, kTick, kPaint, {Step::Minimised, 0}, kTick},
     {"stop", "start", "frame"}},
    {"hidden parent",
     {kTick, {Step::Ancestors, 0}, kTick, {Step::Ancestors, 1}, kPaint},
     {"frame", "stop", "start", "frame"}},
    {"hidden and covered: seen only once both end",
     {{Step::Shown, 0}, {Step::Covered, 1}, {Step::Shown, 1}, kTick, {Step::Covered, 0}, kTick},
     {"stop", "start", "frame"}},
    {"a report that changes nothing restarts nothing",
     {{Step::Shown, 1}, {Step::Covered, 0}, {Step::Console, 1}, kTick},
     {"frame"}},
};

class Visibility : public ::testing::TestWithParam<Row> {};

TEST_P(Visibility, FramesRunOnlyWhileSeenAndGoOnFromTheSameFrame) {
    ResetProcessState();
    glrec::Clear();
    SetBufferSwap(nullptr);
    SaverPicture.settings = {10, 9, 7, 5, 10, 1, false};
    SaverPicture.animation = {0.4, 0.8, -0.6, 0.001, -0.002, 0.003};
    AnimationStateRecord expected = SaverPicture.animation;
    fakes::FakeFrameClock clock;
    WindowSight sight(clock);
    for (const Event& e : GetParam().events) {
        switch (e.step) {
            case Step::Shown:
                sight.Shown(e.value);
                break;
            case Step::Minimised:
                sight.Minimised(e.value);
                break;
            case Step::Ancestors:
                sight.AncestorsShown(e.value);
                break;
            case Step::Covered:
                sight.Covered(e.value);
                break;
            case Step::Console:
                sight.Display(DisplayPowerFromConsoleState(e.value));
                break;
            case Step::Tick:
            case Step::Paint:
                if ((e.step == Step::Paint || clock.running) && sight.Seen()) {
                    RenderFrame();
                    expected = AdvancePhases(expected, SaverPicture.settings.Speed);
                    clock.log.push_back("frame");
                }
                break;
        }
    }
    EXPECT_EQ(clock.log, GetParam().log);
    EXPECT_EQ(glrec::Count("glClear"),
              static_cast<size_t>(std::count(clock.log.begin(), clock.log.end(), "frame")));
    // Nothing advanced while unseen: each frame follows the last one shown.
    EXPECT_EQ(SaverPicture.animation.Phase1, expected.Phase1);
    EXPECT_EQ(SaverPicture.animation.Phase3, expected.Phase3);
    glrec::Clear();
}

INSTANTIATE_TEST_SUITE_P(Rows, Visibility, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

// The preview thread asks for no repaint while its window cannot be seen.
TEST(PreviewSight, NoRepaintWhileTheParentIsHidden) {
    ResetProcessState();
    fakes::FakePreviewHost host;
    host.onSleep = [&host](int n) {
        host.sight.ancestorsShown = n < 2 || n > 3;
        if (n == 5) CloseRequested.store(true);
    };
    PreviewThread(host);
    EXPECT_EQ(host.log, (Strings{"show", "invalidate", "sleep 40", "invalidate", "sleep 40",
                                 "sleep 40", "sleep 40", "invalidate", "sleep 40", "destroy"}));
}

}  // namespace
