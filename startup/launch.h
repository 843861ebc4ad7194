// How the process was started, and so the one thing it does: a Windows-style
// mode word, or one of XScreenSaver's ways of starting a hack. Decided here
// for both platforms; each main only dispatches.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "startup/mode.h"

namespace zarvella {

// XScreenSaver starts a hack with XSCREENSAVER_WINDOW set, or with
// -window-id ID, or with -root (one or two dashes). The variable counts only
// when the command line holds no Windows-style /letter argument, so
// "zarvella /c" stays the settings window inside such an environment.
// No value: not such a start. Otherwise the X window to draw into: the id
// given (0 when it is not a number), or rootWindow for -root.
std::optional<unsigned long> XScreenSaverWindow(const std::vector<std::string>& args,
                                                const char* windowVariable,
                                                unsigned long rootWindow);

struct LaunchPlan {
    SaverMode mode = SaverMode::FullScreen;
    // Set: draw into this X window for XScreenSaver (mode is then FullScreen).
    std::optional<unsigned long> hackWindow;
    // The preview's parent and the change-password owner, as given.
    std::string secondArgument;
    // The settings window's owner, as given: the text after "/c:", or else
    // the second argument (the system's dialog passes the former).
    std::string settingsOwner;
};

// args: the program's arguments without its name. windowVariable: the
// XSCREENSAVER_WINDOW variable or null; rootWindow: the root for -root
// (platforms without XScreenSaver pass null and 0).
LaunchPlan PlanLaunch(const std::vector<std::string>& args, const char* windowVariable,
                      unsigned long rootWindow);

}  // namespace zarvella
