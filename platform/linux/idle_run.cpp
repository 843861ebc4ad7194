// --idle's process: the source's events through the core's IdleMachine, the
// saver as a child, the signals that end both; and the autostart entry.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/socket.h>
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

#include "platform/linux/display_probes.h"
#include "platform/linux/idle.h"
#include "platform/linux/settings_store.h"
#include "startup/launch.h"

namespace zarvella::linux_shell {

namespace {

int signalPipe[2] = {-1, -1};
void OnSignal(int signal) {
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

class IdleRunner : public IdleListener {
  public:
    IdleRunner() {
        saver_.setProgram(QCoreApplication::applicationFilePath());
        saver_.setArguments({"/s"});
        saver_.setProcessChannelMode(QProcess::ForwardedChannels);
        // The saver goes with us, even when we are killed.
        saver_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        QObject::connect(&saver_, &QProcess::finished, [this] { Step(IdleEvent::SaverEnded); });
        QObject::connect(&saver_, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart) return;
            std::fprintf(stderr, "zarvella: cannot start the saver: %s\n",
                         qPrintable(saver_.errorString()));
            Step(IdleEvent::SaverEnded);
        });
        recheck_.setInterval(1000);
        QObject::connect(&recheck_, &QTimer::timeout,
                         [this] { Step(IdleEvent::InhibitionChanged); });
    }
    ~IdleRunner() override { StopSaver(); }

    void SetWatch(std::unique_ptr<IdleWatch> watch) { watch_ = std::move(watch); }
    bool SaverActive() const { return machine_.SaverRunning(); }

    void OnIdleEvent(IdleEvent event) override { Step(event); }
    void OnSourceLost(const std::string& line) override {
        if (stopping_) return;  // told twice (the monitor, then the bus)
        std::fprintf(stderr, "%s\n", line.c_str());
        Quit(1);
    }
    void Quit(int code) {
        stopping_ = true;
        StopSaver();
        QCoreApplication::exit(code);
    }

  private:
    void Step(IdleEvent event) {
        if (stopping_) return;
        if (machine_.Step(event, [this] { return watch_ && watch_->Inhibited(); })) saver_.start();
        if (machine_.WaitsOnInhibitor() && !watch_->ReportsInhibitorEnd())
            recheck_.start();
        else
            recheck_.stop();
    }
    void StopSaver() {
        if (saver_.state() == QProcess::NotRunning) return;
        saver_.terminate();
        if (!saver_.waitForFinished(3000)) saver_.kill();
        saver_.waitForFinished(1000);
    }

    IdleMachine machine_;
    QProcess saver_;
    QTimer recheck_;
    std::unique_ptr<IdleWatch> watch_;
    bool stopping_ = false;
};

// The session's display as the environment names it (libwayland's default
// when WAYLAND_DISPLAY is unset).
std::string SessionDisplay(const SessionEnvironment& env, bool wayland) {
    if (!wayland) return env.display;
    return env.wayland.empty() ? "wayland-0" : env.wayland;
}

std::string ProgramPath() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, size_t(length)) : std::string();
}

}  // namespace

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
    // The bus only where GNOME may be the answer.
    const bool sessionThere = facts.waylandSession
                                  ? facts.waylandOpens && !facts.extIdleNotifier && !facts.kdeIdle
                                  : facts.xDisplayOpens && !facts.xScreenSaverDaemon;
    if (sessionThere) facts.mutterIdleMonitor = MutterIdleMonitorRuns();
    const IdleSourceChoice choice = ChooseIdleSource(facts);
    if (choice.source == IdleSource::None) {
        std::fprintf(stderr, "%s\n", choice.error.c_str());
        return 1;
    }

    const std::string lockPath = IdleLockPath(env.runtimeDir.c_str(), getuid(), facts.display);
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

    IdleRunner runner;
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return 1;
    QSocketNotifier signalled(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalled, &QSocketNotifier::activated, [&runner] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = read(signalPipe[0], &byte, 1);
        runner.Quit(0);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);

    switch (choice.source) {
        case IdleSource::ExtIdleNotify:
        case IdleSource::KdeIdle:
            runner.SetWatch(wayland->Watch(choice.source, seconds, runner));
            break;
        case IdleSource::MutterIdleMonitor:
            runner.SetWatch(WatchMutter(seconds, runner));
            break;
        case IdleSource::X11ScreenSaver:
            runner.SetWatch(
                x11->Watch(seconds, runner, [&runner] { return runner.SaverActive(); }));
            break;
        case IdleSource::None:
            break;
    }
    return QCoreApplication::exec();
}

int EnableIdle(int seconds) {
    const std::string path = IdleAutostartPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    if (path.empty()) {
        std::fprintf(stderr, "zarvella: neither XDG_CONFIG_HOME nor HOME names a folder\n");
        return 1;
    }
    const std::string program = ProgramPath();
    const std::string entry = IdleAutostartEntry(program, seconds);
    if (program.empty() || entry.empty()) {
        std::fprintf(stderr, "zarvella: this program's path cannot go in an autostart entry\n");
        return 1;
    }
    if (!WriteFileAtomically(path, entry)) {
        std::fprintf(stderr, "zarvella: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    std::printf("zarvella: --idle %s starts with your next session (%s)\n",
                FormatIdleTime(seconds).c_str(), path.c_str());
    return 0;
}

int DisableIdle() {
    const std::string path = IdleAutostartPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    if (path.empty()) {
        std::fprintf(stderr, "zarvella: neither XDG_CONFIG_HOME nor HOME names a folder\n");
        return 1;
    }
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        std::fprintf(stderr, "zarvella: cannot remove %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::printf("zarvella: --idle no longer starts with your sessions (%s is gone)\n",
                path.c_str());
    return 0;
}

}  // namespace zarvella::linux_shell
