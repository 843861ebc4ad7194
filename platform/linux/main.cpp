// Start-up on Linux: the mode letter, or one of XScreenSaver's
// ways of starting a hack, picks the one mode of the process.
#include <QApplication>
#include <algorithm>
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
#include "xscreensaver_start.h"

using namespace zarvella;
using namespace zarvella::linux_shell;

namespace {

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
    form.requestActivate();
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
    const bool wantsRoot = std::find(args.begin(), args.end(), "-root") != args.end() ||
                           std::find(args.begin(), args.end(), "--root") != args.end();
    const std::optional<unsigned long> xscreensaver = XScreenSaverWindow(
        args, std::getenv("XSCREENSAVER_WINDOW"), wantsRoot ? RootWindowId() : 0);
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
