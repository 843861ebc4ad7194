#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "behaviour/desktop_cover.h"
#include "behaviour/fullscreen_window.h"
#include "behaviour/hack.h"
#include "engine/animation.h"
#include "engine/random.h"
#include "engine/render.h"
#include "tests/fakes/fakes.h"
#include "tests/gl/gl_recorder.h"

using namespace zarvella;
using Strings = std::vector<std::string>;

namespace {

class FullScreen : public ::testing::Test {
  protected:
    FullScreenRecord window;
    fakes::FakeFullScreenHost host;
    fakes::MemoryStore store;
    fakes::RecordingErrors errors;
};

// The generator's state `steps` draws earlier (the multiplier is odd, so invertible).
uint32_t StepBack(uint32_t state, int steps) {
    uint32_t inverse = 134775813u;
    for (int k = 0; k < 5; ++k) inverse *= 2u - 134775813u * inverse;
    for (int k = 0; k < steps; ++k) state = (state - 1u) * inverse;
    return state;
}

}  // namespace

TEST_F(FullScreen, ThresholdIsMoreThanTenPixelsOnEitherAxis) {
    const ScreenPoint start{500, 400};
    EXPECT_FALSE(MovedBeyondThreshold(start, {510, 410}));
    EXPECT_FALSE(MovedBeyondThreshold(start, {490, 390}));
    EXPECT_TRUE(MovedBeyondThreshold(start, {511, 400}));
    EXPECT_TRUE(MovedBeyondThreshold(start, {500, 411}));
    EXPECT_TRUE(MovedBeyondThreshold(start, {489, 400}));
    EXPECT_TRUE(MovedBeyondThreshold(start, {500, 389}));
    constexpr int32_t lo = std::numeric_limits<int32_t>::min(),
                      hi = std::numeric_limits<int32_t>::max();
    EXPECT_TRUE(MovedBeyondThreshold({lo, 0}, {hi, 0}));
    EXPECT_TRUE(MovedBeyondThreshold({0, hi}, {0, lo}));
}

TEST_F(FullScreen, StartRunsItsStepsInOrder) {
    store.SetAll(10, 9, 7, 5, 10, 10, 1);
    host.cursor = {640, 512};
    const uint32_t before = TimeOfDayMs();
    ASSERT_TRUE(StartFullScreen(host, window, store, errors));
    const uint32_t after = TimeOfDayMs();
    EXPECT_EQ(host.log, (Strings{"size", "context", "cursorpos", "announce", "hidecursor"}));
    EXPECT_EQ(window.startCursorPos.x, 640);
    EXPECT_EQ(window.startCursorPos.y, 512);
    EXPECT_TRUE(host.saverRunning);
    EXPECT_EQ(host.cursorCount, -1);

    // Seeded from the clock, nine draws for the animation, then the picture's draw.
    const uint32_t seed = StepBack(window.picture.random.state, 10);
    if (after >= before) {
        EXPECT_GE(seed, before);
        EXPECT_LE(seed, after);
    }
    fakes::ReferenceRandom r{seed};
    EXPECT_EQ(window.picture.animation.Phase1, r.Next(1570) / 1000.0);
    r.Next(1570);
    r.Next(1570);
    EXPECT_EQ(window.picture.animation.Drift1, r.Drift());
    r.Drift();
    r.Drift();
    EXPECT_EQ(window.picture.settings.PictureKind, r.Next(9) + 1);
}

TEST_F(FullScreen, SmallMovesCountFromTheStartAndTheEndingStepsRunInOrder) {
    store.SetAll(10, 9, 7, 5, 10, 1, 0);
    host.cursor = {100, 100};
    ASSERT_TRUE(StartFullScreen(host, window, store, errors));
    host.log.clear();
    EXPECT_FALSE(FullScreenMouseMove(host, window));  // a click in place
    for (int step = 1; step <= 3; ++step) {
        host.cursor = {100 + 3 * step, 100 - 3 * step};
        EXPECT_FALSE(FullScreenMouseMove(host, window));
    }
    EXPECT_EQ(host.passwordChecks, 0);
    host.cursor = {112, 88};  // 3 px from the last event, 12 px from the start
    EXPECT_TRUE(FullScreenMouseMove(host, window));
    EXPECT_EQ(host.log.back(), "terminate");
    host.log.erase(host.log.begin(), host.log.end() - 5);
    EXPECT_EQ(host.log, (Strings{"password", "showcursor", "hide", "withdraw", "terminate"}));
    EXPECT_EQ(host.cursorCount, 0);
    EXPECT_FALSE(host.saverRunning);
}

