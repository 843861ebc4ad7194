// --idle's rules: the time's spelling, the command lines, which source a
// session has, when the saver starts and ends, the inhibitors held, the
// autostart entry.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "startup/idle.h"
#include "startup/idle_session_lock.h"
#include "startup/idle_supervisor.h"
#include "startup/launch.h"
#include "tests/fakes/fake_idle_host.h"

using namespace zarvella;

TEST(Idle, TimesAreANumberAndOneUnitFromASecondToADay) {
    const struct {
        const char* text;
        int seconds;  // 0: refused
    } rows[] = {
        {"90s", 90}, {"10m", 600}, {"1h", 3600},  {"24h", 86400}, {"1440m", 86400},   {"1s", 1},
        {"0s", 0},   {"25h", 0},   {"86401s", 0}, {"10", 0},      {"m", 0},           {"", 0},
        {"1.5h", 0}, {"-5s", 0},   {"10M", 0},    {"2s ", 0},     {"99999999999s", 0}};
    for (const auto& row : rows) {
        std::string error;
        EXPECT_EQ(ParseIdleTime(row.text, error), row.seconds) << row.text;
        EXPECT_EQ(error.empty(), row.seconds != 0) << row.text << ": " << error;
    }
    EXPECT_EQ(FormatIdleTime(5400), "90m");  // and 3600 "1h", 90 "90s": the entry's test
}

TEST(Idle, CommandLinesBecomeLaunchPlans) {
    const struct {
        std::vector<std::string> args;
        LaunchKind kind;
        int seconds;
    } rows[] = {
        {{"--idle"}, LaunchKind::Idle, 600},
        {{"--idle", "2s"}, LaunchKind::Idle, 2},
        {{"--enable-idle", "1h"}, LaunchKind::EnableIdle, 3600},
        {{"--disable-idle"}, LaunchKind::DisableIdle, 600},
        {{"--disable-idle", "5m"}, LaunchKind::UsageError, 600},
        {{"--idle", "2s", "x"}, LaunchKind::UsageError, 600},
        {{"--idle", "soon"}, LaunchKind::UsageError, 0},
    };
    for (const auto& row : rows) {
        const LaunchPlan plan = PlanLaunch(row.args, nullptr, CommandLines::WindowsAndXScreenSaver);
        EXPECT_EQ(plan.kind, row.kind) << row.args[0];
        EXPECT_EQ(plan.idleSeconds, row.seconds) << row.args[0];
        EXPECT_EQ(plan.error.empty(), row.kind != LaunchKind::UsageError) << plan.error;
    }
    EXPECT_EQ(
        PlanLaunch({"--idle", "2s", "x"}, nullptr, CommandLines::WindowsAndXScreenSaver).error,
        "--idle takes one TIME at most, not \"x\"");
    EXPECT_EQ(PlanLaunch({"--idle"}, nullptr, CommandLines::WindowsOnly).kind, LaunchKind::Mode);
}

// The facts as letters: W a Wayland session that opens (w: that does not),
// e ext_idle_notifier_v1, k org_kde_kwin_idle, g GNOME's idle monitor; X an
// X display that opens, d an XScreenSaver daemon on it, s MIT-SCREEN-SAVER.
IdleFacts Facts(std::string_view f) {
    using F = IdleFacts;
    const std::pair<const char*, bool F::*> flags[] = {
        {"Ww", &F::waylandSession},    {"W", &F::waylandOpens},
        {"e", &F::extIdleNotifier},    {"k", &F::kdeIdle},
        {"g", &F::mutterIdleMonitor},  {"X", &F::xDisplayOpens},
        {"d", &F::xScreenSaverDaemon}, {"s", &F::xScreenSaverExtension}};
    IdleFacts facts;
    for (const auto& [letters, member] : flags) facts.*member = f.find_first_of(letters) != f.npos;
    facts.display = facts.waylandSession ? "wayland-1" : ":5";
    return facts;
}

