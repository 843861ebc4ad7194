#include "platform/win32/password_system.h"

namespace zarvella::win32 {

namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr const char* kUsePasswordValue = "ScreenSaveUsePassword";
constexpr const char* kVerifyLibrary = "PASSWORD.CPL";
constexpr const char* kVerifyFunction = "VerifyScreenSavePwd";
constexpr const char* kChangeLibrary = "MPR.DLL";
constexpr const char* kChangeFunction = "PwdChangePasswordA";
constexpr const char* kPasswordName = "SCRSAVE";

// The libraries' functions, with the system's calling convention.
using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND owner);
using PwdChangePasswordAProc = DWORD(WINAPI*)(LPCSTR passwordName, HWND owner, DWORD reserved1,
                                              LPVOID reserved2);

// The libraries are loaded by name, as the system has always offered them; a
// handle of 32 or less is a failed load (the old error codes).
HMODULE LoadPasswordLibrary(const char* name) {
    const HMODULE library = LoadLibraryA(name);
    return reinterpret_cast<uintptr_t>(library) > 32 ? library : nullptr;
}

}  // namespace

bool SaverPasswordSystem::IsPasswordInUse() {
    HKEY desktop = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &desktop) != ERROR_SUCCESS) {
        return false;
    }
    uint8_t value[4] = {0, 0, 0, 0};
    DWORD size = sizeof value;
    const bool read = RegQueryValueExA(desktop, kUsePasswordValue, nullptr, nullptr, value,
                                       &size) == ERROR_SUCCESS;
    RegCloseKey(desktop);
    return PasswordSwitchOn(read, value);
}

PasswordAnswer SaverPasswordSystem::VerifyBeforeEnding(WindowHandle owner) {
    const HMODULE library = LoadPasswordLibrary(kVerifyLibrary);
    if (!library) return PasswordAnswer::Unavailable;
    const auto verify = reinterpret_cast<VerifyScreenSavePwdProc>(
        reinterpret_cast<void*>(GetProcAddress(library, kVerifyFunction)));
    PasswordAnswer answer = PasswordAnswer::Unavailable;
    ShowCursor(TRUE);  // visible over the saver while the dialog runs
    if (verify) {
        answer = verify(reinterpret_cast<HWND>(owner)) ? PasswordAnswer::Accepted
                                                       : PasswordAnswer::Refused;
    }
    ShowCursor(FALSE);
    FreeLibrary(library);
    return answer;
}

void SaverPasswordSystem::ChangePassword(WindowHandle owner) {
    const HMODULE library = LoadPasswordLibrary(kChangeLibrary);
    if (!library) return;
    const auto change = reinterpret_cast<PwdChangePasswordAProc>(
        reinterpret_cast<void*>(GetProcAddress(library, kChangeFunction)));
    if (change) change(kPasswordName, ToHwnd(static_cast<uint32_t>(owner)), 0, nullptr);
    FreeLibrary(library);
}

}  // namespace zarvella::win32