TEST_F(FullScreen, RefusedPasswordLeavesEverythingAsItWas) {
    store.SetAll(10, 9, 7, 5, 10, 1, 0);
    host.cursor = {300, 200};
    ASSERT_TRUE(StartFullScreen(host, window, store, errors));
    host.passwordAnswer = false;
    host.log.clear();
    EXPECT_FALSE(FullScreenKeyDown(host, window));
    host.cursor = {400, 200};
    EXPECT_FALSE(FullScreenMouseMove(host, window));
    EXPECT_EQ(host.log, (Strings{"password", "cursorpos", "password"}));
    EXPECT_EQ(host.cursorCount, -1);
    EXPECT_TRUE(host.saverRunning);
    EXPECT_FALSE(host.hidden);
    EXPECT_FALSE(host.terminated);
    EXPECT_EQ(window.startCursorPos.x, 300);
    EXPECT_EQ(window.startCursorPos.y, 200);

    host.passwordAnswer = true;  // the next key asks again
    EXPECT_TRUE(FullScreenKeyDown(host, window));
    EXPECT_EQ(host.passwordChecks, 3);
    EXPECT_TRUE(host.terminated);
}

TEST_F(FullScreen, AfterALoadErrorTheScreenIsCoveredWithTheDefaultsForTheRest) {
    store.SetAll(20, 3, 7, 5, 10, 1, 0);
    store.values["Size"].kind = fakes::MemoryStore::Kind::OtherType;
    host.cursor = {700, 500};
    EXPECT_FALSE(StartFullScreen(host, window, store, errors));
    EXPECT_EQ(errors.messages, Strings{"Invalid data type for 'Size'"});
    EXPECT_EQ(host.log, (Strings{"size", "context", "cursorpos", "announce", "hidecursor"}));
    EXPECT_EQ(window.picture.settings.Speed, 20);
    EXPECT_EQ(window.picture.settings.Brightness, 3);
    EXPECT_EQ(window.picture.settings.Size, kDefaultSettings.Size);
    EXPECT_EQ(window.picture.settings.Detail, kDefaultSettings.Detail);

    // The threshold counts from where the cursor really was.
    host.cursor = {690, 510};
    EXPECT_FALSE(FullScreenMouseMove(host, window));
    host.cursor = {711, 500};
    EXPECT_TRUE(FullScreenMouseMove(host, window));
    EXPECT_TRUE(host.terminated);
}

TEST_F(FullScreen, WithoutAContextTheFailureIsShownAndTheSaverEndsWithNothingHidden) {
    store.SetAll(10, 9, 7, 5, 10, 1, 0);
    host.contextFailure = "SetPixelFormat failed (error 2000)";
    StartFullScreen(host, window, store, errors);
    EXPECT_EQ(errors.messages,
              Strings{"OpenGL could not be started: SetPixelFormat failed (error 2000)"});
    EXPECT_EQ(host.log, (Strings{"size", "context", "terminate"}));
    EXPECT_FALSE(window.saverNoticeGiven);
}

