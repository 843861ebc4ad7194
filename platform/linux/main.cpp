// Start-up on Linux: the mode letter, or one of XScreenSaver's
// ways of starting a hack, picks the one mode of the process.
#include <QApplication>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/fpu.h"
#include "platform/linux/form1.h"
#include "platform/linux/form2.h"
#include "platform/linux/message_box.h"
#include "platform/linux/password_system.h"
#include "platform/linux/preview_window.h"
#include "platform/linux/settings_store.h"
#include "platform/linux/x11_window.h"
#include "startup/launch.h"

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
    const bool wantsRoot = std::find(args.begin(), args.end(), "-root") != args.end() ||
                           std::find(args.begin(), args.end(), "--root") != args.end();
    const LaunchPlan plan =
        PlanLaunch(args, std::getenv("XSCREENSAVER_WINDOW"), wantsRoot ? RootWindowId() : 0);

    if (!plan.hackWindow && plan.mode == SaverMode::ChangePassword) {
        SaverPasswordSystem system;  // no window, exit code 0
        ChangeSaverPassword(system, plan.secondArgument);
        return 0;
    }

    // Embedding into foreign X windows needs X11, whatever the session.
    qputenv("QT_QPA_PLATFORM", "xcb");
    SetDefaultSurfaceFormat();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));

    if (plan.hackWindow) return RunXScreenSaver(*plan.hackWindow);
    switch (plan.mode) {
        case SaverMode::Settings:
            return RunSettings();
        case SaverMode::Preview:
            return RunPreview(plan.secondArgument);
        case SaverMode::ChangePassword:
        case SaverMode::FullScreen:
            break;
    }
    return RunFullScreen();
}
