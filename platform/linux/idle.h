// --idle, --enable-idle and --disable-idle: a QCoreApplication (no window,
// no GL) that hears the session's idleness from one source and starts /s as
// a child. The rules are the core's (startup/idle.h); each idle_*.cpp asks
// one kind of session.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "startup/idle.h"
#include "startup/idle_supervisor.h"

namespace zarvella::linux_shell {

int RunIdle(int seconds, int argc, char** argv);
int EnableIdle(int seconds);
int DisableIdle();  // also ends this session's running --idle
// Asks this session's running --idle to end (SIGTERM to the pid in its
// lock); its pid, or 0 when none runs; -1 when it still runs `waitMs` later.
int EndSessionIdle(int waitMs = 0);
// The pid this session's --idle wrote into its lock (it may have ended since); 0: none.
int SessionIdlePid();

// /s: takes the display's "a saver shows" lock for the process's life;
// false when another full-screen saver of ours holds it (xautolock's /s and
// --idle's): this one does not start, so that one key ends what covers the screen.
bool ClaimSaverShowing();
// Whether a full-screen saver of ours holds that lock now (asked, not taken).
bool OurSaverShows();

// A source at work: it reports to the supervisor until destroyed.
class IdleWatch : public QObject {
  public:
    // SimulateUserActivity: false when the source has no way of its own to
    // count it as input (then it is the supervisor's SessionActive).
    virtual bool SimulateActivity() { return false; }
};

// X11: the display's facts, then MIT-SCREEN-SAVER's idle time (and an
// XScreenSaver daemon appearing ends --idle with the refusal's line).
class X11Idle {
  public:
    X11Idle();
    ~X11Idle();
    void AddFacts(IdleFacts& facts);
    std::unique_ptr<IdleWatch> Watch(int seconds, const IdleFacts& facts,
                                     IdleSupervisor& supervisor);
    // While --idle waits: the display's end is seen at once (one line, code 1).
    void WatchConnection();
    // Another client holds the keyboard (tried with a grab, released at
    // once); the server's own saver off.
    IdleHoldFacts HoldFacts();

  private:
    struct Display_;
    std::unique_ptr<Display_> x_;
    bool serverSaverOffAtStart_ = false;
};

// Wayland: ext_idle_notifier_v1 or org_kde_kwin_idle on the first seat.
class WaylandIdle {
  public:
    WaylandIdle();
    ~WaylandIdle();
    void AddFacts(IdleFacts& facts);
    std::unique_ptr<IdleWatch> Watch(IdleSource source, int seconds, IdleSupervisor& supervisor);

    struct Connection;  // idle_wayland.cpp's

  private:
    std::unique_ptr<Connection> wl_;
};

// The session's lock, from every desktop that tells it, reported to the
// supervisor until destroyed.
std::unique_ptr<QObject> WatchSessionLocks(IdleSupervisor& supervisor);

// GNOME: org.gnome.Mutter.IdleMonitor, and org.gnome.SessionManager's idle
// inhibitors.
bool MutterIdleMonitorRuns();
std::unique_ptr<IdleWatch> WatchMutter(int seconds, IdleSupervisor& supervisor);

}  // namespace zarvella::linux_shell
