#include <gtest/gtest.h>

#include "startup/mode.h"

using namespace zarvella;

TEST(ModeLetter, LeadingCharacterIsDroppedAndLetterUpperCased) {
    EXPECT_EQ(ModeForArgument("/s"), SaverMode::FullScreen);
    EXPECT_EQ(ModeForArgument("/S"), SaverMode::FullScreen);
    EXPECT_EQ(ModeForArgument("-s"), SaverMode::FullScreen);
    EXPECT_EQ(ModeForArgument("xs"), SaverMode::FullScreen);
    EXPECT_EQ(ModeForArgument("/x"), SaverMode::FullScreen);
    EXPECT_EQ(ModeForArgument("/c:1234"), SaverMode::Settings);
    EXPECT_EQ(ModeForArgument("-C"), SaverMode::Settings);
    EXPECT_EQ(ModeForArgument("/P4711"), SaverMode::Preview);
    EXPECT_EQ(ModeForArgument("/a"), SaverMode::ChangePassword);
    EXPECT_EQ(ModeForArgument(""), SaverMode::FullScreen);
    EXPECT_EQ(ModeForArgument("c"), SaverMode::FullScreen);
    EXPECT_EQ(ModeLetter("/\xe9"), '\xe9');  // only a to z are upper-cased
}

TEST(SplitArguments, BlanksSeparateQuotesGroup) {
    EXPECT_EQ(SplitArguments("  /p   4711 "), (std::vector<std::string>{"/p", "4711"}));
    EXPECT_EQ(SplitArguments("\"/c:1\" \"a b\"c"), (std::vector<std::string>{"/c:1", "a bc"}));
    EXPECT_TRUE(SplitArguments("").empty());
    EXPECT_TRUE(SplitArguments(" \t ").empty());
}

TEST(ModeLetter, ShortArgumentsHaveNoLetterAndMeanFullScreen) {
    EXPECT_EQ(ModeLetter(""), 0);
    EXPECT_EQ(ModeLetter("/"), 0);
    EXPECT_EQ(ModeLetter("p"), 0);
    EXPECT_EQ(ModeForArgument("/"), SaverMode::FullScreen);
    EXPECT_EQ(ModeLetter("/s"), 'S');
    EXPECT_EQ(ModeLetter("/1"), '1');
    EXPECT_EQ(ModeForArgument("/1"), SaverMode::FullScreen);
    EXPECT_EQ(ModeForArgument("/A"), SaverMode::ChangePassword);
    EXPECT_EQ(ModeForArgument("pc"), SaverMode::Settings);  // only the second character counts
    EXPECT_EQ(ModeForArgument("/Pa"), SaverMode::Preview);
    EXPECT_EQ(ModeForLetter('p'), SaverMode::FullScreen);  // the letter is upper-cased before
}

TEST(SplitArguments, FirstWordCarriesTheModeAndSecondTheHandle) {
    const auto preview = SplitArguments("/p 4711");
    ASSERT_EQ(preview.size(), 2u);
    EXPECT_EQ(ModeForArgument(preview[0]), SaverMode::Preview);
    EXPECT_EQ(preview[1], "4711");
    const auto quoted = SplitArguments("\"/a\"\t\"12\"");
    ASSERT_EQ(quoted.size(), 2u);
    EXPECT_EQ(ModeForArgument(quoted[0]), SaverMode::ChangePassword);
    EXPECT_EQ(quoted[1], "12");
    EXPECT_EQ(SplitArguments("\"\" x"), (std::vector<std::string>{"", "x"}));
    EXPECT_EQ(ModeForArgument(SplitArguments("\"/c:1234\"")[0]), SaverMode::Settings);
}
