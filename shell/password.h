// The system's screen-saver password: asking before the saver ends, and the
// change-password mode. The decisions live here; the calls are the system's.
#pragma once

#include <cstdint>
#include <string_view>

namespace zarvella {

using LibraryHandle = uintptr_t;
using ProcAddress = void*;
using WindowHandle = uintptr_t;

inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";
inline constexpr const char* kUsePasswordValue = "ScreenSaveUsePassword";
inline constexpr const char* kVerifyLibrary = "PASSWORD.CPL";
inline constexpr const char* kVerifyFunction = "VerifyScreenSavePwd";
inline constexpr const char* kChangeLibrary = "MPR.DLL";
inline constexpr const char* kChangeFunction = "PwdChangePasswordA";
inline constexpr const char* kPasswordName = "SCRSAVE";

class PasswordSystem {
  public:
    virtual ~PasswordSystem() = default;
    virtual bool OpenDesktopKey() = 0;
    // Reads the value into `buffer` with its size given as 4. False when it is
    // missing or does not fit.
    virtual bool QueryUsePassword(uint8_t (&buffer)[4]) = 0;
    virtual void CloseDesktopKey() = 0;
    virtual LibraryHandle LoadLibrary(const char* name) = 0;
    virtual ProcAddress GetProcAddress(LibraryHandle library, const char* name) = 0;
    virtual void FreeLibrary(LibraryHandle library) = 0;
    virtual void ShowCursor(bool show) = 0;
    virtual int32_t CallVerify(ProcAddress function, WindowHandle owner) = 0;
    virtual void CallChange(ProcAddress function, const char* passwordName, WindowHandle owner) = 0;
};

// A handle of 32 or less is a failed load.
inline bool LibraryLoaded(LibraryHandle h) {
    return h > 32;
}

// True when the saver may end: no password in use, the facility missing, or
// the password given correctly.
bool VerifySaverPassword(PasswordSystem& system, WindowHandle owner);

// Lets the system change the saver's password, owned by the window whose
// handle is the second command-line argument.
void ChangeSaverPassword(PasswordSystem& system, std::string_view secondArgument);

}  // namespace zarvella
