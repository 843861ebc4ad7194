// The screen-saver password on Linux: there is none of this kind (locking
// belongs to the desktop's locker or to XScreenSaver), so the core's null
// system answers: the saver may always end, and changing does nothing.
#pragma once

#include "behaviour/null_password.h"

namespace zarvella::linux_shell {

using SaverPasswordSystem = NullPasswordSystem;

}  // namespace zarvella::linux_shell
