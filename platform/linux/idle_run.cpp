// --idle's process: the host of the core's IdleSupervisor (the saver as a
// child, one timer), the source's events fed to it, the signals that end
// both; and the autostart entry.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/linux/atomic_file.h"
#include "platform/linux/display_probes.h"
#include "platform/linux/idle.h"
#include "platform/linux/idle_control.h"
#include "platform/linux/idle_inhibitors.h"
#include "platform/posix/ending_signals.h"
#include "startup/idle_session_lock.h"
#include "startup/launch.h"

namespace zarvella::linux_shell {

namespace {

// A full-screen saver of ours shows on this display. Its lock is a POSIX one, asked about without
// taking it.
bool SaverShows(const std::string& path) {
    const int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool held = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    close(fd);
    return held;
}

// The supervisor's host: the saver as a child process, one timer, stderr.
class IdleRunner : public IdleHost {
  public:
    IdleRunner() {
        saver_.setProgram(QCoreApplication::applicationFilePath());
        saver_.setArguments({"/s"});
        saver_.setProcessChannelMode(QProcess::ForwardedChannels);
        // The saver goes with us, even when we are killed.
        saver_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        QObject::connect(&saver_, &QProcess::finished,
                         [this] { supervisor.OnEvent(IdleEvent::SaverEnded); });
        callBack_.setSingleShot(true);
        QObject::connect(&callBack_, &QTimer::timeout, [this] { supervisor.Tick(); });
    }
    ~IdleRunner() override {
        saver_.disconnect();  // its end is no event once we go
        if (saver_.state() == QProcess::NotRunning) return;
        saver_.kill();
        saver_.waitForFinished(kSaverKilledMs);
    }

    IdleSupervisor supervisor{*this};
    std::unique_ptr<IdleWatch> watch;
    std::unique_ptr<IdleInhibitors> inhibitors;
    X11Idle* x11 = nullptr;
    std::string saverLock;  // held while a full-screen saver of ours shows

    std::optional<bool> AskInhibited() override {
        return inhibitors ? inhibitors->AskInhibited() : std::optional<bool>(false);
    }
    bool ReportsInhibitorEnd() const override {
        return !inhibitors || inhibitors->ReportsInhibitorEnd();
    }
    IdleHoldFacts HoldFacts() override {
        IdleHoldFacts facts = x11 ? x11->HoldFacts() : IdleHoldFacts{};
        facts.saverShows = SaverShows(saverLock);
        return facts;
    }
    // SimulateUserActivity counts as input.
    void Simulated() {
        if (!watch || !watch->SimulateActivity()) supervisor.OnEvent(IdleEvent::SessionActive);
    }
    bool StartSaver() override {
        saver_.start();
        if (saver_.waitForStarted()) return true;
        std::fprintf(stderr, "zarvella: cannot start the saver: %s\n",
                     qPrintable(saver_.errorString()));
        return false;
    }
    void TerminateSaver() override { saver_.terminate(); }
    void KillSaver() override { saver_.kill(); }
    void CallBackIn(int ms) override {
        if (ms < 0)
            callBack_.stop();
        else
            callBack_.start(ms);
    }
    void Say(const std::string& line) override { std::fprintf(stderr, "%s\n", line.c_str()); }
    void Exit(int code) override { QCoreApplication::exit(code); }

  private:
    QProcess saver_;
    QTimer callBack_;
};

// The session's display as the environment names it (libwayland's default
// when WAYLAND_DISPLAY is unset).
std::string SessionDisplay(const SessionEnvironment& env, bool wayland) {
    if (!wayland) return env.display;
    return env.wayland.empty() ? "wayland-0" : env.wayland;
}

FolderFacts Look(const std::string& path) {
    struct stat status {};
    FolderFacts facts;
    if (lstat(path.c_str(), &status) != 0) return facts;
    return {true, S_ISDIR(status.st_mode), status.st_uid, unsigned(status.st_mode) & 07777};
}

// The session's lock file (`kind` "saver": the one /s holds while it shows);
// empty, with the line why, when its folder is not the user's alone. `make`:
// a missing folder in /tmp is made.
std::string SessionLockPath(const SessionEnvironment& env, bool make, std::string& problem,
                            std::string_view kind = "idle") {
    const unsigned user = getuid();
    const IdleLockFolderChoice folder =
        IdleLockFolder(env.runtimeDir, user, Look(IdleRunUserFolder(user)));
    if (folder.shared) {
        if (make) mkdir(folder.path.c_str(), 0700);
        problem = IdlePrivateFolderProblem(folder.path, Look(folder.path), user);
        if (!problem.empty()) return {};
    }
    const bool wayland = !env.wayland.empty() || !env.waylandSocket.empty();
    return IdleLockPath(folder.path, SessionDisplay(env, wayland), wayland, kind);
}

}  // namespace

bool ClaimSaverShowing() {
    std::string problem;
    const std::string path = SessionLockPath(ReadSessionEnvironment(), true, problem, "saver");
    const int fd =
        path.empty() ? -1 : open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return true;  // nowhere to tell others: show anyway
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd, F_SETLK, &lock) == 0) return true;  // held until the process ends
    const bool taken = errno == EACCES || errno == EAGAIN;
    close(fd);
    return !taken;
}

bool OurSaverShows() {
    std::string problem;
    return SaverShows(SessionLockPath(ReadSessionEnvironment(), false, problem, "saver"));
}

