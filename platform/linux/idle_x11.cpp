// --idle on X11: MIT-SCREEN-SAVER's idle time, asked when idleness may have
// begun and then each second; the server's own saver switched off and other
// clients' keyboard grabs, as facts for the supervisor; an XScreenSaver
// daemon that starts meanwhile. (The inhibitors on the session bus are
// idle_inhibitors.cpp's, for every session.)
#include <unistd.h>

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

namespace {

class X11Watch : public IdleWatch {
  public:
    X11Watch(::Display* display, int seconds, const IdleFacts& facts, IdleSupervisor& supervisor)
        : display_(display),
          seconds_(seconds),
          facts_(facts),
          supervisor_(supervisor),
          info_(XScreenSaverAllocInfo()) {
        simulated_.start();
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        Poll();
    }
    ~X11Watch() override { XFree(info_); }
    bool SimulateActivity() override {
        simulated_.restart();
        simulatedEver_ = true;
        Poll();
        return true;
    }

  private:
    void Poll() {
        if (!XScreenSaverQueryInfo(display_, DefaultRootWindow(display_), info_)) {
            supervisor_.SourceLost("zarvella: the X display no longer tells its idle time");
            return;
        }
        // An XScreenSaver daemon started since: two saver hosts would fight
        // over the screen, so --idle goes with the words of its refusal.
        facts_.xScreenSaverDaemon = XScreenSaverDaemonRuns(display_);
        if (const IdleSourceChoice choice = ChooseIdleSource(facts_);
            choice.source == IdleSource::None)
            return supervisor_.SourceLost(choice.error);
        const uint64_t since = simulatedEver_ ? uint64_t(simulated_.elapsed()) : UINT64_MAX;
        const IdlePoll poll = PollX11Idle(info_->idle, since, seconds_, idle_);
        idle_ = poll.event == IdleEvent::SessionIdle;
        timer_.start(poll.nextMs);
        if (poll.changed) supervisor_.OnEvent(poll.event);
    }

    ::Display* display_;
    int seconds_;
    IdleFacts facts_;
    IdleSupervisor& supervisor_;
    XScreenSaverInfo* info_;
    QTimer timer_;
    QElapsedTimer simulated_;
    bool simulatedEver_ = false;
    bool idle_ = false;
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
    serverSaverOffAtStart_ = HoldFacts().serverSaverOff;
}

std::unique_ptr<IdleWatch> X11Idle::Watch(int seconds, const IdleFacts& facts,
                                          IdleSupervisor& supervisor) {
    return std::make_unique<X11Watch>(x_->display, seconds, facts, supervisor);
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

IdleHoldFacts X11Idle::HoldFacts() {
    IdleHoldFacts facts;
    if (!x_->display) return facts;
    const int grabbed = XGrabKeyboard(x_->display, DefaultRootWindow(x_->display), False,
                                      GrabModeAsync, GrabModeAsync, CurrentTime);
    if (grabbed == GrabSuccess) XUngrabKeyboard(x_->display, CurrentTime);
    XFlush(x_->display);
    facts.keyboardHeldElsewhere = grabbed == AlreadyGrabbed || grabbed == GrabFrozen;
    // XScreenSaverSuspend cannot be read back: the server tells neither its
    // count nor another state, and its idle time goes on counting (Xvfb 21).
    // Players that suspend it also reset it (SDL every 30 s) or hold an
    // inhibitor on the bus. `xset s off` can: the timeout is 0.
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(x_->display, &timeout, &interval, &blanking, &exposures);
    facts.serverSaverOff = timeout == 0;
    facts.serverSaverOffAtStart = serverSaverOffAtStart_;
    return facts;
}

}  // namespace zarvella::linux_shell
