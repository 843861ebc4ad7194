// How a start becomes one thing to do: Windows-style mode words, and
// XScreenSaver's kind of command line with the window it names.
#include <gtest/gtest.h>

#include "startup/display_choice.h"
#include "startup/launch.h"
#include "startup/xscreensaver_list.h"
#include "tests/fakes/fakes.h"

using namespace zarvella;
using Args = std::vector<std::string>;

namespace {
constexpr auto kLinux = CommandLines::WindowsAndXScreenSaver;
constexpr auto kWindows = CommandLines::WindowsOnly;
constexpr auto kMode = LaunchKind::Mode;
constexpr auto kHack = LaunchKind::Hack;
constexpr auto kFull = SaverMode::FullScreen;
constexpr auto kOwn = HackTarget::OwnWindow;
constexpr auto kRoot = HackTarget::RootWindow;
constexpr auto kGiven = HackTarget::GivenWindow;
}  // namespace

TEST(Launch, TheFirstArgumentTellsTheTwoKindsApart) {
    struct Case {
        Args args;
        const char* variable;
        CommandLines lines;
        LaunchKind kind;
        SaverMode mode;  // Mode
        const char* second;
        HackTarget target;  // Hack
        unsigned long window;
    } const cases[] = {
        // Windows' kind: the first argument alone picks the mode.
        {{}, nullptr, kLinux, kMode, kFull, "", kOwn, 0},
        {{"/s"}, nullptr, kLinux, kMode, kFull, "", kOwn, 0},
        {{"-s"}, nullptr, kLinux, kMode, kFull, "", kOwn, 0},
        {{"/c"}, "4711", kLinux, kMode, SaverMode::Settings, "", kOwn, 0},
        {{"/c", "-root"}, nullptr, kLinux, kMode, SaverMode::Settings, "-root", kOwn, 0},
        {{"-c"}, "99", kLinux, kMode, SaverMode::Settings, "", kOwn, 0},
        {{"-s"}, "99", kLinux, kMode, kFull, "", kOwn, 0},
        {{"/p", "4711"}, "4711", kLinux, kMode, SaverMode::Preview, "4711", kOwn, 0},
        {{"/a", "12"}, nullptr, kLinux, kMode, SaverMode::ChangePassword, "12", kOwn, 0},
        {{"-bogus"}, nullptr, kLinux, kMode, kFull, "", kOwn, 0},
        // XScreenSaver's kind: where it draws.
        {{"-root"}, nullptr, kLinux, kHack, kFull, "", kRoot, 0},
        {{"--root"}, "", kLinux, kHack, kFull, "", kRoot, 0},
        {{"-root"}, "0x2a00007", kLinux, kHack, kFull, "", kGiven, 0x2a00007},
        {{}, "4711", kLinux, kHack, kFull, "", kGiven, 4711},
        {{}, "junk", kLinux, LaunchKind::UsageError, kFull, "", kOwn, 0},
        {{"-root"}, "0", kLinux, LaunchKind::UsageError, kFull, "", kOwn, 0},
        {{"-window-id", "4711"}, nullptr, kLinux, kHack, kFull, "", kGiven, 4711},
        {{"--window-id", "0x1267"}, nullptr, kLinux, kHack, kFull, "", kGiven, 0x1267},
        {{"-root", "-window-id", "12"}, "0x99", kLinux, kHack, kFull, "", kGiven, 12},
        {{"-root", "--window-id", "0x400EE5"}, nullptr, kLinux, kHack, kFull, "", kGiven, 0x400ee5},
        {{"-window"}, "99", kLinux, kHack, kFull, "", kOwn, 0},
        {{"-speed", "50"}, nullptr, kLinux, kHack, kFull, "", kOwn, 0},
        {{"-speed", "50"}, "99", kLinux, kHack, kFull, "", kGiven, 99},
        {{"-help"}, nullptr, kLinux, LaunchKind::Help, kFull, "", kOwn, 0},
        {{"--help", "-bogus"}, nullptr, kLinux, LaunchKind::Help, kFull, "", kOwn, 0},
        {{"-h"}, nullptr, kLinux, LaunchKind::Help, kFull, "", kOwn, 0},
        {{"--version"}, nullptr, kLinux, LaunchKind::Version, kFull, "", kOwn, 0},
        {{"-root", "-version"}, "99", kLinux, LaunchKind::Version, kFull, "", kOwn, 0},
        {{"-v"}, nullptr, kLinux, kMode, kFull, "", kOwn, 0},
        {{"-root", "-bogus"}, nullptr, kLinux, LaunchKind::UsageError, kFull, "", kOwn, 0},
        {{"-window-id", "abc"}, nullptr, kLinux, LaunchKind::UsageError, kFull, "", kOwn, 0},
        {{"-window-id"}, nullptr, kLinux, LaunchKind::UsageError, kFull, "", kOwn, 0},
        {{"-window-id", " -5"}, nullptr, kLinux, LaunchKind::UsageError, kFull, "", kOwn, 0},
        {{"--hlep"}, nullptr, kLinux, LaunchKind::UsageError, kFull, "", kOwn, 0},
        {{"-window", "-root"}, nullptr, kLinux, kHack, kFull, "", kRoot, 0},
        // Windows has only its own kind, whatever the words.
        {{"-root"}, nullptr, kWindows, kMode, kFull, "", kOwn, 0},
        {{"--help"}, nullptr, kWindows, kMode, kFull, "", kOwn, 0},
        {{"--hlep"}, nullptr, kWindows, kMode, kFull, "", kOwn, 0},
        {{"-h"}, nullptr, kWindows, kMode, kFull, "", kOwn, 0},
        {{"--version"}, nullptr, kWindows, kMode, kFull, "", kOwn, 0},
        {{"-c"}, nullptr, kWindows, kMode, SaverMode::Settings, "", kOwn, 0},
        {{"-window-id", "5"}, "5", kWindows, kMode, kFull, "5", kOwn, 0},
    };
    for (const Case& c : cases) {
        const std::string name = (c.args.empty() ? "(none)" : c.args[0]) + " " +
                                 (c.args.size() > 1 ? c.args[1] : "") + " var " +
                                 (c.variable ? c.variable : "unset");
        const LaunchPlan plan = PlanLaunch(c.args, c.variable, c.lines);
        ASSERT_EQ(plan.kind, c.kind) << name;
        EXPECT_EQ(plan.error.empty(), c.kind != LaunchKind::UsageError) << name;
        if (c.kind == kMode) {
            EXPECT_EQ(plan.mode, c.mode) << name;
            EXPECT_EQ(plan.secondArgument, c.second) << name;
        }
        if (c.kind == kHack) {
            EXPECT_EQ(plan.hack.target, c.target) << name;
            EXPECT_EQ(plan.hack.window, c.window) << name;
        }
    }
}

