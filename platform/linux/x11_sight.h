// What the X server knows of whether one of our windows can be seen: whether
// it is viewable (it and every window it lies in are mapped; a foreign host
// window's parent may be unmapped while ours stays mapped, which Qt never
// hears of), whether it is wholly covered, and whether the monitors are
// powered down (DPMS).
#pragma once

#include <functional>

namespace zarvella::linux_shell {

// Follows the window on the program's X connection, whose one watching
// thread sleeps in the server's events: the window's own (visibility,
// structure) and those of every window it lies in (structure: mapped,
// unmapped, reparented). `changed` gets the state at the start (on the
// caller's thread) and after each change (on the watching thread), until
// the window goes.
void FollowX11Sight(unsigned long window, std::function<void(bool viewable, bool covered)> changed);

// The monitors' power, where the server has DPMS, asked on the program's
// X connection.
class DpmsMonitor {
  public:
    DpmsMonitor();
    // False where the server has no DPMS, or cannot power its monitors down:
    // then there is nothing to ask.
    bool Available() const { return available_; }
    // True while DPMS has put the monitors in standby, suspend or off.
    bool MonitorsOff() const;

  private:
    bool available_ = false;
};

}  // namespace zarvella::linux_shell
