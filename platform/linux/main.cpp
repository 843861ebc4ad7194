// Start-up on Linux: the core's launch plan (a Windows-style mode, or
// XScreenSaver's kind of command line) picks the one thing the process does.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "behaviour/window_handle.h"
#include "engine/fpu.h"
#include "platform/linux/display_probes.h"
#include "platform/linux/fullscreen_outputs.h"
#include "platform/linux/fullscreen_window.h"
#include "platform/linux/gl_context.h"
#include "platform/linux/hack_window.h"
#include "platform/linux/idle.h"
#include "platform/linux/message_box.h"
#include "platform/linux/password_system.h"
#include "platform/linux/preview_window.h"
#include "platform/linux/qt_platforms.h"
#include "platform/linux/settings_store.h"
#include "platform/linux/settings_window.h"
#include "platform/linux/x11_window.h"
#include "platform/wayland/layer_shell.h"
#include "startup/display_choice.h"
#include "startup/launch.h"
#include "startup/xscreensaver_list.h"

using namespace zarvella;
using namespace zarvella::linux_shell;

namespace {

// A hack draws inside another program's window, where a message box could
// hide behind it and wait forever: what is wrong with the settings file goes
// to standard error (the host's log) instead.
class StandardErrorSink : public ErrorSink {
  public:
    void ShowError(const std::string& text) override {
        std::fprintf(stderr, "zarvella: %s\n", text.c_str());
    }
};

// The hack's options with the settings it draws: where they come from is the
// core's rule (HackSettings).
HackOptions WithHackSettings(const HackOptions& hack) {
    StandardErrorSink errors;
    FileSettingsStore store(DefaultSettingsPath(), errors);
    HackOptions drawn = hack;
    drawn.settings = HackSettings(hack, store, errors);
    return drawn;
}

// -install-xscreensaver's files, read and written as the settings file is
// (regular files only, never waiting on a pipe; atomically, owner and mode kept).
class XScreenSaverFiles : public ListFileSystem {
  public:
    ListFileRead ReadListFile(const std::string& path) override {
        ListFileRead read;
        using Kind = ListFileRead::Kind;
        switch (ReadRegularFile(path, read.text, read.problem)) {
            case ReadOutcome::Read:
                read.kind = Kind::Read;
                break;
            case ReadOutcome::Missing:
                read.kind = Kind::Missing;
                break;
            case ReadOutcome::Folder:
                read.kind = Kind::Folder;
                break;
            case ReadOutcome::Failed:
                read.kind = Kind::Unreadable;
                break;
        }
        return read;
    }
    std::string WriteListFile(const std::string& path, std::string_view text) override {
        return WriteFileAtomically(path, text) ? "" : std::strerror(errno);
    }
};

int AddToXScreenSaver() {
    XScreenSaverFiles files;
    const InstallOutcome outcome = InstallIntoXScreenSaver(files, std::getenv("HOME"));
    std::fprintf(outcome.exitCode ? stderr : stdout, "%s\n", outcome.message.c_str());
    return outcome.exitCode;
}

int RunFullScreen(WindowSystem system) {
    const CoverPlan cover = PlanCover({system});
    MessageBoxErrors errors;
    FileSettingsStore store(DefaultSettingsPath(), errors);
    if (cover.windowPerOutput) {
        FullScreenOutputs saver(store, errors);
        return QApplication::exec();
    }
    FullScreenWindow window(store, errors, cover);
    window.show();
    window.raise();
    window.requestActivate();
    return QApplication::exec();
}

int RunSettings(const std::string& glProblem) {
    MessageBoxErrors errors;
    FileSettingsStore store(DefaultSettingsPath(), errors);
    SettingsWindow window(store, errors, glProblem);
    window.show();
    window.activateWindow();
    return QApplication::exec();
}

// Descriptor 0, 1 or 2 left closed (`zarvella /s >&- 2>&-`, a daemon's
// command) would be the next file opened, the X connection among them, and a
// diagnostic for stderr would go into the X socket: /dev/null takes them first.
void OpenClosedStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened > fd) {  // only when a lower one could not be opened either
            dup2(opened, fd);
            close(opened);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    OpenClosedStandardDescriptors();
    MaskFloatingPointExceptions();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const LaunchPlan plan =
        PlanLaunch(args, std::getenv("XSCREENSAVER_WINDOW"), CommandLines::WindowsAndXScreenSaver);
    switch (plan.kind) {
        case LaunchKind::Help:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case LaunchKind::Version:
            std::fputs(VersionText().c_str(), stdout);
            return 0;
        case LaunchKind::InstallXScreenSaver:
            return AddToXScreenSaver();
        case LaunchKind::UsageError:
            std::fprintf(stderr, "zarvella: %s\n\n%s", plan.error.c_str(), UsageText().c_str());
            return 1;
        case LaunchKind::Mode:
            if (plan.mode == SaverMode::ChangePassword) {
                SaverPasswordSystem system;  // no window, exit code 0
                ChangeSaverPassword(system, plan.secondArgument);
                return 0;
            }
            break;
        case LaunchKind::Idle:  // no window and no GL: it waits, and starts /s
            return RunIdle(plan.idleSeconds, argc, argv);
        case LaunchKind::EnableIdle:
            return EnableIdle(plan.idleSeconds);
        case LaunchKind::DisableIdle:
            return DisableIdle();
        case LaunchKind::Hack:
            break;
    }
    // One full-screen saver per display (xautolock's /s and --idle's): one key ends it.
    if (plan.kind == LaunchKind::Mode && plan.mode == SaverMode::FullScreen &&
        !ClaimSaverShowing()) {
        std::fprintf(stderr, "zarvella: a Zarvella saver already shows on this display\n");
        return 0;
    }
    const SessionEnvironment env = ReadSessionEnvironment();
    SystemDisplayProbes probes(env);
    const DisplayPlan display = PlanDisplay(plan, env, probes);
    if (!display.error.empty()) {
        std::fprintf(stderr, "%s\n", display.error.c_str());
        return 1;
    }
    ApplyDisplayPlan(display);
    if (display.layerSurfaces)  // no Qt, no X display
        return wayland_shell::RunLayerSurfaces(WithHackSettings(plan.hack), OurSaverShows);
    // The user's own platform (QT_QPA_PLATFORM kept, or -platform, which Qt
    // reads from argv): a name Qt lacks is one line, not Qt's abort.
    const QtPlatformSetting platform =
        QtPlatformValue(args, display.qtPlatform.empty() ? env.qtPlatform : display.qtPlatform);
    if (const std::string wrong =
            platform.value == display.qtPlatform
                ? ""
                : QtPlatformError(platform.value, QtPlatformPlugins(), platform.from);
        !wrong.empty()) {
        std::fprintf(stderr, "%s\n", wrong.c_str());
        return 1;
    }
    SetDefaultSurfaceFormat();
    if (display.devicePixels) UseDevicePixels();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    const std::string glProblem = OpenGlProblem();
    if (!glProblem.empty() && display.glProblemEnds) {
        std::fprintf(stderr, "zarvella: %s\n", GlStartError(glProblem).c_str());
        return 1;
    }

    if (plan.kind == LaunchKind::Hack) return RunHack(WithHackSettings(plan.hack));
    switch (plan.mode) {
        case SaverMode::Settings:
            return RunSettings(glProblem);
        case SaverMode::Preview:
            return RunPreview(plan.secondArgument);
        case SaverMode::ChangePassword:
        case SaverMode::FullScreen:
            break;
    }
    return RunFullScreen(display.system);
}