TEST(Launch, TheIdleWordsTakeOneDashOrTwo) {
    const struct {
        Args args;
        LaunchKind kind;
        int seconds;
        const char* error;
    } rows[] = {
        {{"-idle", "10m"}, LaunchKind::Idle, 600, ""},
        {{"-enable-idle", "2s"}, LaunchKind::EnableIdle, 2, ""},
        {{"-disable-idle"}, LaunchKind::DisableIdle, 600, ""},
        {{"-idle", "2s", "x"}, LaunchKind::UsageError, 600, "-idle takes one TIME at most"},
        {{"-disable-idle", "5m"}, LaunchKind::UsageError, 600, "-disable-idle takes no argument"},
        {{"-idlex"}, kMode, 0, ""},
    };
    for (const auto& row : rows) {
        const LaunchPlan plan = PlanLaunch(row.args, nullptr, kLinux);
        EXPECT_EQ(plan.kind, row.kind) << row.args[0];
        EXPECT_EQ(plan.idleSeconds, row.seconds) << row.args[0];
        EXPECT_TRUE(plan.error.starts_with(row.error)) << plan.error;
    }
    EXPECT_EQ(PlanLaunch({"-idle"}, nullptr, kWindows).kind, kMode);
}

TEST(Launch, QtPlatformIsRefusedInOneLineOnlyWhenQtHasNoneOfItsNames) {
    const std::vector<std::string> qt = {"offscreen", "wayland", "xcb"};
    const struct {
        const char* value;
        const char* error;  // the line's end; "" when Qt has it
    } rows[] = {
        {"", ""},  // Qt's default
        {"xcb", ""},
        {"XCB", ""},
        {"wayland:nodecoration", ""},
        {"garbage;offscreen", ""},
        {";:xcb", ""},
        {"garbage", "'garbage', and Qt has no such platform (it has offscreen, wayland, xcb)"},
        {"wayland-egl;x", "Qt has no such platform (it has offscreen, wayland, xcb)"},
        {";", "';', which names no platform (it has offscreen, wayland, xcb)"},
    };
    for (const auto& row : rows) {
        const std::string line = QtPlatformError(row.value, qt);
        EXPECT_EQ(line.empty(), !*row.error) << row.value;
        EXPECT_TRUE(line.ends_with(row.error)) << line;
    }
    EXPECT_TRUE(QtPlatformError("xcb", {}).ends_with("(it has none)"));
    EXPECT_EQ(QtPlatformValue({"/s", "-platform", "a", "--platform", "b"}, "xcb").value, "b");
    EXPECT_EQ(QtPlatformValue({"/s", "-platform"}, "xcb").value, "xcb");
    EXPECT_EQ(QtPlatformError("x", qt, "-platform").rfind("zarvella: -platform is 'x',", 0), 0u);
}

