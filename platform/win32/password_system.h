// The system's screen-saver password libraries and switch, through the real calls.
#pragma once

#include "platform/win32/win32.h"
#include "shell/password.h"

namespace zarvella::win32 {

class SaverPasswordSystem : public PasswordSystem {
  public:
    bool OpenDesktopKey() override;
    bool QueryUsePassword(uint8_t (&buffer)[4]) override;
    void CloseDesktopKey() override;
    LibraryHandle LoadLibrary(const char* name) override;
    ProcAddress GetProcAddress(LibraryHandle library, const char* name) override;
    void FreeLibrary(LibraryHandle library) override;
    void ShowCursor(bool show) override;
    int32_t CallVerify(ProcAddress function, WindowHandle owner) override;
    void CallChange(ProcAddress function, const char* passwordName, WindowHandle owner) override;

  private:
    HKEY desktop_ = nullptr;
};

// A window handle as the core passes it, and back.
inline WindowHandle ToWindowHandle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}
// Handles are 32-bit values; a 64-bit process sign-extends them.
inline HWND ToHwnd(uint32_t handle) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(handle)));
}

}  // namespace zarvella::win32
