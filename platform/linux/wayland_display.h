// The Wayland session's compositor, asked before Qt is: Qt ends the process
// when its platform cannot connect, and we would rather say why in one line.
#pragma once

namespace zarvella::linux_shell {

// True when WAYLAND_DISPLAY names a compositor that accepts a connection.
bool WaylandDisplayOpens();

}  // namespace zarvella::linux_shell
