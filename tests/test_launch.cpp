// How a start becomes one mode: XScreenSaver's starts and the window they
// name, and Windows-style mode words.
#include <gtest/gtest.h>

#include "startup/launch.h"

using zarvella::PlanLaunch;
using zarvella::SaverMode;
using zarvella::XScreenSaverWindow;
using Args = std::vector<std::string>;

namespace {
constexpr unsigned long kRoot = 0x1e3;
}

TEST(XScreenSaverStart, WindowIdArgumentInEitherForm) {
    EXPECT_EQ(XScreenSaverWindow({"-window-id", "4711"}, nullptr, kRoot), 4711u);
    EXPECT_EQ(XScreenSaverWindow({"--window-id", "0x1267"}, nullptr, kRoot), 0x1267u);
    EXPECT_EQ(XScreenSaverWindow({"-root", "-window-id", "12"}, "0x99", kRoot), 12u);
    EXPECT_EQ(XScreenSaverWindow({"-window-id", "abc"}, nullptr, kRoot), 0u);
    EXPECT_EQ(XScreenSaverWindow({"-window-id"}, nullptr, kRoot), 0u);
}

TEST(XScreenSaverStart, TheVariableWinsOverRoot) {
    EXPECT_EQ(XScreenSaverWindow({"-root"}, "0x2a00007", kRoot), 0x2a00007u);
    EXPECT_EQ(XScreenSaverWindow({}, "4711", kRoot), 4711u);
    EXPECT_EQ(XScreenSaverWindow({}, "junk", kRoot), 0u);
}

TEST(XScreenSaverStart, RootAlone) {
    EXPECT_EQ(XScreenSaverWindow({"-root"}, nullptr, kRoot), kRoot);
    EXPECT_EQ(XScreenSaverWindow({"--root"}, "", kRoot), kRoot);
}

TEST(XScreenSaverStart, WindowsStyleStartsAreNot) {
    EXPECT_FALSE(XScreenSaverWindow({}, nullptr, kRoot));
    EXPECT_FALSE(XScreenSaverWindow({"/s"}, nullptr, kRoot));
    EXPECT_FALSE(XScreenSaverWindow({"/c"}, "4711", kRoot));
    EXPECT_FALSE(XScreenSaverWindow({"/p", "4711"}, "4711", kRoot));
    EXPECT_FALSE(XScreenSaverWindow({"-s"}, nullptr, kRoot));
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
        EXPECT_EQ(PlanLaunch(c.args, nullptr, kRoot).settingsOwner, c.owner) << c.args[0];
    }
}

TEST(Launch, ModeWordOrHackWindow) {
    struct Case {
        std::vector<std::string> args;
        const char* variable;
        SaverMode mode;
        bool hack;
        const char* second;
    } const cases[] = {
        {{}, nullptr, SaverMode::FullScreen, false, ""},
        {{"/c"}, "4711", SaverMode::Settings, false, ""},
        {{"/p", "4711"}, nullptr, SaverMode::Preview, false, "4711"},
        {{"/a", "12"}, nullptr, SaverMode::ChangePassword, false, "12"},
        {{"-root"}, nullptr, SaverMode::FullScreen, true, ""},
        {{"-c"}, "99", SaverMode::FullScreen, true, ""},
    };
    for (const Case& c : cases) {
        const auto plan = PlanLaunch(c.args, c.variable, kRoot);
        EXPECT_EQ(plan.mode, c.mode) << c.args.size();
        EXPECT_EQ(plan.hackWindow.has_value(), c.hack);
        EXPECT_EQ(plan.secondArgument, c.second);
    }
}
