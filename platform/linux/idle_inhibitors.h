// --idle's inhibitors on the session bus, in every kind of session: it serves
// org.freedesktop.ScreenSaver when nobody else does (and takes the name when
// its owner leaves), and asks the desktop's own books when another program
// serves it.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/linux/session_bus.h"
#include "startup/idle_supervisor.h"

namespace zarvella::linux_shell {

class IdleInhibitors {
  public:
    virtual ~IdleInhibitors() = default;
    // Whether a player holds this display's saver off; none: the answer
    // goes to IdleSupervisor::InhibitedAnswer later.
    virtual std::optional<bool> AskInhibited() = 0;
    // Whether an inhibitor's end is reported (InhibitionChanged).
    virtual bool ReportsInhibitorEnd() const = 0;
};

// `display`: this session's key (its lock file); `folder` and `wayland` make
// a caller's key from its environment. `simulated`: SimulateUserActivity.
// `busIsSource`: the idle source lives on the bus (GNOME), and ends --idle
// itself when the bus goes. Without a session bus: the line, and none.
std::unique_ptr<IdleInhibitors> ServeInhibitors(IdleSupervisor& supervisor,
                                                const std::string& folder,
                                                const std::string& display, bool wayland,
                                                bool busIsSource, std::function<void()> simulated);

}  // namespace zarvella::linux_shell
