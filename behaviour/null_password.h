// The password system of a platform without the facility, like a null driver:
// no password is ever in use, there is nothing to ask, nothing to change. The
// core's rules then answer "may end" and the change-password mode does nothing.
#pragma once

#include "behaviour/password.h"

namespace zarvella {

class NullPasswordSystem : public PasswordSystem {
  public:
    bool IsPasswordInUse() override { return false; }
    PasswordAnswer VerifyBeforeEnding(WindowHandle) override { return PasswordAnswer::Unavailable; }
    void ChangePassword(WindowHandle) override {}
};

}  // namespace zarvella