TEST(Idle, EachSessionHasItsSourceOrOneLineSaysWhyNot) {
    const struct {
        const char* facts;
        IdleSource source;
        const char* says;  // a part of the one line, for None
    } rows[] = {
        {"Wekg", IdleSource::ExtIdleNotify, ""},  // the standard protocol first
        {"Wkg", IdleSource::KdeIdle, ""},
        {"Wg", IdleSource::MutterIdleMonitor, ""},
        {"WXs", IdleSource::None, "session 'wayland-1' tells no idle time"},  // not Xwayland's
        {"wekg", IdleSource::None, "cannot connect to the Wayland display 'wayland-1'"},
        {"Xs", IdleSource::X11ScreenSaver, ""},
        {"Xsg", IdleSource::MutterIdleMonitor, ""},  // GNOME on X11
        {"Xdsg", IdleSource::None,
         "display ':5': add Zarvella to it with `zarvella -install-xscreensaver`"},
        {"X", IdleSource::None, "':5' tells no idle time (no MIT-SCREEN-SAVER extension)"},
        {"", IdleSource::None, "zarvella: cannot open display ':5'"},
    };
    for (const auto& row : rows) {
        const IdleSourceChoice choice = ChooseIdleSource(Facts(row.facts));
        EXPECT_EQ(choice.source, row.source) << row.facts;
        EXPECT_TRUE(*row.says ? choice.error.starts_with("zarvella: ") &&
                                    choice.error.find(row.says) != choice.error.npos &&
                                    choice.error.find('\n') == choice.error.npos
                              : choice.error.empty())
            << choice.error;
    }
}

