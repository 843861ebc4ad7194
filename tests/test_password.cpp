#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "behaviour/null_password.h"
#include "behaviour/password.h"
#include "behaviour/window_handle.h"
#include "tests/fakes/fakes.h"

using namespace zarvella;
using fakes::FakePasswordSystem;
using Strings = std::vector<std::string>;

TEST(VerifySaverPassword, TheSwitchIsOnWhenReadAndNotZero) {
    const struct {
        bool read;
        uint8_t value[4];
        bool on;
    } rows[] = {
        {true, {1, 0, 0, 0}, true},       {true, {'0', 0, 0, 0}, true},  // the text "0"
        {true, {'a', 'b', 'c', 0}, true}, {true, {0, 0, 1, 0}, true},
        {true, {0, 0, 0, 0}, false},      {false, {'a', 'b', 'c', 'd'}, false},  // too long
        {false, {0, 0, 0, 0}, false},                                            // missing
    };
    for (const auto& row : rows) EXPECT_EQ(PasswordSwitchOn(row.read, row.value), row.on);
}

TEST(VerifySaverPassword, AsksOnlyWhenAPasswordIsInUseAndOnlyARefusalKeepsTheSaver) {
    const struct {
        bool inUse;
        PasswordAnswer answer;
        bool mayEnd;
        Strings log;
    } rows[] = {
        {false, PasswordAnswer::Refused, true, {"in use?"}},
        {true, PasswordAnswer::Accepted, true, {"in use?", "verify 4711"}},
        {true, PasswordAnswer::Refused, false, {"in use?", "verify 4711"}},
        {true, PasswordAnswer::Unavailable, true, {"in use?", "verify 4711"}},
    };
    for (const auto& row : rows) {
        FakePasswordSystem system;
        system.inUse = row.inUse;
        system.answer = row.answer;
        EXPECT_EQ(VerifySaverPassword(system, 4711), row.mayEnd);
        EXPECT_EQ(system.log, row.log);
    }
    NullPasswordSystem none;
    EXPECT_TRUE(VerifySaverPassword(none, 4711));
}

TEST(ChangeSaverPassword, CallsTheSystemWithTheHandleOfTheSecondArgument) {
    const struct {
        const char* argument;
        WindowHandle owner;
    } cases[] = {{"4711", 4711}, {"", 0}, {"abc", 0}, {"$1267", 4711}, {"  12", 12}};
    for (const auto& c : cases) {
        FakePasswordSystem system;
        ChangeSaverPassword(system, c.argument);
        EXPECT_EQ(system.log, Strings{"change " + std::to_string(c.owner)}) << c.argument;
    }
}

TEST(ParseWindowHandle, DecimalOrPrefixedHexadecimalAndNothingElse) {
    const struct {
        const char* text;
        uint32_t value;
    } cases[] = {
        {"4711", 4711},
        {"  4711", 4711},
        {"4711 ", 0},
        {"$10", 16},
        {"0x10", 16},
        {"0X10", 16},
        {"x10", 16},
        {"X1f", 31},
        {"$aBcD", 0xABCD},
        {"-5", 0xFFFFFFFBu},
        {"+7", 7},
        {"0", 0},
        {"007", 7},
        {"", 0},
        {"12ab", 0},
        {"2147483647", 0x7FFFFFFF},
        {"2147483648", 0},
        {"-2147483648", 0x80000000u},
        {"-2147483649", 0},
        {"$FFFFFFFF", 0xFFFFFFFFu},
        {"$100000000", 0},
        {"$", 0},
        {"0x", 0},
        {"x", 0},
        {"+", 0},
        {"-", 0},
        {"$-5", 0},
        {"0x+5", 0},
        {"\t4711", 0},
        {" ", 0},
        {"12 34", 0},
        {"$ 10", 0},
        {"99999999999999999999", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseWindowHandle(c.text), c.value) << '"' << c.text << '"';
}
