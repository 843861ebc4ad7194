#include "xscreensaver_start.h"

#include "shell/window_handle.h"

namespace zarvella::linux_shell {

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

}  // namespace zarvella::linux_shell
