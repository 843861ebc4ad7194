#include "startup/launch.h"

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
    if (IsXScreenSaverCommandLine(args, windowVariable, lines)) {
        HackCommandLine line = ParseHackCommandLine(args, windowVariable);
        plan.kind = line.help            ? LaunchKind::Help
                    : line.error.empty() ? LaunchKind::Hack
                                         : LaunchKind::UsageError;
        plan.hack = line.options;
        plan.error = std::move(line.error);
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

}  // namespace zarvella
