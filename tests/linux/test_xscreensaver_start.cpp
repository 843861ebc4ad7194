// Which starts are XScreenSaver's, and which window they name.
#include <gtest/gtest.h>

#include "xscreensaver_start.h"

using zarvella::linux_shell::XScreenSaverWindow;
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