TEST(Launch, NoOptionNameChangesTheModeWhenGivenFirst) {
    // The mode letter is an argument's second character: no option may start
    // with c, p or a, or "-cxyz" would open the settings window on Windows.
    for (const OptionHelp& o : OptionHelpList()) {
        for (const std::string& word : {o.name, o.also}) {
            if (word.empty()) continue;
            EXPECT_EQ(ModeForArgument(word), SaverMode::FullScreen) << word;
            EXPECT_EQ(PlanLaunch({word}, nullptr, kWindows).mode, SaverMode::FullScreen) << word;
            EXPECT_TRUE(IsXScreenSaverCommandLine({word}, nullptr, kLinux)) << word;
        }
    }
    for (const char* word : {"-c", "-p", "-a", "/c", "-cpa", "-", "--", "---root", "root"})
        EXPECT_FALSE(IsXScreenSaverCommandLine({word}, nullptr, kLinux)) << word;
}

TEST(Launch, SettingsOwnerAfterTheColonElseTheSecondArgument) {
    const struct {
        Args args;
        const char* owner;
    } cases[] = {
        {{"/c:4711"}, "4711"},
        {{"/C:$10", "12"}, "$10"},
        {{"/c", "4711"}, "4711"},
        {{"/c:", "12"}, "12"},
        {{"/c"}, ""},
        {{"/c4711"}, ""},
        {{"/p:4711", "12"}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlanLaunch(c.args, nullptr, kWindows).settingsOwner, c.owner) << c.args[0];
    }
}

namespace {
// The probes' answers, and the log of which were asked.
struct FakeProbes : DisplayProbes {
    bool x = false, wayland = false;
    Descriptor fd = Descriptor::NotOpen;
    std::string log;
    bool XOpens() override { return log += "x ", x; }
    bool WaylandOpens() override { return log += "wl ", wayland; }
    Descriptor Kind(int n) override { return log += "fd" + std::to_string(n) + " ", fd; }
};
}  // namespace

