// How XScreenSaver starts a hack, read from the command line and the
// environment. Plain C++, so the unit tests check it without a display.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zarvella::linux_shell {

// XScreenSaver starts a hack with XSCREENSAVER_WINDOW set, or with
// -window-id ID, or with -root (one or two dashes). The variable counts only
// when the command line holds no Windows-style /letter argument, so
// "zarvella /c" stays the settings window inside such an environment.
// No value: not such a start. Otherwise the X window to draw into: the id
// given (0 when it is not a number), or rootWindow for -root.
std::optional<unsigned long> XScreenSaverWindow(const std::vector<std::string>& args,
                                                const char* windowVariable,
                                                unsigned long rootWindow);

}  // namespace zarvella::linux_shell