// One lock per session, whatever the display's spelling, in a folder that is
// the user's alone.
TEST(Idle, TheLockIsKeyedOnTheSessionInAFolderOfTheUsersOwn) {
    const struct {
        const char* display;
        bool wayland;
        const char* file;  // in /run/user/7
    } rows[] = {
        {":0", false, "_0"},
        {":0.0", false, "_0"},
        {"unix:0", false, "_0"},
        {"unix:0.1", false, "_0"},
        {":10", false, "_10"},
        {"host:0.0/x", false, "host_0.0_x"},  // not a local spelling: as it is
        {":0.", false, "_0."},
        {"wayland-1", true, "wayland-1"},
        {"/run/user/7/wayland-1", true, "wayland-1"},
        {"/tmp/wayland-1", true, "_tmp_wayland-1"},
        {"/run/user/7/x/wayland-1", true, "_run_user_7_x_wayland-1"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IdleLockPath("/run/user/7", row.display, row.wayland),
                  std::string("/run/user/7/zarvella-idle.") + row.file + ".lock")
            << row.display;

    const FolderFacts mine{true, true, 7, 0700}, open{true, true, 7, 0755},
        theirs{true, true, 8, 0700}, link{true, false, 7, 0777}, none{};
    const struct {
        const char* runtimeDir;
        FolderFacts runUser;
        const char* folder;
        bool shared;
    } folders[] = {
        {"/run/user/7/", none, "/run/user/7", false},  // the variable, as given
        {"", mine, "/run/user/7", false},              // the same without it
        {"", open, "/tmp/zarvella-7", true},
        {"run", none, "/tmp/zarvella-7", true},
    };
    for (const auto& row : folders) {
        const IdleLockFolderChoice choice = IdleLockFolder(row.runtimeDir, 7, row.runUser);
        EXPECT_EQ(std::pair(choice.path, choice.shared),
                  std::pair(std::string(row.folder), row.shared))
            << row.runtimeDir;
    }
    EXPECT_EQ(IdlePrivateFolderProblem("/tmp/zarvella-7", mine, 7), "");
    EXPECT_EQ(
        IdlePrivateFolderProblem("/tmp/zarvella-7", theirs, 7),
        "zarvella: /tmp/zarvella-7 belongs to another user: --idle keeps its lock nowhere else");
    for (const FolderFacts& bad : {open, link, none})
        EXPECT_NE(IdlePrivateFolderProblem("/tmp/zarvella-7", bad, 7), "");

    for (const auto& [text, pid] : {std::pair{"4242\n", 4242},
                                    {"4242", 0},
                                    {"42x\n", 0},
                                    {"1\n", 0},
                                    {"", 0},
                                    {"4242\n\n", 0},
                                    {"-5\n", 0}})
        EXPECT_EQ(ParseIdlePid(text), pid) << text;
}

// Each row: what happens, as letters, and the host's log (fake_idle_host.h).
// The source: I idle, A active, C inhibition changed; E the saver ended, t
// the call back. The host's answers: h inhibited, r released, n answered
// later, then Y or N; o it reports no inhibitor's end; g another client holds
// the keyboard, f free again, z the server's saver turned off (Z: off since
// --idle started), v another saver of ours shows; x the saver cannot start. Locks: L U logind
// locked / unlocked, M m GNOME's screen saver. Q SIGTERM, X the source lost.
TEST(Idle, TheSupervisorStartsAndEndsTheSaver) {
    const struct {
        const char* events;
        const char* log;
    } rows[] = {
        {"IAEI", "? S T @2000 @- ? S"},          // a key ends it (asked to, with a grace)
        {"IEI", "? S"},                          // ended at once, still idle: waits for input
        {"IEAI", "? S ? S"},                     //   and comes back after the next idle period
        {"IAtE", "? S T @2000 K @1000 @-"},      // hangs: killed after the grace
        {"IhC", "? S"},                          // inhibited while running: it stays
        {"hICrC", "? ? ? S"},                    // held off, then released while idle
        {"hIArC", "?"},                          // released after activity: nothing to start
        {"ohItrt", "? @1000 ? @1000 ? S"},       // no end reported: asked again each second
        {"gItft", "k @1000 k @1000 ? S"},        // a keyboard grab elsewhere holds it off too
        {"zItft", "k @1000 k @1000 ? S"},        // `xset s off` by a player, until `s on`
        {"ZI", "k ? S"},                         //   not the user's own, set before --idle
        {"vItft", "k @1000 k @1000 ? S"},        // xautolock's /s shows: no second saver
        {"nIY", "? @2000 @-"},                   // answered later: held
        {"nIt", "? @2000 S"},                    // no answer in time: nothing inhibits
        {"nIAN", "? @2000 @-"},                  // an answer after activity is old news
        {"xIIAI", "? S ? S"},                    // a failed start counts as an ended saver
        {"LI", ""},                              // locked: no saver
        {"LIU", ""},                             // unlocked while idle: input first
        {"LIUAI", "? S"},                        //
        {"ILE", "? S T @2000 @-"},               // the lock comes: the saver ends
        {"LMUAI", ""},                           // locked while any source says so
        {"LMUmAI", "? S"},                       //
        {"IQE", "? S T @2000 @- exit:0"},        // SIGTERM: the saver first
        {"IQtt", "? S T @2000 K @1000 exit:0"},  //   even a hung one
        {"Q", "exit:0"},                         //
        {"XX", "say:gone exit:1"},               // the source lost: one line
    };
    for (const auto& row : rows) {
        fakes::FakeIdleHost host;
        IdleSupervisor supervisor(host);
        for (const char* e = row.events; *e; ++e) {
            const auto event = [&](IdleEvent event) { supervisor.OnEvent(event); };
            const auto lock = [&](LockSource source, bool locked) {
                supervisor.LockChanged(source, locked);
            };
            switch (*e) {
                case 'I':
                    event(IdleEvent::SessionIdle);
                    break;
                case 'A':
                    event(IdleEvent::SessionActive);
                    break;
                case 'C':
                    event(IdleEvent::InhibitionChanged);
                    break;
                case 'E':
                    event(IdleEvent::SaverEnded);
                    break;
                case 't':
                    supervisor.Tick();
                    break;
                case 'h':
                    host.inhibited = true;
                    break;
                case 'r':
                    host.inhibited = false;
                    break;
                case 'n':
                    host.inhibited.reset();
                    break;
                case 'Y':
                    supervisor.InhibitedAnswer(true);
                    break;
                case 'N':
                    supervisor.InhibitedAnswer(false);
                    break;
                case 'o':
                    host.reportsInhibitorEnd = false;
                    break;
                case 'g':
                    host.hold.keyboardHeldElsewhere = true;
                    break;
                case 'f':
                    host.hold = {};
                    break;
                case 'Z':
                    host.hold.serverSaverOffAtStart = true;
                    [[fallthrough]];
                case 'z':
                    host.hold.serverSaverOff = true;
                    break;
                case 'v':
                    host.hold.saverShows = true;
                    break;
                case 'x':
                    host.startFails = true;
                    break;
                case 'L':
                    lock(LockSource::Logind, true);
                    break;
                case 'U':
                    lock(LockSource::Logind, false);
                    break;
                case 'M':
                    lock(LockSource::GnomeScreenSaver, true);
                    break;
                case 'm':
                    lock(LockSource::GnomeScreenSaver, false);
                    break;
                case 'Q':
                    supervisor.Quit(0);
                    break;
                case 'X':
                    supervisor.SourceLost("gone");
                    break;
            }
        }
        EXPECT_EQ(host.log, row.log) << row.events;
    }
    // Input while idle is seen within a second; the saver is gone within 4 s of it.
    EXPECT_LT(PollX11Idle(60000, UINT64_MAX, 10, true).nextMs + kSaverGraceMs, 4000);
}

// GNOME's idle watch fires each idle period; its user-active watch, once.
TEST(Idle, GnomeWatchesMeanIdleThenActiveOnce) {
    MutterWatches watches;
    watches.IdleWatchAdded(4);
    watches.ActiveWatchAdded(9);
    EXPECT_EQ(watches.Fired(4), IdleEvent::SessionIdle);
    EXPECT_EQ(watches.Fired(9), IdleEvent::SessionActive);
    EXPECT_EQ(watches.Fired(9), std::nullopt) << "one-shot";
    EXPECT_EQ(watches.Fired(0), std::nullopt);
    EXPECT_TRUE(IdleChoiceNeedsMutter(Facts("Xs")) && IdleChoiceNeedsMutter(Facts("W")));
    EXPECT_FALSE(IdleChoiceNeedsMutter(Facts("We")) || IdleChoiceNeedsMutter(Facts("Xd")));
}

TEST(Idle, X11IsAskedWhenIdlenessMayBeginAndEachSecondOnceIdle) {
    constexpr uint64_t kNever = UINT64_MAX;
    const struct {
        uint64_t idle, simulated;
        bool wasIdle, changed;
        IdleEvent event;
        int next;
    } rows[] = {
        {7500, kNever, false, false, IdleEvent::SessionActive, 2500},
        {9600, kNever, false, false, IdleEvent::SessionActive, 1000},
        {10000, kNever, false, true, IdleEvent::SessionIdle, 1000},
        {300, kNever, true, true, IdleEvent::SessionActive, 9700},
        {60000, 4000, true, true, IdleEvent::SessionActive, 6000},  // SimulateUserActivity
    };
    for (const auto& row : rows) {
        const IdlePoll poll = PollX11Idle(row.idle, row.simulated, 10, row.wasIdle);
        EXPECT_EQ(std::tuple(poll.changed, poll.event, poll.nextMs),
                  std::tuple(row.changed, row.event, row.next))
            << row.idle;
    }
}

TEST(Idle, InhibitorsAreHeldPerCallerUntilReleasedOrTheCallerLeaves) {
    InhibitorBook book;
    const uint32_t video = book.Inhibit(":1.5", "player", "video");
    const uint32_t slides = book.Inhibit(":1.7", "slides", "presenting");
    const uint32_t second = book.Inhibit(":1.5", "player", "second window");
    EXPECT_TRUE(video && slides && second && video != slides && slides != second);
    EXPECT_FALSE(book.UnInhibit(":1.7", video)) << "only its caller releases it";
    EXPECT_TRUE(book.UnInhibit(":1.5", video));
    EXPECT_FALSE(book.UnInhibit(":1.5", video)) << "once";
    EXPECT_EQ(book.CallerLeft(":1.5"), 1u);
    EXPECT_TRUE(book.Inhibited("A"));
    EXPECT_EQ(book.CallerLeft(":1.7"), 1u);
    EXPECT_FALSE(book.Inhibited("A"));

    // Held for the caller's own display, or every display when it is unknown.
    book.Inhibit(":1.8", "player", "on B", "B");
    EXPECT_EQ(std::pair(book.Inhibited("A"), book.Inhibited("B")), std::pair(false, true));
    book.Inhibit(":1.9", "player", "anywhere");
    EXPECT_TRUE(book.Inhibited("A"));
    EXPECT_EQ(book.Clear(), 2u) << "the bus went away";

    // Bounded per caller: names cut (not inside a character), the 65th refused.
    const std::string huge(50000, 'a');
    EXPECT_EQ(book.Application(book.Inhibit(":2.1", huge, huge)), huge.substr(0, 256));
    EXPECT_EQ(book.Application(book.Inhibit(":2.1", std::string(255, 'a') + "\u00e9", "")),
              std::string(255, 'a'));
    for (int i = 2; i < 64; ++i) EXPECT_NE(book.Inhibit(":2.1", "a", "b"), 0u);
    EXPECT_EQ(book.Inhibit(":2.1", "a", "b"), 0u);
    EXPECT_NE(book.Inhibit(":2.2", "a", "b"), 0u) << "another caller";

    using namespace std::string_view_literals;
    EXPECT_EQ(EnvironmentDisplay("A=1\0DISPLAY=:3\0WAYLAND_DISPLAY=w-2\0"sv, false), ":3");
    EXPECT_EQ(EnvironmentDisplay("DISPLAY=:3\0"sv, true), "");
}

// The desktop's books asked at once: the first yes decides, else all answers.
TEST(Idle, AskedBooksInhibitOnTheFirstYes) {
    const struct {
        std::vector<std::optional<bool>> answers;  // none: an error
        std::optional<bool> decided;
        bool nobodyTells;
    } rows[] = {
        {{false, true}, true, false},
        {{std::nullopt, false, std::nullopt}, false, false},
        {{std::nullopt, std::nullopt, std::nullopt}, false, true},
        {{true, true}, true, false},  // decided once
    };
    for (const auto& row : rows) {
        InhibitionQuestion question(3);
        std::optional<bool> decided;
        int decisions = 0;
        for (const auto& answer : row.answers)
            if (const auto d = question.Answer(answer)) decided = d, ++decisions;
        EXPECT_EQ(std::tuple(decided, decisions, question.NobodyTells()),
                  std::tuple(row.decided, 1, row.nobodyTells));
    }
    EXPECT_EQ(IdleLockPath("/r", ":1.0", false, "saver"), "/r/zarvella-saver._1.lock");
}

TEST(Idle, TheAutostartEntryLiesInTheConfigFolder) {  // its text: test_idle_autostart.cpp
    EXPECT_EQ(IdleAutostartPath("/c", "/h"), "/c/autostart/zarvella-idle.desktop");
    EXPECT_EQ(IdleAutostartPath("rel", "/h"), "/h/.config/autostart/zarvella-idle.desktop");
    EXPECT_EQ(IdleAutostartPath(nullptr, nullptr), "");
}
