#include "startup/launch.h"

#include "shell/window_handle.h"

namespace zarvella {

std::optional<unsigned long> XScreenSaverWindow(const std::vector<std::string>& args,
                                                const char* windowVariable,
                                                unsigned long rootWindow) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-window-id" || args[i] == "--window-id") {
            return ParseWindowHandle(i + 1 < args.size() ? args[i + 1] : std::string());
        }
    }
    const bool slashMode = !args.empty() && !args[0].empty() && args[0][0] == '/';
    if (windowVariable && *windowVariable && !slashMode) return ParseWindowHandle(windowVariable);
    for (const std::string& arg : args) {
        if (arg == "-root" || arg == "--root") return rootWindow;
    }
    return std::nullopt;
}

LaunchPlan PlanLaunch(const std::vector<std::string>& args, const char* windowVariable,
                      unsigned long rootWindow) {
    LaunchPlan plan;
    plan.hackWindow = XScreenSaverWindow(args, windowVariable, rootWindow);
    if (plan.hackWindow) return plan;
    plan.mode = ModeForArgument(args.empty() ? std::string() : args[0]);
    if (args.size() > 1) plan.secondArgument = args[1];
    if (plan.mode == SaverMode::Settings) {
        const std::string& word = args[0];
        plan.settingsOwner =
            word.size() > 3 && word[2] == ':' ? word.substr(3) : plan.secondArgument;
    }
    return plan;
}

}  // namespace zarvella
