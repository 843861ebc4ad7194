// The facts of the running program that --enable-idle's entry is made from
// (startup/idle_autostart.h).
#pragma once

#include "startup/idle_autostart.h"

namespace zarvella::linux_shell {

RunningProgram ReadRunningProgram();

}  // namespace zarvella::linux_shell
