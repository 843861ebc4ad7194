// --idle, --enable-idle and --disable-idle: a QCoreApplication (no window,
// no GL) that hears the session's idleness from one source and starts /s as
// a child. The rules are the core's (startup/idle.h); each idle_*.cpp asks
// one kind of session.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "startup/idle.h"

namespace zarvella::linux_shell {

int RunIdle(int seconds, int argc, char** argv);
int EnableIdle(int seconds);
int DisableIdle();

// What a source tells the running --idle.
class IdleListener {
  public:
    virtual ~IdleListener() = default;
    virtual void OnIdleEvent(IdleEvent event) = 0;  // SessionIdle, SessionActive, InhibitionChanged
    virtual void OnSourceLost(const std::string& line) = 0;  // one line; --idle ends
};

// A source at work: it reports to its listener until destroyed.
class IdleWatch : public QObject {
  public:
    // Whether an inhibitor holds the saver off now.
    virtual bool Inhibited() { return false; }
    // Whether the source reports an inhibitor's end (InhibitionChanged) itself;
    // otherwise it is asked again each second while it holds the saver off.
    virtual bool ReportsInhibitorEnd() const { return false; }
};

// X11: the display's facts, then MIT-SCREEN-SAVER's idle time; on the
// session bus, org.freedesktop.ScreenSaver's inhibitors when nobody serves them.
class X11Idle {
  public:
    X11Idle();
    ~X11Idle();
    void AddFacts(IdleFacts& facts);
    // saverActive: GetActive's answer.
    std::unique_ptr<IdleWatch> Watch(int seconds, IdleListener& listener,
                                     std::function<bool()> saverActive);

  private:
    struct Display_;
    std::unique_ptr<Display_> x_;
};

// Wayland: ext_idle_notifier_v1 or org_kde_kwin_idle on the first seat.
class WaylandIdle {
  public:
    WaylandIdle();
    ~WaylandIdle();
    void AddFacts(IdleFacts& facts);
    std::unique_ptr<IdleWatch> Watch(IdleSource source, int seconds, IdleListener& listener);

    struct Connection;  // idle_wayland.cpp's

  private:
    std::unique_ptr<Connection> wl_;
};

// GNOME: org.gnome.Mutter.IdleMonitor, and org.gnome.SessionManager's idle
// inhibitors.
bool MutterIdleMonitorRuns();
std::unique_ptr<IdleWatch> WatchMutter(int seconds, IdleListener& listener);

}  // namespace zarvella::linux_shell
