#include "platform/win32/password_system.h"

namespace zarvella::win32 {

namespace {
// The libraries' functions, with the system's calling convention.
using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND owner);
using PwdChangePasswordAProc = DWORD(WINAPI*)(LPCSTR passwordName, HWND owner, DWORD reserved1,
                                              LPVOID reserved2);
}  // namespace

bool Win32PasswordSystem::OpenDesktopKey() {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &desktop_) != ERROR_SUCCESS) {
        desktop_ = nullptr;
    }
    return desktop_ != nullptr;
}

bool Win32PasswordSystem::QueryUsePassword(uint8_t (&buffer)[4]) {
    DWORD size = 4;
    return RegQueryValueExA(desktop_, kUsePasswordValue, nullptr, nullptr, buffer, &size) ==
           ERROR_SUCCESS;
}

void Win32PasswordSystem::CloseDesktopKey() {
    if (desktop_) RegCloseKey(desktop_);
    desktop_ = nullptr;
}

LibraryHandle Win32PasswordSystem::LoadLibrary(const char* name) {
    return reinterpret_cast<LibraryHandle>(LoadLibraryA(name));
}

ProcAddress Win32PasswordSystem::GetProcAddress(LibraryHandle library, const char* name) {
    return reinterpret_cast<ProcAddress>(
        ::GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void Win32PasswordSystem::FreeLibrary(LibraryHandle library) {
    ::FreeLibrary(reinterpret_cast<HMODULE>(library));
}

void Win32PasswordSystem::ShowCursor(bool show) {
    ::ShowCursor(show ? TRUE : FALSE);
}

int32_t Win32PasswordSystem::CallVerify(ProcAddress function, WindowHandle owner) {
    const auto verify = reinterpret_cast<VerifyScreenSavePwdProc>(function);
    return verify(reinterpret_cast<HWND>(owner));
}

void Win32PasswordSystem::CallChange(ProcAddress function, const char* passwordName,
                                     WindowHandle owner) {
    const auto change = reinterpret_cast<PwdChangePasswordAProc>(function);
    change(passwordName, ToHwnd(static_cast<uint32_t>(owner)), 0, nullptr);
}

}  // namespace zarvella::win32
