// --idle on X11: MIT-SCREEN-SAVER's idle time, asked when idleness may have
// begun and then each second; and org.freedesktop.ScreenSaver's inhibitors,
// served on the session bus when no one else serves them.
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

#include "platform/linux/idle.h"

// After Qt's headers: Xlib's macros would clash with its names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
// And gone before the generated meta-object code.
#undef Bool
#undef None

namespace zarvella::linux_shell {

struct X11Idle::Display_ {
    ::Display* display = nullptr;
    std::unique_ptr<QSocketNotifier> readable;
};

namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";

// Xlib ends the process when this returns: say the one line and go at once
// (the saver gets SIGTERM through PR_SET_PDEATHSIG, the kernel drops the lock).
int ConnectionLost(::Display*) {
    std::fputs("zarvella: the X display went away\n", stderr);
    _exit(1);
}

// An XScreenSaver daemon marks its window, a child of the root, with
// _SCREENSAVER_VERSION; xscreensaver-command finds it the same way.
bool XScreenSaverDaemonRuns(::Display* display) {
    const Atom version = XInternAtom(display, "_SCREENSAVER_VERSION", True);
    if (version == 0) return false;
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], version, 0, 0, False, XA_STRING, &type,
                               &format, &items, &after, &data) == Success)
            found = type == XA_STRING;
        if (data) XFree(data);
    }
    if (children) XFree(children);
    return found;
}

}  // namespace

// The freedesktop idle-inhibition interface at /org/freedesktop/ScreenSaver
// and /ScreenSaver; the book is the core's.
class ScreenSaverService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

  public:
    ScreenSaverService(IdleSupervisor& supervisor, std::function<void()> simulated)
        : supervisor_(supervisor), simulated_(std::move(simulated)) {
        watcher_.setConnection(QDBusConnection::sessionBus());
        watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
                [this](const QString& caller) {
                    watcher_.removeWatchedService(caller);
                    if (book_.CallerLeft(caller.toStdString())) Changed();
                });
    }

  public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        const QString caller = message().service();
        const uint cookie =
            book_.Inhibit(caller.toStdString(), application.toStdString(), reason.toStdString());
        watcher_.addWatchedService(caller);
        const QDBusReply<bool> there = connection().interface()->isServiceRegistered(caller);
        // It may have left before the watch began (a call that awaits no reply).
        if (there.isValid() && !there.value()) {
            book_.CallerLeft(caller.toStdString());
            watcher_.removeWatchedService(caller);
        }
        Changed();
        return cookie;
    }
    void UnInhibit(uint cookie) {
        const std::string caller = message().service().toStdString();
        if (!book_.UnInhibit(caller, cookie)) return;
        if (!book_.Holds(caller)) watcher_.removeWatchedService(message().service());
        Changed();
    }
    void SimulateUserActivity() { simulated_(); }
    bool GetActive() { return supervisor_.SaverShows(); }

  public:
    bool Inhibited() const { return book_.Inhibited(); }

  private:
    void Changed() { supervisor_.OnEvent(IdleEvent::InhibitionChanged); }

    IdleSupervisor& supervisor_;
    std::function<void()> simulated_;
    QDBusServiceWatcher watcher_;
    InhibitorBook book_;
};

namespace {

class X11Watch : public IdleWatch {
  public:
    X11Watch(::Display* display, int seconds, IdleSupervisor& supervisor)
        : display_(display),
          seconds_(seconds),
          supervisor_(supervisor),
          info_(XScreenSaverAllocInfo()) {
        simulated_.start();
        simulatedEver_ = false;
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            std::fprintf(stderr, "zarvella: no session bus: players cannot hold the saver off\n");
        } else if (bus.registerService(kService)) {
            service_ = std::make_unique<ScreenSaverService>(supervisor, [this] {
                simulated_.restart();
                simulatedEver_ = true;
                Poll();
            });
            for (const char* path : {"/org/freedesktop/ScreenSaver", "/ScreenSaver"})
                bus.registerObject(path, service_.get(), QDBusConnection::ExportAllSlots);
        }
        Poll();
    }
    ~X11Watch() override {
        if (service_) QDBusConnection::sessionBus().unregisterService(kService);
        XFree(info_);
    }
    std::optional<bool> AskInhibited() override { return service_ && service_->Inhibited(); }

  private:
    void Poll() {
        if (!XScreenSaverQueryInfo(display_, DefaultRootWindow(display_), info_)) {
            supervisor_.SourceLost("zarvella: the X display no longer tells its idle time");
            return;
        }
        const uint64_t since = simulatedEver_ ? uint64_t(simulated_.elapsed()) : UINT64_MAX;
        const IdlePoll poll = PollX11Idle(info_->idle, since, seconds_, idle_);
        idle_ = poll.event == IdleEvent::SessionIdle;
        timer_.start(poll.nextMs);
        if (poll.changed) supervisor_.OnEvent(poll.event);
    }

    ::Display* display_;
    int seconds_;
    IdleSupervisor& supervisor_;
    XScreenSaverInfo* info_;
    QTimer timer_;
    QElapsedTimer simulated_;
    bool simulatedEver_ = false;
    bool idle_ = false;
    std::unique_ptr<ScreenSaverService> service_;
};

}  // namespace

X11Idle::X11Idle() : x_(std::make_unique<Display_>()) {}
X11Idle::~X11Idle() {
    x_->readable.reset();
    if (x_->display) XCloseDisplay(x_->display);
}

void X11Idle::AddFacts(IdleFacts& facts) {
    x_->display = XOpenDisplay(nullptr);
    facts.xDisplayOpens = x_->display != nullptr;
    if (!x_->display) return;
    facts.xScreenSaverDaemon = XScreenSaverDaemonRuns(x_->display);
    int event = 0, error = 0;
    facts.xScreenSaverExtension = XScreenSaverQueryExtension(x_->display, &event, &error);
}

std::unique_ptr<IdleWatch> X11Idle::Watch(int seconds, IdleSupervisor& supervisor) {
    return std::make_unique<X11Watch>(x_->display, seconds, supervisor);
}

void X11Idle::WatchConnection() {
    XSetIOErrorHandler(ConnectionLost);
    x_->readable =
        std::make_unique<QSocketNotifier>(ConnectionNumber(x_->display), QSocketNotifier::Read);
    // Reading is what notices the end: XPending on a closed connection calls
    // ConnectionLost.
    QObject::connect(x_->readable.get(), &QSocketNotifier::activated, [display = x_->display] {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
    });
}

bool X11Idle::KeyboardHeldElsewhere() {
    if (!x_->display) return false;
    const int grabbed = XGrabKeyboard(x_->display, DefaultRootWindow(x_->display), False,
                                      GrabModeAsync, GrabModeAsync, CurrentTime);
    if (grabbed == GrabSuccess) XUngrabKeyboard(x_->display, CurrentTime);
    XFlush(x_->display);
    return grabbed == AlreadyGrabbed || grabbed == GrabFrozen;
}

}  // namespace zarvella::linux_shell

#include "idle_x11.moc"
