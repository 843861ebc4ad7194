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