int RunIdle(int seconds, int argc, char** argv) {
    QCoreApplication app(argc, argv);
    IdleFacts facts;
    const SessionEnvironment env = ReadSessionEnvironment();
    facts.waylandSession = !env.wayland.empty() || !env.waylandSocket.empty();
    facts.display = SessionDisplay(env, facts.waylandSession);
    std::optional<WaylandIdle> wayland;
    std::optional<X11Idle> x11;
    if (facts.waylandSession)
        wayland.emplace().AddFacts(facts);
    else
        x11.emplace().AddFacts(facts);
    if (IdleChoiceNeedsMutter(facts)) facts.mutterIdleMonitor = MutterIdleMonitorRuns();
    const IdleSourceChoice choice = ChooseIdleSource(facts);
    if (choice.source == IdleSource::None) {
        std::fprintf(stderr, "%s\n", choice.error.c_str());
        return 1;
    }

    std::string problem;
    const std::string lockPath = SessionLockPath(env, true, problem);
    if (lockPath.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    const int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0) {
        std::fprintf(stderr, "zarvella: cannot open %s: %s\n", lockPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (flock(lock, LOCK_EX | LOCK_NB) != 0) {
        std::fprintf(stderr, "%s\n", kIdleAlreadyRuns);
        return 1;
    }
    // Who holds it, for EndSessionIdle.
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(lock, 0) != 0 || pwrite(lock, pid.data(), pid.size(), 0) != ssize_t(pid.size()))
        std::fprintf(stderr, "zarvella: cannot write %s: %s\n", lockPath.c_str(),
                     std::strerror(errno));

    IdleRunner runner;
    // A signal shuts our end of the pair down: the other end reads its end.
    int signalPair[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPair) != 0) return 1;
    QSocketNotifier signalled(signalPair[0], QSocketNotifier::Read);
    QObject::connect(&signalled, &QSocketNotifier::activated, [&runner, &signalled] {
        signalled.setEnabled(false);
        runner.supervisor.Quit(0);
    });
    posix::WakeOnEndingSignal(signalPair[1]);
    posix::CatchEndingSignals();

    if (x11) x11->WatchConnection();
    runner.x11 = x11 ? &*x11 : nullptr;
    // Before the source, whose first report may already be idleness.
    runner.saverLock = SessionLockPath(env, false, problem, "saver");
    runner.inhibitors = ServeInhibitors(
        runner.supervisor, lockPath.substr(0, lockPath.rfind('/')), lockPath, facts.waylandSession,
        choice.source == IdleSource::MutterIdleMonitor, [&runner] { runner.Simulated(); });
    switch (choice.source) {
        case IdleSource::ExtIdleNotify:
        case IdleSource::KdeIdle:
            runner.watch = wayland->Watch(choice.source, seconds, runner.supervisor);
            break;
        case IdleSource::MutterIdleMonitor:
            wayland.reset();  // its facts are in; GNOME is heard on the bus
            runner.watch = WatchMutter(seconds, runner.supervisor);
            break;
        case IdleSource::X11ScreenSaver:
            runner.watch = x11->Watch(seconds, facts, runner.supervisor);
            break;
        case IdleSource::None:
            break;
    }
    const std::unique_ptr<QObject> locks = WatchSessionLocks(runner.supervisor);
    return QCoreApplication::exec();
}

int EndSessionIdle(int waitMs) {
    std::string problem;
    const std::string path = SessionLockPath(ReadSessionEnvironment(), false, problem);
    const int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return 0;
    int pid = 0;
    // Held: an --idle runs, and the pid is its own.
    if (flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        char text[24];
        const ssize_t got = pread(fd, text, sizeof text, 0);
        pid = got > 0 ? ParseIdlePid({text, size_t(got)}) : 0;
        if (pid && kill(pid, SIGTERM) != 0) pid = 0;
        // It has ended when its lock is free (a zombie nobody reaps holds none).
        for (int waited = 0; pid && flock(fd, LOCK_SH | LOCK_NB) != 0; waited += 20) {
            if (waited >= waitMs) {
                pid = -1;
                break;
            }
            usleep(20 * 1000);
        }
    }
    close(fd);
    return pid;
}

int SessionIdlePid() {
    std::string problem;
    const std::string path = SessionLockPath(ReadSessionEnvironment(), false, problem);
    // Read without taking the lock: even a moment's shared lock could make a
    // starting --idle refuse.
    const int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return 0;
    char text[24];
    const ssize_t got = pread(fd, text, sizeof text, 0);
    close(fd);
    return got > 0 ? ParseIdlePid({text, size_t(got)}) : 0;
}

int EnableIdle(int seconds) {
    std::string path;
    if (const std::string fault = WriteIdleEntry(seconds, path); !fault.empty()) {
        std::fprintf(stderr, "%s\n", fault.c_str());
        return 1;
    }
    std::printf("zarvella: --idle %s starts with your next session (%s)\n",
                FormatIdleTime(seconds).c_str(), path.c_str());
    return 0;
}

int DisableIdle() {
    std::string path;
    if (const std::string fault = RemoveIdleEntry(path); !fault.empty()) {
        std::fprintf(stderr, "%s\n", fault.c_str());
        return 1;
    }
    std::printf("zarvella: --idle no longer starts with your sessions (%s is gone)\n",
                path.c_str());
    if (const int pid = EndSessionIdle())
        std::printf("zarvella: this session's --idle (pid %d) ends\n", pid);
    return 0;
}

}  // namespace zarvella::linux_shell
