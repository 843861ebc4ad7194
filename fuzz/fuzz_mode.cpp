// The mode letter, the command-line splitting and the launch plan (both kinds
// of command line) over arbitrary bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "startup/launch.h"
#include "startup/mode.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "mode: %s\n", what);
    std::abort();
}

void Require(bool ok, const char* what) {
    if (!ok) Fail(what);
}

bool Blank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

void CheckModeLetter(std::string_view argument) {
    using zarvella::SaverMode;
    const char letter = zarvella::ModeLetter(argument);
    if (argument.size() < 2) {
        Require(letter == 0, "short argument has a letter");
        Require(zarvella::ModeForArgument(argument) == SaverMode::FullScreen,
                "short argument not full-screen");
        return;
    }
    const char c = argument[1];
    const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    Require(letter == upper, "letter is not the upper-cased second character");
    const SaverMode mode = zarvella::ModeForArgument(argument);
    Require(mode == zarvella::ModeForLetter(letter),
            "ModeForArgument disagrees with ModeForLetter");
    const SaverMode want = upper == 'C'   ? SaverMode::Settings
                           : upper == 'P' ? SaverMode::Preview
                           : upper == 'A' ? SaverMode::ChangePassword
                                          : SaverMode::FullScreen;
    Require(mode == want, "wrong mode for the letter");
    // Whatever follows the letter, and whatever leads it, does not matter.
    std::string other(argument.substr(0, 2));
    other[0] = '/';
    Require(zarvella::ModeForArgument(other) == mode,
            "characters around the letter changed the mode");
}

// Any words: Windows keeps its mode words; on Linux a hack's settings lie
// within the table's ranges, and every refusal says why.
void CheckLaunch(const std::vector<std::string>& words) {
    using namespace zarvella;
    const std::string first = words.empty() ? std::string() : words[0];
    const LaunchPlan windows = PlanLaunch(words, nullptr, CommandLines::WindowsOnly);
    Require(windows.kind == LaunchKind::Mode, "Windows got another kind of command line");
    Require(windows.mode == ModeForArgument(first), "Windows' mode is not the first word's");
    for (const char* variable : {static_cast<const char*>(nullptr), "4711", "junk"}) {
        const LaunchPlan plan = PlanLaunch(words, variable, CommandLines::WindowsAndXScreenSaver);
        Require(plan.error.empty() == (plan.kind != LaunchKind::UsageError),
                "an error without its reason, or a reason without an error");
        if (plan.kind == LaunchKind::Mode) {
            Require(plan.mode == windows.mode, "the two platforms read a mode word differently");
        }
        if (plan.kind != LaunchKind::Hack) continue;
        Require(plan.hack.target != HackTarget::GivenWindow || plan.hack.window != 0,
                "a hack told to draw into window 0");
        for (const SettingInfo& info : kSettingsTable) {
            const int32_t v = SettingValue(info, plan.hack.settings);
            Require(v >= info.min && v <= info.max, "a setting outside its range");
        }
        Require(
            plan.hack.delayMicroseconds >= kDelayMin && plan.hack.delayMicroseconds <= kDelayMax,
            "a delay outside its range");
    }
}

void CheckSplit(std::string_view line) {
    const std::vector<std::string> words = zarvella::SplitArguments(line);
    size_t characters = 0;
    size_t quotes = 0;
    for (char c : line) quotes += c == '"';
    for (const std::string& w : words) {
        Require(w.find('"') == std::string::npos, "a word keeps a double quote");
        characters += w.size();
    }
    // Every character of the line ends up in a word, is a separator, or is a quote.
    size_t blanks = 0;
    for (char c : line) blanks += Blank(c);
    Require(characters + quotes <= line.size(), "words hold more than the line");
    Require(characters + quotes + blanks >= line.size(), "characters lost");

    if (quotes == 0) {
        // Without quotes, words are the blank-free runs, and joining them with
        // one space splits back to the same words.
        std::string joined;
        for (const std::string& w : words) {
            Require(!w.empty(), "empty word without quotes");
            for (char c : w) Require(!Blank(c), "blank inside an unquoted word");
            if (!joined.empty()) joined += ' ';
            joined += w;
        }
        Require(characters + blanks == line.size(), "unquoted characters lost");
        Require(zarvella::SplitArguments(joined) == words, "join and split again differ");
    }
    // Quoting each word and joining gives the same words back.
    std::string quoted;
    for (const std::string& w : words) quoted += " \"" + w + "\"";
    Require(zarvella::SplitArguments(quoted) == words, "quoted words split differently");
    if (!words.empty()) CheckModeLetter(words[0]);
    CheckLaunch(words);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckModeLetter(text);
    CheckSplit(text);
    return 0;
}
