// The environment's facts about displays, and the probes the start-up's
// choice asks: the shell's half of startup/display_choice.
#pragma once

#include "startup/display_choice.h"

namespace zarvella::linux_shell {

// DISPLAY, WAYLAND_DISPLAY, WAYLAND_SOCKET, XDG_RUNTIME_DIR and
// QT_QPA_PLATFORM, read once.
SessionEnvironment ReadSessionEnvironment();

// Each probe leaves nothing behind: WAYLAND_SOCKET's descriptor is looked
// at, never read from or closed, and the Wayland display is asked without
// libwayland, which would take WAYLAND_SOCKET first and print its own lines.
class SystemDisplayProbes : public DisplayProbes {
  public:
    explicit SystemDisplayProbes(const SessionEnvironment& env) : env_(env) {}
    bool XOpens() override;
    bool WaylandOpens() override;
    Descriptor Kind(int fd) override;

  private:
    const SessionEnvironment& env_;
};

// Carries out what the plan says of the environment: a stale WAYLAND_SOCKET
// unset, Qt's platform set unless the user chose one.
void ApplyDisplayPlan(const DisplayPlan& plan);

}  // namespace zarvella::linux_shell