TEST_F(FullScreen, AHackTakesTheCommandLinesSettingsAndLeavesCursorAndStoreAlone) {
    const SaverSettingsRecord given{55, 15, 0, 10, 30, 10, false};
    const struct { bool random, fps; } cases[] = {{false, false}, {false, true}, {true, false}};
    for (const auto& c : cases) {
        window = {};
        host.log.clear();
        SaverSettingsRecord settings = given;
        settings.RandomPicture = c.random;
        StartHack(host, window, settings, c.fps);
        EXPECT_EQ(host.log, (Strings{"size", "context"}));
        EXPECT_EQ(host.cursorCount, 0);
        EXPECT_EQ(window.picture.settings.Speed, 55);
        EXPECT_EQ(window.picture.settings.Detail, 30);
        if (c.random) {
            EXPECT_GE(window.picture.settings.PictureKind, 1);
            EXPECT_LE(window.picture.settings.PictureKind, 9);
        } else {
            EXPECT_EQ(window.picture.settings.PictureKind, 10);
        }
        // The frame rate is drawn after the picture only when asked for.
        glrec::Clear();
        RenderFrame(window.picture, window.frame);
        EXPECT_EQ(glrec::Count("glPushAttrib"), c.fps ? 1u : 0u);
    }
    glrec::Clear();
    EXPECT_TRUE(store.log.empty());
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(FullScreen, AHacksTimerTicksEveryDelayInWholeMilliseconds) {
    const int32_t delays[][2] = {{40000, 40}, {0, 0}, {999, 0}, {1500, 1}, {100000, 100}};
    for (const auto& d : delays) EXPECT_EQ(HackFrameIntervalMs(d[0]), d[1]) << d[0];
}

// However the window goes (closed by the system, the session ending,
// destroyed, each possibly after the others), the notice is withdrawn once
// if it was given, and never otherwise.
TEST_F(FullScreen, EveryWayTheWindowGoesWithdrawsTheNoticeOnce) {
    store.SetAll(10, 9, 7, 5, 10, 1, 0);
    const auto withdrawals = [this] {
        return std::count(host.log.begin(), host.log.end(), "withdraw");
    };
    FullScreenWindowEnded(host, window);  // never announced: nothing to withdraw
    EXPECT_EQ(withdrawals(), 0);

    ASSERT_TRUE(StartFullScreen(host, window, store, errors));
    ASSERT_TRUE(host.saverRunning);
    FullScreenWindowEnded(host, window);  // WM_CLOSE from the system
    FullScreenWindowEnded(host, window);  // then WM_DESTROY
    EXPECT_FALSE(host.saverRunning);
    EXPECT_EQ(withdrawals(), 1);
    EXPECT_FALSE(host.terminated);  // the window's own end ends the application

    // The ending steps withdraw it, and the destruction after them does not again.
    ASSERT_TRUE(StartFullScreen(host, window, store, errors));
    ASSERT_TRUE(FullScreenKeyDown(host, window));
    FullScreenWindowEnded(host, window);
    EXPECT_EQ(withdrawals(), 2);
    EXPECT_FALSE(host.saverRunning);
}

TEST_F(FullScreen, TheWayToCoverFollowsTheWindowSystemOnly) {
    const struct {
        DesktopFacts facts;
        CoverPlan plan;
    } rows[] = {
        // One window over every monitor, out of a window manager's hands (one may start
        // later), with the focus, kept on top; the pointer is known.
        {{WindowSystem::X11},
         {.unmanaged = true, .focusInput = true, .keepOnTop = true, .cursorKnown = true}},
        // A window on each output, which the compositor keeps; the pointer only as seen.
        {{WindowSystem::Wayland}, {.windowPerOutput = true, .cursorKnown = false}},
    };
    for (const auto& r : rows) EXPECT_EQ(PlanCover(r.facts), r.plan);
}

// The focus is taken when shown, and taken back as raises are made: at once
// after a quiet while, then ever further apart. Another client's grab (a
// locker) ends the saver once; from then on nothing is raised or focused.
TEST_F(FullScreen, TheSaverKeepsTheFocusAndTheTopUntilALockerGrabs) {
    using S = StackChange;
    fakes::FakeCoverHost cover;
    CoverRecord r, onWayland;
    const CoverPlan x11 = PlanCover({WindowSystem::X11}),
                    wayland = PlanCover({WindowSystem::Wayland});
    CoverShown(cover, wayland, onWayland);
    EXPECT_FALSE(CoverGrabbedByOther(wayland, onWayland));
    CoverShown(cover, x11, r);
    EXPECT_EQ(cover.log, Strings{"focus"});
    const struct {
        S change;
        int64_t atMs, dueAtMs;  // then the put-off raise is due (0: none)
        Strings calls;
    } rows[] = {
        {S::OtherElsewhere, 0, 0, {}},
        {S::OursUnobscured, 0, 0, {}},
        {S::OtherMapped, 0, 0, {"restack", "focus"}},
        {S::OtherAboveOurs, 60, 0, {"restack", "focus"}},
        {S::OursObscured, 70, 0, {"restack in 90"}},
        {S::OtherMapped, 80, 160, {}},                      // one is due
        {S::OursUnfocused, 5000, 0, {"restack", "focus"}},  // quiet: at once
    };
    for (const auto& row : rows) {
        cover.log.clear();
        CoverStackChanged(cover, x11, r, row.change, row.atMs);
        EXPECT_EQ(cover.log, row.calls) << row.atMs;
        if (row.dueAtMs) CoverRestackDue(cover, x11, r, row.dueAtMs);
    }
    for (int k = 0; k < 10; ++k) CoverRestackDue(cover, x11, r, 6000);
    EXPECT_EQ(r.raiseSpacingMs, kRaiseSpacingMaxMs);  // two savers: once a second
    cover.log.clear();
    CoverStackChanged(cover, x11, r, S::OtherMapped, 6010);  // a locker's window maps
    EXPECT_TRUE(CoverGrabbedByOther(x11, r));                // then it grabs
    EXPECT_FALSE(CoverGrabbedByOther(x11, r));
    CoverRestackDue(cover, x11, r, 7000);
    CoverStackChanged(cover, x11, r, S::OursUnfocused, 9000);
    CoverShown(cover, x11, r);
    EXPECT_EQ(cover.log, Strings{"restack in 990"});

    // -root at the bottom, by the same spacing: only its own raise counts.
    CoverRecord root;
    cover.log.clear();
    for (const S change : {S::OtherMapped, S::OursObscured, S::OursRaised, S::OursRaised})
        CoverStackChanged(cover, kBottomPlan, root, change, 100);
    EXPECT_EQ(cover.log, (Strings{"restack", "restack in 50"}));
}

// What a user sees of each window of the picture, a statement a row.
TEST_F(FullScreen, EachWindowOfThePictureBehavesAsItsUserSeesIt) {
    const RoleRules saver = RulesFor(PictureRole::Saver),
                    own = RulesFor(PictureRole::HackOwnWindow),
                    in = RulesFor(PictureRole::HackInWindow),
                    root = RulesFor(PictureRole::HackOnRoot);
    const struct {
        const char* what;
        bool holds;
    } rows[] = {
        {"the saver covers every monitor, stays on top, and input ends it",
         saver.screens && saver.stacking == Stacking::KeptOnTop && saver.inputEnds},
        {"no hack ends on input: XScreenSaver ends it, or its window's close box",
         !own.inputEnds && !in.inputEnds && !root.inputEnds},
        {"-window is a window like any other: its own size, managed, it takes input",
         !own.screens && !own.hostWindow && own.stacking == Stacking::Managed && own.takesInput},
        {"a hack in another window takes that window's size and lets input through to it",
         in.hostWindow && !in.screens && !in.takesInput},
        {"-root lies below every window over every monitor, input going to the desktop",
         root.screens && root.stacking == Stacking::KeptAtBottom && !root.takesInput},
    };
    for (const auto& r : rows) EXPECT_TRUE(r.holds) << r.what;
}

TEST_F(FullScreen, AHackWithNothingToDrawIntoSaysWhyInOneLine) {
    const std::pair<HackTargetFacts, std::string> rows[] = {
        {{true, 0, false, {}}, ""},
        {{false, 0x2a00007, false, {}}, "zarvella: the X window 0x2a00007 does not exist"},
        {{false, 0x2a00007, true, {true, false}},
         "zarvella: the X window 0x2a00007 is an InputOnly window, which cannot be drawn into"},
        {{false, 0x2a00007, true, {false, false}}, ""},
    };
    for (const auto& [facts, line] : rows) EXPECT_EQ(HackTargetError(facts), line);
}

// Without a desktop position the first one seen is the start, also anew
// after the outputs changed.
TEST_F(FullScreen, WithoutADesktopPositionTheFirstOneSeenIsTheStart) {
    host.knowsCursor = false;
    ASSERT_TRUE(StartFullScreen(host, window, store, errors));
    EXPECT_FALSE(window.startCursorKnown);
    const auto seen = [this](ScreenPoint at) {
        host.cursor = at;
        return FullScreenMouseMove(host, window);
    };
    EXPECT_FALSE(seen({900, 700}));
    EXPECT_FALSE(seen({910, 690}));
    host.monitors.push_back({1280, 0, 1280, 1024});
    EXPECT_TRUE(FullScreenDisplayChange(host, window));
    EXPECT_FALSE(seen({1500, 20}));
    EXPECT_TRUE(seen({1511, 20}));
}

// One window per output: a tick advances the picture once if any is shown,
// and not at all while none is.
TEST_F(FullScreen, ATickOfTheOutputsAdvancesOnceOnlyWhileOneIsShown) {
    ASSERT_TRUE(StartFullScreen(host, window, store, errors));
    PictureRecord once = window.picture;
    AdvancePicture(once);
    EXPECT_FALSE(AdvanceForShownOutputs(window, 0));
    EXPECT_NE(window.picture.animation.Phase1, once.animation.Phase1);
    EXPECT_TRUE(AdvanceForShownOutputs(window, 2));
    EXPECT_EQ(window.picture.animation.Phase1, once.animation.Phase1);
}
