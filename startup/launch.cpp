#include "startup/launch.h"

#include <algorithm>

#include "behaviour/window_handle.h"

#ifndef ZARVELLA_VERSION
#error "ZARVELLA_VERSION, the project's version, comes from the top CMakeLists.txt"
#endif

namespace zarvella {

bool IsXScreenSaverCommandLine(const std::vector<std::string>& args, const char* windowVariable,
                               CommandLines lines) {
    if (lines == CommandLines::WindowsOnly) return false;
    if (args.empty()) return windowVariable && *windowVariable;
    return IsHackOption(args[0]);
}

LaunchPlan PlanLaunch(const std::vector<std::string>& args, const char* windowVariable,
                      CommandLines lines) {
    LaunchPlan plan;
    // The idle words take one dash or two, as the options do: "-idle" is
    // "--idle", not a mode letter I (full screen). Errors name the word as
    // the user wrote it.
    std::vector<std::string> idleArgs = args;
    const bool oneDash = !args.empty() && args[0].size() > 1 && args[0][1] != '-' &&
                         ParseIdleCommandLine({"-" + args[0]}).command != IdleCommand::None;
    if (oneDash) idleArgs[0] = "-" + args[0];
    if (IdleCommandLine idle = ParseIdleCommandLine(idleArgs);
        lines == CommandLines::WindowsAndXScreenSaver && idle.command != IdleCommand::None) {
        constexpr LaunchKind kinds[] = {LaunchKind::UsageError, LaunchKind::Idle,
                                        LaunchKind::EnableIdle, LaunchKind::DisableIdle};
        plan.kind = idle.error.empty() ? kinds[int(idle.command)] : LaunchKind::UsageError;
        plan.idleSeconds = idle.seconds;
        if (oneDash && !idle.error.empty()) idle.error.erase(0, 1);
        plan.error = idle.error;
        return plan;
    }
    if (IsXScreenSaverCommandLine(args, windowVariable, lines)) {
        HackCommandLine line = ParseHackCommandLine(args, windowVariable);
        plan.kind = line.help                  ? LaunchKind::Help
                    : line.version             ? LaunchKind::Version
                    : line.installXScreenSaver ? LaunchKind::InstallXScreenSaver
                    : line.error.empty()       ? LaunchKind::Hack
                                               : LaunchKind::UsageError;
        plan.hack = line.options;
        plan.error = std::move(line.error);
        return plan;
    }
    // Windows never passes a word with two dashes: on Linux it is a mistyped
    // option (--hlep), not a request to blank the screen.
    if (lines == CommandLines::WindowsAndXScreenSaver && !args.empty() &&
        args[0].starts_with("--")) {
        plan.kind = LaunchKind::UsageError;
        plan.error = "unknown option \"" + args[0] + "\"";
        return plan;
    }
    plan.mode = ModeForArgument(args.empty() ? std::string() : args[0]);
    if (args.size() > 1) plan.secondArgument = args[1];
    if (plan.mode == SaverMode::Settings) {
        const std::string& word = args[0];
        plan.settingsOwner =
            word.size() > 3 && word[2] == ':' ? word.substr(3) : plan.secondArgument;
    }
    return plan;
}

std::string VersionText() {
    return std::string("zarvella ") + ZARVELLA_VERSION + "\n";
}

SaverSettingsRecord HackSettings(const HackOptions& hack, SettingsStore& store, ErrorSink& errors) {
    if (hack.optionsAlone) return hack.settings;
    // What it cannot read keeps its default.
    SaverSettingsRecord settings = LoadSettings(store, errors).settings;
    for (size_t i = 0; i < kSettingsTable.size(); ++i)
        if (hack.given[i])
            SetSettingValue(kSettingsTable[i], settings,
                            SettingValue(kSettingsTable[i], hack.settings));
    return settings;
}

std::string XOnlyForm(const LaunchPlan& plan) {
    if (plan.kind == LaunchKind::Mode)
        return plan.mode == SaverMode::Preview && ParseWindowHandle(plan.secondArgument) != 0
                   ? "/p ID"
                   : "";
    if (plan.kind != LaunchKind::Hack) return "";
    if (plan.hack.target != HackTarget::GivenWindow) return "";
    return plan.hack.fromWindowVariable ? "XSCREENSAVER_WINDOW" : "-window-id";
}

std::string WaylandConnectError(const char* waylandDisplay, const char* waylandSocket) {
    if (waylandSocket && *waylandSocket)
        return std::string("zarvella: cannot use the Wayland connection WAYLAND_SOCKET=") +
               waylandSocket;
    return std::string("zarvella: cannot connect to the Wayland display '") +
           (waylandDisplay ? waylandDisplay : "") + "'";
}

namespace {
std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}
}  // namespace

QtPlatformSetting QtPlatformValue(const std::vector<std::string>& args,
                                  const std::string& variable) {
    QtPlatformSetting setting{variable};
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "-platform" || args[i] == "--platform") setting = {args[++i], "-platform"};
    return setting;
}

std::string QtPlatformError(const std::string& value, const std::vector<std::string>& available,
                            const char* from) {
    if (value.empty()) return "";
    bool named = false;
    for (size_t start = 0; start <= value.size();) {
        const size_t end = std::min(value.find(';', start), value.size());
        // Qt skips empty parts on both splits: ":xcb" is xcb.
        const std::string entry = value.substr(start, end - start);
        const size_t nameStart = entry.find_first_not_of(':');
        if (nameStart != std::string::npos) {
            named = true;
            const std::string name =
                Lower(entry.substr(nameStart, entry.find(':', nameStart) - nameStart));
            for (const std::string& plugin : available)
                if (Lower(plugin) == name) return "";
        }
        start = end + 1;
    }
    std::string have;
    for (const std::string& plugin : available) have += (have.empty() ? "" : ", ") + plugin;
    return std::string("zarvella: ") + from + " is '" + value + "', " +
           (named ? "and Qt has no such platform" : "which names no platform") + " (it has " +
           (have.empty() ? "none" : have) + ")";
}

}  // namespace zarvella
