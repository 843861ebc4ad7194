#include "platform/linux/idle_control.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/linux/display_probes.h"
#include "platform/linux/idle.h"
#include "platform/linux/idle_inhibitors.h"
#include "platform/linux/running_program.h"
#include "platform/linux/settings_store.h"
#include "startup/idle_autostart.h"

namespace zarvella::linux_shell {

namespace {

constexpr const char* kNoFolder = "zarvella: neither XDG_CONFIG_HOME nor HOME names a folder";
// mate-screensaver's name on the session bus.
constexpr const char* kMateScreenSaver = "org.mate.ScreenSaver";
// The time a running --idle has to end (its saver too) before another starts.
constexpr int kIdleEndsMs = 5000;

// The time --idle takes to hold the session's lock.
constexpr int kIdleStartsMs = 3000;

// Gone, or a zombie nobody has reaped yet.
bool Ended(qint64 pid) {
    std::string stat, problem;
    if (ReadRegularFile("/proc/" + std::to_string(pid) + "/stat", stat, problem) !=
        ReadOutcome::Read)
        return true;
    const size_t name = stat.rfind(')');
    return name == std::string::npos || stat.compare(name, 3, ") Z") == 0;
}

std::string EntryPath() {
    return IdleAutostartPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

}  // namespace

IdleRowFacts GatherIdleRowFacts() {
    IdleRowFacts row;
    const SessionEnvironment env = ReadSessionEnvironment();
    IdleFacts idle;
    idle.waylandSession = !env.wayland.empty() || !env.waylandSocket.empty();
    idle.display = !idle.waylandSession  ? env.display
                   : env.wayland.empty() ? "wayland-0"
                                         : env.wayland;
    if (idle.waylandSession)
        WaylandIdle().AddFacts(idle);
    else
        X11Idle().AddFacts(idle);
    // Asked only when named: libdbus would autolaunch a bus otherwise.
    const bool named = SessionBusNamed();
    const QDBusConnection bus = named ? QDBusConnection::sessionBus() : QDBusConnection("");
    row.sessionBus = named && bus.isConnected();
    if (IdleChoiceNeedsMutter(idle)) idle.mutterIdleMonitor = MutterIdleMonitorRuns();
    row.choice = ChooseIdleSource(idle);
    if (idle.xScreenSaverDaemon)
        row.host = SaverHost::XScreenSaver;
    else if (row.sessionBus && bus.interface()->isServiceRegistered(kMateScreenSaver).value())
        row.host = SaverHost::Mate;

    ReadIdleEntryFacts(row);
    return row;
}

void ReadIdleEntryFacts(IdleRowFacts& row) {
    row.entryPath = EntryPath();
    row.entry = IdleRowFacts::Entry::Missing;
    row.entryText.clear();
    std::string problem;
    switch (row.entryPath.empty() ? ReadOutcome::Missing
                                  : ReadRegularFile(row.entryPath, row.entryText, problem)) {
        case ReadOutcome::Read:
            row.entry = IdleRowFacts::Entry::Read;
            break;
        case ReadOutcome::Missing:
            break;
        case ReadOutcome::Folder:
        case ReadOutcome::Failed:
            row.entry = IdleRowFacts::Entry::Unreadable;
            row.entryText = "zarvella: cannot read " + row.entryPath + ": " + problem;
            break;
    }
}

std::string WriteIdleEntry(int seconds, std::string& path) {
    path = EntryPath();
    if (path.empty()) return kNoFolder;
    const IdleAutostart made = IdleAutostartFor(ReadRunningProgram(), seconds);
    if (!made.error.empty()) return made.error;
    if (!WriteFileAtomically(path, made.entry))
        return "zarvella: cannot write " + path + ": " + std::strerror(errno);
    return "";
}

std::string RemoveIdleEntry(std::string& path) {
    path = EntryPath();
    if (path.empty()) return kNoFolder;
    if (unlink(path.c_str()) != 0 && errno != ENOENT)
        return "zarvella: cannot remove " + path + ": " + std::strerror(errno);
    return "";
}

std::string TurnIdleOn(int seconds) {
    std::string path;
    if (std::string fault = WriteIdleEntry(seconds, path); !fault.empty()) return fault;
    // One --idle a session: the one running (an older time) goes first.
    if (EndSessionIdle(kIdleEndsMs) < 0) return "zarvella: this session's --idle does not end";
    const QString time = QString::fromStdString(FormatIdleTime(seconds));
    qint64 pid = 0;
    if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), {"--idle", time}, {},
                                 &pid))
        return "zarvella: cannot start --idle " + time.toStdString();
    // Started once the session's lock names it; failed once it is gone (its
    // line went to our standard error, which the user may not see).
    for (int waited = 0; waited < kIdleStartsMs && SessionIdlePid() != pid; waited += 20) {
        if (Ended(pid))
            return "zarvella: --idle " + time.toStdString() +
                   " ended at once: run it in a terminal to see why";
        usleep(20 * 1000);
    }
    return "";
}

std::string TurnIdleOff() {
    std::string path;
    std::string fault = RemoveIdleEntry(path);
    if (EndSessionIdle(kIdleEndsMs) < 0 && fault.empty())
        fault = "zarvella: this session's --idle does not end";
    return fault;
}

}  // namespace zarvella::linux_shell
