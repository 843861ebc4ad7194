#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/password.h"
#include "shell/window_handle.h"
#include "tests/fakes/fakes.h"

using namespace zarvella;
using fakes::FakePasswordSystem;
using Strings = std::vector<std::string>;

namespace {

const Strings kAsked = {"openkey",    "query",  "load PASSWORD.CPL", "find VerifyScreenSavePwd",
                        "showcursor", "verify", "hidecursor",        "free",
                        "closekey"};
const Strings kNotAsked = {"openkey", "query", "closekey"};

void ExpectClean(const FakePasswordSystem& system) {
    EXPECT_EQ(system.cursorCount, 0);
    EXPECT_LE(system.openKeys, 0);
    for (uint8_t b : system.bufferOnQuery) EXPECT_EQ(b, 0);  // cleared before the query
}

}  // namespace

TEST(VerifySaverPassword, NoPasswordInUseAnswersTrueWithoutLoadingAnything) {
    FakePasswordSystem noKey;
    noKey.keyOpens = false;
    EXPECT_TRUE(VerifySaverPassword(noKey, 77));
    EXPECT_EQ(noKey.log, Strings{"openkey"});

    const std::vector<std::vector<uint8_t>> unused = {FakePasswordSystem::Dword(0),
                                                      FakePasswordSystem::Text("abcd"),
                                                      {1, 0, 0, 0, 0, 0, 0, 0},
                                                      {0}};
    for (const auto& value : unused) {
        FakePasswordSystem system;
        system.storedValue = value;
        EXPECT_TRUE(VerifySaverPassword(system, 77));
        EXPECT_EQ(system.log, kNotAsked);
        ExpectClean(system);
    }
    FakePasswordSystem missing;
    EXPECT_TRUE(VerifySaverPassword(missing, 77));
    EXPECT_EQ(missing.log, kNotAsked);
}

TEST(VerifySaverPassword, APasswordInUseLetsTheSystemDecide) {
    const std::vector<std::vector<uint8_t>> inUse = {FakePasswordSystem::Dword(1),
                                                     FakePasswordSystem::Text("0"),
                                                     FakePasswordSystem::Text("a"),
                                                     FakePasswordSystem::Text("abc"),
                                                     {0, 0, 1}};
    for (const auto& value : inUse) {
        for (int32_t result : {0, 1, -1}) {
            FakePasswordSystem system;
            system.storedValue = value;
            system.verifyResult = result;
            EXPECT_EQ(VerifySaverPassword(system, 4711), result != 0);
            EXPECT_EQ(system.log, kAsked);
            EXPECT_EQ(system.owner, 4711u);
            ExpectClean(system);
        }
    }
}

TEST(VerifySaverPassword, AMissingFacilityCountsAsNoPassword) {
    for (LibraryHandle handle : {LibraryHandle{0}, LibraryHandle{1}, LibraryHandle{32}}) {
        FakePasswordSystem system;
        system.storedValue = FakePasswordSystem::Dword(1);
        system.libraryHandle = handle;
        system.verifyResult = 0;
        EXPECT_TRUE(VerifySaverPassword(system, 1));
        EXPECT_EQ(system.log, (Strings{"openkey", "query", "load PASSWORD.CPL", "closekey"}));
    }
    for (LibraryHandle handle : {LibraryHandle{33}, ~LibraryHandle{0}}) {  // unsigned comparison
        FakePasswordSystem system;
        system.storedValue = FakePasswordSystem::Dword(1);
        system.libraryHandle = handle;
        system.verifyResult = 0;
        EXPECT_FALSE(VerifySaverPassword(system, 1));
    }
    FakePasswordSystem noFunction;
    noFunction.storedValue = FakePasswordSystem::Dword(1);
    noFunction.functionFound = false;
    noFunction.verifyResult = 0;
    EXPECT_TRUE(VerifySaverPassword(noFunction, 1));
    EXPECT_EQ(noFunction.log,
              (Strings{"openkey", "query", "load PASSWORD.CPL", "find VerifyScreenSavePwd",
                       "showcursor", "hidecursor", "free", "closekey"}));
    ExpectClean(noFunction);
}

TEST(ChangeSaverPassword, CallsTheSystemWithTheHandleOfTheSecondArgument) {
    const struct {
        const char* argument;
        WindowHandle owner;
    } cases[] = {{"4711", 4711}, {"", 0}, {"abc", 0}, {"$1267", 4711}, {"  12", 12}};
    for (const auto& c : cases) {
        FakePasswordSystem system;
        system.owner = 999;
        ChangeSaverPassword(system, c.argument);
        EXPECT_EQ(system.log,
                  (Strings{"load MPR.DLL", "find PwdChangePasswordA", "change", "free"}));
        EXPECT_EQ(system.passwordName, "SCRSAVE");
        EXPECT_EQ(system.owner, c.owner) << c.argument;
    }
    FakePasswordSystem noLibrary;
    noLibrary.libraryHandle = 32;
    ChangeSaverPassword(noLibrary, "4711");
    EXPECT_EQ(noLibrary.log, Strings{"load MPR.DLL"});
    FakePasswordSystem noFunction;
    noFunction.functionFound = false;
    ChangeSaverPassword(noFunction, "4711");
    EXPECT_EQ(noFunction.log, (Strings{"load MPR.DLL", "find PwdChangePasswordA", "free"}));
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