// One decision over the environment's facts: the display that works, X only
// when it may be used, Wayland's real trouble in one line, and -root on
// whichever display is chosen.
TEST(Launch, TheDisplayIsTheOneThatWorksAskedOnlyWhenItMayBeUsed) {
    constexpr auto X = WindowSystem::X11, W = WindowSystem::Wayland, N = WindowSystem::None;
    constexpr auto sock = Descriptor::Socket, none = Descriptor::NotOpen, file = Descriptor::Other;
    const auto env = [](std::string display, std::string wayland, std::string socket = "",
                        bool runtime = true, std::string qt = "") {
        return SessionEnvironment{display, wayland, socket, runtime ? "/run/user/1" : "", qt};
    };
    const SessionEnvironment x = env(":0", ""), wl = env("", "wayland-1"),
                             both = env(":0", "wayland-1"), noRuntime = env("", "wayland-1", "", 0),
                             stale = env(":0", "wayland-1", "99"), handed = env("", "", "5"),
                             userX = env(":0", "wayland-1", "", 1, "xcb"),
                             userWl = env(":0", "", "", 1, "wayland"), unset = env("", "");
    const std::string noX =
        " draws into an X window, and DISPLAY is not set in this Wayland session (no Xwayland)";
    const struct {
        Args args;
        SessionEnvironment env;
        bool xOpens, wlOpens;
        Descriptor fd;
        WindowSystem system;
        const char* asked;
        std::string error;
        bool layers = false, drop = false;
        const char* qt = "";
    } rows[] = {
        {{"/s"}, unset, 0, 0, none, N, "", "zarvella: cannot open display: DISPLAY is not set"},
        {{"/s"}, x, 1, 0, none, X, "x ", "", 0, 0, "xcb"},
        {{"/c"}, both, 1, 1, none, W, "wl ", "", 0, 0, "wayland"},  // X never asked
        {{"/c"},
         env(":0", "wayland-9"),
         0,
         0,
         none,
         N,
         "wl x ",
         "zarvella: cannot open display ':0'"},
        {{"/s"},
         env("", "wayland-9"),
         0,
         0,
         none,
         N,
         "wl ",
         "zarvella: cannot connect to the Wayland display 'wayland-9'"},
        {{"-root"}, env(":0", "wayland-9"), 1, 0, none, X, "wl x ", "", 0, 0, "xcb"},
        {{"-root"}, wl, 0, 1, none, W, "wl ", "", true, 0, "wayland"},
        {{"-root"}, both, 1, 1, none, X, "x ", "", 0, 0, "xcb"},  // [variable] below
        {{"/p", "12"}, both, 1, 1, none, X, "x ", "", 0, 0, "xcb"},
        {{"/p", "12"}, wl, 0, 1, none, N, "", "zarvella: /p ID" + noX},
        {{"-window-id", "12"}, wl, 0, 1, none, N, "", "zarvella: -window-id" + noX},
        {{"/s"},
         noRuntime,
         0,
         1,
         none,
         N,
         "",
         "zarvella: cannot connect to the Wayland display 'wayland-1': XDG_RUNTIME_DIR is not set"},
        {{"/s"}, stale, 1, 1, none, W, "fd99 wl ", "", 0, true, "wayland"},
        {{"-root"}, handed, 0, 0, sock, W, "fd5 ", "", true, 0, "wayland"},
        {{"-root"},
         handed,
         0,
         0,
         file,
         N,
         "fd5 ",
         "zarvella: WAYLAND_SOCKET=5 is not a Wayland connection: descriptor 5 is not a socket"},
        {{"-root"},
         handed,
         0,
         0,
         none,
         N,
         "fd5 ",
         "zarvella: cannot use the Wayland connection WAYLAND_SOCKET=5",
         0,
         true},
        {{"/s"},
         env("", "", "junk"),
         0,
         0,
         sock,
         N,
         "",
         "zarvella: cannot use the Wayland connection WAYLAND_SOCKET=junk",
         0,
         true},
        {{"/s"}, userX, 1, 1, none, X, "x ", ""},  // the user's choice is kept
        {{"/s"},
         userWl,
         1,
         0,
         none,
         N,
         "",
         "zarvella: QT_QPA_PLATFORM is 'wayland', and WAYLAND_DISPLAY is not set"},
        {{"-root", "-bogus"}, unset, 0, 0, none, N, "", ""},
    };
    for (const auto& r : rows) {
        const char* variable =
            &r == &rows[7] ? "0x2a00007" : nullptr;  // XScreenSaver's window wins
        FakeProbes probes;
        probes.x = r.xOpens, probes.wayland = r.wlOpens, probes.fd = r.fd;
        const DisplayPlan plan = PlanDisplay(PlanLaunch(r.args, variable, kLinux), r.env, probes);
        const std::string row = r.args[0] + " #" + std::to_string(&r - rows);
        EXPECT_EQ(plan.system, r.system) << row;
        EXPECT_EQ(probes.log, r.asked) << row;
        EXPECT_EQ(plan.error, r.error) << row;
        EXPECT_EQ(plan.layerSurfaces, r.layers) << row;
        EXPECT_EQ(plan.dropWaylandSocket, r.drop) << row;
        EXPECT_EQ(plan.qtPlatform, r.qt) << row;
    }
    FakeProbes probes;
    EXPECT_EQ(PlanDisplay(PlanLaunch({}, "12", kLinux), wl, probes).error,
              "zarvella: XSCREENSAVER_WINDOW" + noX);
}

