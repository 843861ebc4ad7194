// How the process was started, and so the one thing it does: a Windows-style
// mode word, or XScreenSaver's kind of command line for a hack. Decided here
// for both platforms; each main only dispatches.
#pragma once

#include <string>
#include <vector>

#include "behaviour/desktop_cover.h"
#include "settings/settings.h"
#include "startup/idle.h"
#include "startup/mode.h"
#include "startup/options.h"

namespace zarvella {

// The command lines a platform has: Windows only the mode words; Linux also
// XScreenSaver's options.
enum class CommandLines { WindowsOnly, WindowsAndXScreenSaver };

// The first argument tells the two kinds apart: one of XScreenSaver's
// options (one dash or two, see startup/options.h) makes the command line
// XScreenSaver's kind; anything else is Windows' kind, whose first argument
// alone picks the mode (/s, /c, /p ID, /a; -root or XSCREENSAVER_WINDOW
// after it change nothing). An empty command line is Windows' full screen,
// unless XSCREENSAVER_WINDOW is set: then XScreenSaver started a hack so.
// (PlanLaunch makes a first word with two dashes that is no option a usage
// error on Linux.)
bool IsXScreenSaverCommandLine(const std::vector<std::string>& args, const char* windowVariable,
                               CommandLines lines);

enum class LaunchKind {
    Mode,                 // a Windows-style mode: `mode`, with its second argument
    Hack,                 // an XScreenSaver hack: `hack`
    Help,                 // print the usage to standard output, exit 0
    Version,              // print VersionText() to standard output, exit 0
    UsageError,           // print `error` and the usage to standard error, exit 1
    InstallXScreenSaver,  // AddToProgramsList on ~/.xscreensaver, then exit
    Idle,                 // --idle: /s after `idleSeconds` without input (startup/idle.h)
    EnableIdle,           // --enable-idle: the autostart entry of --idle `idleSeconds`
    DisableIdle,          // --disable-idle: that entry removed
};

struct LaunchPlan {
    LaunchKind kind = LaunchKind::Mode;
    SaverMode mode = SaverMode::FullScreen;
    // The preview's parent and the change-password owner, as given.
    std::string secondArgument;
    // The settings window's owner, as given: the text after "/c:", or else
    // the second argument (the system's dialog passes the former).
    std::string settingsOwner;
    HackOptions hack;
    int idleSeconds = 0;
    std::string error;
};

// args: the program's arguments without its name. windowVariable: the
// XSCREENSAVER_WINDOW variable, or null when unset. Where -root draws (the
// root window, or each Wayland output's background layer) is the display's
// choice (startup/display_choice.h).
LaunchPlan PlanLaunch(const std::vector<std::string>& args, const char* windowVariable,
                      CommandLines lines);

// "zarvella 1.0.0" and a line break: -version's and --version's output.
std::string VersionText();

// The settings a hack draws, one rule for every host. Under XScreenSaver
// (-xscreensaver, which its settings page adds) its page is where the user
// sets them: the options alone, and the store is never touched. Anywhere
// else (mate-screensaver, a hand-run -root or -window, an idle daemon's
// command) the settings window is: the stored settings, loaded as /s loads
// them, with each option given taking the place of its setting.
SaverSettingsRecord HackSettings(const HackOptions& hack, SettingsStore& store, ErrorSink& errors);

// The form that needs X, as the user wrote it ("/p ID", "-window-id",
// "XSCREENSAVER_WINDOW"); empty when the plan runs on Wayland too.
std::string XOnlyForm(const LaunchPlan& plan);

// The line to print (then exit with code 1) when -root on Wayland cannot
// connect: waylandSocket (a handed-over connection) first, as libwayland
// takes it, else waylandDisplay.
std::string WaylandConnectError(const char* waylandDisplay, const char* waylandSocket);

// The line to print (then exit with code 1) when QT_QPA_PLATFORM names no
// platform Qt has, where Qt itself would abort. The value is read as Qt reads
// it: entries tried in turn, split at ';', each a name before any ':options',
// the name in any case. Empty when one entry is there, and for an empty value
// (Qt's own default). `available`: the names of Qt's platform plugins;
// `from`: where the value was given.
std::string QtPlatformError(const std::string& value, const std::vector<std::string>& available,
                            const char* from = "QT_QPA_PLATFORM");
// The platform Qt will try, as it reads it: the last `-platform NAME` (or
// `--platform`) among the program's arguments, which Qt takes from any
// command line it is given, else `variable` (QT_QPA_PLATFORM).
struct QtPlatformSetting {
    std::string value;
    const char* from = "QT_QPA_PLATFORM";
};
QtPlatformSetting QtPlatformValue(const std::vector<std::string>& args,
                                  const std::string& variable);

}  // namespace zarvella
