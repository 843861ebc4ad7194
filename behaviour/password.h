// The system's screen-saver password: asking before the saver ends, and the
// change-password mode. The decisions live here (when to ask, what a missing
// facility means); the system offers three capabilities behind PasswordSystem.
#pragma once

#include <cstdint>
#include <string_view>

namespace zarvella {

using WindowHandle = uintptr_t;

// What the system said when asked for the password.
enum class PasswordAnswer {
    Accepted,
    Refused,
    Unavailable,  // the facility is missing: no library, or no function in it
};

class PasswordSystem {
  public:
    virtual ~PasswordSystem() = default;
    // The system's "use a password" switch is on.
    virtual bool IsPasswordInUse() = 0;
    // Asks the user for the password in the system's dialog, owned by `owner`.
    virtual PasswordAnswer VerifyBeforeEnding(WindowHandle owner) = 0;
    // Lets the system change the saver's password in its dialog, owned by `owner`.
    virtual void ChangePassword(WindowHandle owner) = 0;
};

// The switch as the system stores it: a value of up to four bytes, read into
// `value` zeroed beforehand (a short one fills only its first bytes). On when
// it was read and is not zero; a missing value, or one that does not fit, is off.
bool PasswordSwitchOn(bool read, const uint8_t (&value)[4]);

// True when the saver may end: no password in use, the facility missing, or
// the password given correctly.
bool VerifySaverPassword(PasswordSystem& system, WindowHandle owner);

// Lets the system change the saver's password, owned by the window whose
// handle is the second command-line argument.
void ChangeSaverPassword(PasswordSystem& system, std::string_view secondArgument);

}  // namespace zarvella
