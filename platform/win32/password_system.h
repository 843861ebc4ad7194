// The system's screen-saver password: its switch in the registry, and the
// libraries that ask for it and change it, loaded for each use.
#pragma once

#include "behaviour/password.h"
#include "platform/win32/win32.h"

namespace zarvella::win32 {

class SaverPasswordSystem : public PasswordSystem {
  public:
    bool IsPasswordInUse() override;
    PasswordAnswer VerifyBeforeEnding(WindowHandle owner) override;
    void ChangePassword(WindowHandle owner) override;
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