TEST(Launch, DevicePixelsAndAFatalGlProblemFollowTheWindow) {
    const SessionEnvironment x{":0", "", "", "/run/user/1", ""},
        wl{"", "wayland-1", "", "/run/user/1", ""};
    const struct {
        Args args;
        bool wayland, devicePixels, glProblemEnds;
    } rows[] = {
        {{"/s"}, 0, 1, 1}, {{"/p", "12"}, 0, 1, 1}, {{"-root"}, 0, 1, 1}, {{"-window"}, 0, 0, 1},
        {{"/c"}, 0, 0, 0}, {{"/s"}, 1, 0, 1},       {{"/c"}, 1, 0, 0},
    };
    for (const auto& r : rows) {
        FakeProbes probes;
        probes.x = !r.wayland, probes.wayland = r.wayland;
        const DisplayPlan plan =
            PlanDisplay(PlanLaunch(r.args, nullptr, kLinux), r.wayland ? wl : x, probes);
        EXPECT_EQ(plan.devicePixels, r.devicePixels) << r.args[0] << r.wayland;
        EXPECT_EQ(plan.glProblemEnds, r.glProblemEnds) << r.args[0] << r.wayland;
    }
}

TEST(Launch, VersionAndConnectionTexts) {
    EXPECT_EQ(VersionText(), std::string("zarvella ") + ZARVELLA_VERSION + "\n");
    EXPECT_EQ(WaylandConnectError("nowhere", nullptr),
              "zarvella: cannot connect to the Wayland display 'nowhere'");
    EXPECT_EQ(PlanLaunch({}, "junk", kLinux).error,
              "XSCREENSAVER_WINDOW holds \"junk\", not an X window id");
}

// Where a hack's settings come from: the options alone under XScreenSaver's
// page, else the stored settings with the options given over them.
TEST(Launch, HackSettingsAreTheStoredOnesUnlessXScreenSaverStartedIt) {
    const SaverSettingsRecord stored{50, 3, 2, 8, 1, 4, true};
    const struct {
        Args args;
        bool storeHasValues;
        SaverSettingsRecord drawn;
        size_t storeCalls;  // 0: never touched; 11: a first run's defaults written
    } cases[] = {
        {{"-root"}, true, stored, 9},
        {{"-window", "-detail", "20", "-no-random"}, true, {50, 3, 2, 8, 20, 4, false}, 9},
        {{"-root", "-speed", "10"}, false, {10, 9, 7, 5, 10, 1, false}, 11},  // first run
        {{"-root", "-xscreensaver"}, true, kDefaultSettings, 0},
        {{"--xscreensaver", "-detail", "3"}, true, {10, 9, 7, 5, 3, 1, false}, 0},
    };
    for (const auto& c : cases) {
        fakes::MemoryStore store;
        if (c.storeHasValues) store.SetAll(50, 3, 2, 8, 1, 4, 1);
        fakes::RecordingErrors errors;
        const LaunchPlan plan = PlanLaunch(c.args, nullptr, kLinux);
        const SaverSettingsRecord drawn = HackSettings(plan.hack, store, errors);
        for (const SettingInfo& info : kSettingsTable)
            EXPECT_EQ(SettingValue(info, drawn), SettingValue(info, c.drawn))
                << c.args.back() << " " << info.option;
        EXPECT_EQ(store.log.size(), c.storeCalls) << c.args.back();
        EXPECT_TRUE(errors.messages.empty());
    }
}

