#include "platform/win32/password_system.h"

namespace zarvella::win32 {

namespace {
// The libraries' functions, with the system's calling convention.
using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND owner);
using PwdChangePasswordAProc = DWORD(WINAPI*)(LPCSTR passwordName, HWND owner, DWORD reserved1,
                                              LPVOID reserved2);
}  // namespace

bool SaverPasswordSystem::OpenDesktopKey() {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &desktop_) != ERROR_SUCCESS) {
        desktop_ = nullptr;
    }
    return desktop_ != nullptr;
}

bool SaverPasswordSystem::QueryUsePassword(uint8_t (&buffer)[4]) {
    DWORD size = 4;
    return RegQueryValueExA(desktop_, kUsePasswordValue, nullptr, nullptr, buffer, &size) ==
           ERROR_SUCCESS;
}

void SaverPasswordSystem::CloseDesktopKey() {
    if (desktop_) RegCloseKey(desktop_);
    desktop_ = nullptr;
}

LibraryHandle SaverPasswordSystem::LoadLibrary(const char* name) {
    return reinterpret_cast<LibraryHandle>(LoadLibraryA(name));
}

ProcAddress SaverPasswordSystem::GetProcAddress(LibraryHandle library, const char* name) {
    return reinterpret_cast<ProcAddress>(
        ::GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void SaverPasswordSystem::FreeLibrary(LibraryHandle library) {
    ::FreeLibrary(reinterpret_cast<HMODULE>(library));
}

void SaverPasswordSystem::ShowCursor(bool show) {
    ::ShowCursor(show ? TRUE : FALSE);
}

int32_t SaverPasswordSystem::CallVerify(ProcAddress function, WindowHandle owner) {
    const auto verify = reinterpret_cast<VerifyScreenSavePwdProc>(function);
    return verify(reinterpret_cast<HWND>(owner));
}

void SaverPasswordSystem::CallChange(ProcAddress function, const char* passwordName,
                                     WindowHandle owner) {
    const auto change = reinterpret_cast<PwdChangePasswordAProc>(function);
    change(passwordName, ToHwnd(static_cast<uint32_t>(owner)), 0, nullptr);
}

}  // namespace zarvella::win32
