// Start-up (Part 1.1) on Linux: the mode letter, or one of XScreenSaver's
// ways of starting a hack, picks the one mode of the process.
#include <QApplication>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "engine/fpu.h"
#include "file_settings_store.h"
#include "linux_system.h"
#include "preview_window.h"
#include "shell/password.h"
#include "shell/window_handle.h"
#include "startup/mode.h"
#include "tform1.h"
#include "tform2.h"
#include "x11_window.h"

using namespace zarvella;
using namespace zarvella::linux_shell;

namespace {

// XScreenSaver starts a hack with XSCREENSAVER_WINDOW set, or with
// -window-id ID, or with -root (one or two dashes). The variable counts only
// when the command line holds no Windows-style /letter argument.
// No value: not such a start. Otherwise the X window to draw into, 0 when the
// id given is not a number.
std::optional<unsigned long> XScreenSaverWindow(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-window-id" || args[i] == "--window-id") {
            return ParseWindowHandle(i + 1 < args.size() ? args[i + 1] : std::string());
        }
    }
    const char* variable = std::getenv("XSCREENSAVER_WINDOW");
    const bool slashMode = !args.empty() && !args[0].empty() && args[0][0] == '/';
    if (variable && *variable && !slashMode) return ParseWindowHandle(variable);
    for (const std::string& arg : args) {
        if (arg == "-root" || arg == "--root") return RootWindowId();
    }
    return std::nullopt;
}

int RunXScreenSaver(unsigned long window) {
    // Nothing to draw into, and nothing would ever end us.
    if (!QueryForeignWindow(window).exists) return 0;
    MessageBoxErrors errors;
    FileSettingsStore store(DefaultSettingsPath(), errors);
    TForm1 form(store, errors, window);
    form.show();
    return QApplication::exec();
}

int RunFullScreen() {
    MessageBoxErrors errors;
    FileSettingsStore store(DefaultSettingsPath(), errors);
    TForm1 form(store, errors);
    form.show();
    form.raise();
    form.activateWindow();
    return QApplication::exec();
}

int RunSettings() {
    MessageBoxErrors errors;
    FileSettingsStore store(DefaultSettingsPath(), errors);
    TForm2 form(store, errors);
    form.show();
    form.activateWindow();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    MaskFloatingPointExceptions();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string first = args.empty() ? std::string() : args[0];
    const std::optional<unsigned long> xscreensaver = XScreenSaverWindow(args);
    const SaverMode mode = ModeForArgument(first);

    if (!xscreensaver && mode == SaverMode::ChangePassword) {
        // No password facility on Linux: the core's ChangeSaverPassword finds
        // no library and does nothing; no window, exit code 0.
        NoPasswordSystem system;
        ChangeSaverPassword(system, args.size() > 1 ? args[1] : std::string());
        return 0;
    }

    // Embedding into foreign X windows needs X11, whatever the session.
    qputenv("QT_QPA_PLATFORM", "xcb");
    SetDefaultSurfaceFormat();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));

    if (xscreensaver) return RunXScreenSaver(*xscreensaver);
    switch (mode) {
        case SaverMode::Settings:
            return RunSettings();
        case SaverMode::Preview:
            return RunPreview(args.size() > 1 ? args[1] : std::string());
        case SaverMode::ChangePassword:
        case SaverMode::FullScreen:
            break;
    }
    return RunFullScreen();
}
