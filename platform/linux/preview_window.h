// The preview mode on X11: a GL child of the X window whose id is
// on the command line, repainted by a timer through the core's preview rules.
#pragma once

#include <string_view>

namespace zarvella::linux_shell {

// Runs the preview until its window ends; returns the process's exit code.
// The process may also end inside (see the comment at the end).
int RunPreview(std::string_view secondArgument);

}  // namespace zarvella::linux_shell