// -install-xscreensaver: the line goes first in a list as XScreenSaver writes
// it; a listed Zarvella, or any other shape of file, is left alone.
TEST(Launch, InstallXScreenSaverAddsTheLineOnlyToAContinuedProgramsList) {
    using R = ProgramsListResult;
    const std::string line = std::string(kXScreenSaverProgramsLine) + "\n";
    const struct {
        std::optional<std::string> file;
        R result;
        std::string text;
    } cases[] = {
        {"mode:\tone\nprograms:\t\\\n  maze -root \\n\\\n\nlock:\tFalse\n", R::Added,
         "mode:\tone\nprograms:\t\\\n" + line + "  maze -root \\n\\\n\nlock:\tFalse\n"},
        {"programs:\t\\\n  zarvellas -root \\n\\\n", R::Added,
         "programs:\t\\\n" + line + "  zarvellas -root \\n\\\n"},
        {"programs:\t\\\n  maze \\n\\\n  GL: zarvella -root -xscreensaver \\n\\\n\n",
         R::AlreadyListed, ""},
        {"programs:\t\\\n-\t\tGL: zarvella -root -xscreensaver \\n\\\n", R::TurnedOff, ""},
        // An older line without the marker gets it at its end, on or off.
        {"programs:\t\\\n  maze \\n\\\n  GL: zarvella -root \\n\\\n\n", R::MarkerAdded,
         "programs:\t\\\n  maze \\n\\\n  GL: zarvella -root -xscreensaver \\n\\\n\n"},
        {"programs:\t\"Z\" /usr/bin/zarvella\\n\\\n\n", R::MarkerAdded,
         "programs:\t\"Z\" /usr/bin/zarvella -xscreensaver\\n\\\n\n"},
        {"programs:\t\\\n- zarvella -root \\\n   -size 3 \\n\\\n", R::MarkerAdded,
         "programs:\t\\\n- zarvella -root \\\n   -size 3 -xscreensaver \\n\\\n"},
        {"programs:\tmaze -root\n", R::Refused, ""},
        {"mode:\tone\n", R::Refused, ""},
        {std::nullopt, R::Refused, ""},
    };
    for (const auto& c : cases) {
        const ProgramsListEdit edit = AddToProgramsList(c.file);
        EXPECT_EQ(edit.result, c.result) << c.file.value_or("(none)");
        EXPECT_EQ(edit.text, c.text) << c.file.value_or("(none)");
    }
}

// Its whole run over the files (the causes the file kinds give are end to
// end cases): only a changed list is written.
TEST(Launch, InstallXScreenSaverNamesTheTrueCause) {
    using K = ListFileRead::Kind;
    const std::string list = "programs:\t\\\n  maze \\n\\\n";
    const struct {
        const char* home;
        K kind;
        std::string text;  // the file, or why it cannot be read
        const char* writeProblem;
        int exitCode;
        size_t calls;  // of: read, write
        const char* message;
    } cases[] = {
        {nullptr, K::Missing, "", "", 1, 0, "HOME is not set"},
        {"/h", K::Missing, "", "", 1, 1, "there is no ~/.xscreensaver yet"},
        {"/h", K::Read, list, "Operation not permitted", 1, 2,
         "(Operation not permitted); it is as it was"},
        {"/h", K::Read, list, "", 0, 2, "added to the programs list"},
        {"/h", K::Read, "programs:\t- zarvella -xscreensaver\n", "", 0, 1, "but turned off"},
    };
    const std::vector<std::string> calls = {"read /h/.xscreensaver", "write /h/.xscreensaver"};
    for (const auto& c : cases) {
        fakes::MemoryListFiles files;
        files.file = {c.kind, c.text, c.text};
        files.writeProblem = c.writeProblem;
        const InstallOutcome outcome = InstallIntoXScreenSaver(files, c.home);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.message;
        EXPECT_NE(outcome.message.find(c.message), std::string::npos) << outcome.message;
        EXPECT_EQ(files.log, std::vector(calls.begin(), calls.begin() + c.calls)) << c.message;
    }
}
