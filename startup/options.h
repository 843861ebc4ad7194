// XScreenSaver's kind of command line: the options every hack takes, and one
// per setting from the settings table. This list is the one behind the
// parsing, --help, the manual page and XScreenSaver's settings page.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_table.h"

namespace zarvella {

// -delay: microseconds from one frame to the next; the default is the
// saver's own pace (40 ms).
inline constexpr int32_t kDelayMin = 0;
inline constexpr int32_t kDelayMax = 100000;
inline constexpr int32_t kDelayDefault = 40000;

// Where the hack draws: a window of its own (-window, and the default), the
// root window (-root), or a window given by id (-window-id, or the
// XSCREENSAVER_WINDOW variable).
enum class HackTarget { OwnWindow, RootWindow, GivenWindow };

struct HackOptions {
    // The table's defaults, then the options given (see HackSettings in
    // startup/launch.h for how the settings file joins in).
    SaverSettingsRecord settings = kDefaultSettings;
    // Which rows of the settings table an option set.
    std::array<bool, kSettingsTable.size()> given{};
    // -xscreensaver, which XScreenSaver's settings page puts on every command
    // line it makes: the options alone are the settings, and the file is
    // neither read nor written.
    bool optionsAlone = false;
    int32_t delayMicroseconds = kDelayDefault;
    bool showFrameRate = false;
    HackTarget target = HackTarget::OwnWindow;
    unsigned long window = 0;         // GivenWindow's id
    bool fromWindowVariable = false;  // that id came from XSCREENSAVER_WINDOW
};

// One option as --help and the manual page list it: "-speed", "N",
// "Speed, 0 to 100 (default 10)". `also` is a second spelling (-no-random).
struct OptionHelp {
    std::string name;
    std::string argument;  // empty for a switch
    std::string text;
    std::string also;
};
std::vector<OptionHelp> OptionHelpList();

// The usage printed by --help and after a mistake.
std::string UsageText();

// "-speed", "--root", "-no-random": an option of this list, one dash or two.
bool IsHackOption(std::string_view word);

struct HackCommandLine {
    bool help = false;
    bool version = false;
    bool installXScreenSaver = false;
    std::string error;  // set: what is wrong, for standard error
    HackOptions options;
};

// Reads a command line of XScreenSaver's kind: every argument an option of
// the list, numbers within their ranges; a later option wins over an earlier
// one. Reading stops at the first mistake, at -help (or -h), at -version or
// at -install-xscreensaver. windowVariable is
// XSCREENSAVER_WINDOW (null when unset): the window for -root, and without
// -root, -window or -window-id too.
HackCommandLine ParseHackCommandLine(const std::vector<std::string>& args,
                                     const char* windowVariable);

}  // namespace zarvella
