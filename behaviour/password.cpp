#include "behaviour/password.h"

#include <cstring>

#include "behaviour/window_handle.h"

namespace zarvella {

bool PasswordSwitchOn(bool read, const uint8_t (&value)[4]) {
    if (!read) return false;
    uint32_t number = 0;
    std::memcpy(&number, value, sizeof number);
    return number != 0;
}

bool VerifySaverPassword(PasswordSystem& system, WindowHandle owner) {
    if (!system.IsPasswordInUse()) return true;
    return system.VerifyBeforeEnding(owner) != PasswordAnswer::Refused;
}

void ChangeSaverPassword(PasswordSystem& system, std::string_view secondArgument) {
    system.ChangePassword(ParseWindowHandle(secondArgument));
}

}  // namespace zarvella
