// XScreenSaver's kind of command line: every setting of the table and every
// general option, at its ends, its default and just beyond.
#include <gtest/gtest.h>

#include "startup/options.h"

using namespace zarvella;
using Args = std::vector<std::string>;

namespace {
HackCommandLine Parse(const Args& args) {
    return ParseHackCommandLine(args, nullptr);
}
}  // namespace

TEST(Options, EverySliderTakesItsRangeAndRefusesWhatLiesBeyond) {
    for (const SettingInfo& info : kSettingsTable) {
        if (info.control != SettingControl::Slider) continue;
        for (const std::string dash : {"-", "--"}) {
            const std::string option = dash + info.option;
            for (int32_t v : {info.min, info.max, info.defaultValue}) {
                const HackCommandLine line = Parse({option, std::to_string(v)});
                ASSERT_EQ(line.error, "") << option << " " << v;
                SaverSettingsRecord expected = kDefaultSettings;
                SetSettingValue(info, expected, v);
                for (const SettingInfo& other : kSettingsTable)
                    EXPECT_EQ(SettingValue(other, line.options.settings),
                              SettingValue(other, expected))
                        << option << " changed " << other.option;
            }
            const std::string range = std::to_string(info.min) + " to " + std::to_string(info.max);
            const struct {
                Args args;
                std::string error;
            } refused[] = {
                {{option, std::to_string(info.min - 1)},
                 option + " takes a number from " + range + ", not \"" +
                     std::to_string(info.min - 1) + "\""},
                {{option, std::to_string(info.max + 1)},
                 option + " takes a number from " + range + ", not \"" +
                     std::to_string(info.max + 1) + "\""},
                {{option}, option + " takes a number from " + range + ", and none was given"},
                {{option, "5x"}, option + " takes a number from " + range + ", not \"5x\""},
                {{option, ""}, option + " takes a number from " + range + ", not \"\""},
                {{option, "99999999999999999999"},
                 option + " takes a number from " + range + ", not \"99999999999999999999\""},
            };
            for (const auto& r : refused) EXPECT_EQ(Parse(r.args).error, r.error);
        }
    }
}

TEST(Options, GeneralOptionsAndSwitches) {
    const struct {
        Args args;
        int32_t delay;
        bool fps, random;
        int32_t speed;
    } cases[] = {
        {{"-root"}, 40000, false, false, 10},
        {{"-delay", "0"}, 0, false, false, 10},
        {{"--delay", "100000", "-fps"}, 100000, true, false, 10},
        {{"-random"}, 40000, false, true, 10},
        {{"-random", "-no-random"}, 40000, false, false, 10},
        {{"--no-random", "--random"}, 40000, false, true, 10},
        {{"-speed", "3", "-speed", "+7"}, 40000, false, false, 7},
    };
    for (const auto& c : cases) {
        const HackCommandLine line = Parse(c.args);
        ASSERT_EQ(line.error, "") << c.args[0];
        EXPECT_EQ(line.options.delayMicroseconds, c.delay) << c.args[0];
        EXPECT_EQ(line.options.showFrameRate, c.fps) << c.args[0];
        EXPECT_EQ(line.options.settings.RandomPicture, c.random) << c.args[0];
        EXPECT_EQ(line.options.settings.Speed, c.speed) << c.args[0];
    }
    EXPECT_EQ(Parse({"-delay", "100001"}).error,
              "-delay takes a number from 0 to 100000, not \"100001\"");
    EXPECT_EQ(Parse({"-root", "-bogus"}).error, "unknown option \"-bogus\"");
    EXPECT_EQ(Parse({"-random", "1"}).error, "unknown option \"1\"");
    EXPECT_EQ(Parse({"-window-id", "12ab"}).error,
              "-window-id takes an X window id (decimal, or hexadecimal after 0x), not \"12ab\"");
    EXPECT_TRUE(Parse({"-root", "-help"}).help);
}

TEST(Options, UsageListsEveryOptionOfTheTableWithItsRangeAndDefault) {
    const std::string usage = UsageText();
    for (const SettingInfo& info : kSettingsTable) {
        const std::string option = std::string("-") + info.option;
        const std::string line = info.control == SettingControl::CheckBox
                                     ? "  " + option + ", -no-" + info.option + " "
                                     : "  " + option + " N ";
        EXPECT_NE(usage.find(line), std::string::npos) << line;
        const std::string facts =
            info.control == SettingControl::CheckBox
                ? std::string(info.label) + " on, or off with -no-" + info.option + " (default off)"
                : std::string(info.label) + ", " + std::to_string(info.min) + " to " +
                      std::to_string(info.max) + " (default " + std::to_string(info.defaultValue) +
                      ")";
        EXPECT_NE(usage.find(facts), std::string::npos) << facts;
    }
    for (const char* general : {"  -root ", "  -window ", "  -window-id ID ", "  -delay USECS ",
                                "  -fps ", "  -xscreensaver ", "  -version ", "  -help, -h "})
        EXPECT_NE(usage.find(general), std::string::npos) << general;
}
