// The password system of a platform without the facility, like a null driver:
// no desktop key to open, no library to load. The core's rules then answer
// "may end" and the change-password mode does nothing.
#pragma once

#include "shell/password.h"

namespace zarvella {

class NullPasswordSystem : public PasswordSystem {
  public:
    bool OpenDesktopKey() override { return false; }
    bool QueryUsePassword(uint8_t (&)[4]) override { return false; }
    void CloseDesktopKey() override {}
    LibraryHandle LoadLibrary(const char*) override { return 0; }
    ProcAddress GetProcAddress(LibraryHandle, const char*) override { return nullptr; }
    void FreeLibrary(LibraryHandle) override {}
    void ShowCursor(bool) override {}
    int32_t CallVerify(ProcAddress, WindowHandle) override { return 1; }
    void CallChange(ProcAddress, const char*, WindowHandle) override {}
};

}  // namespace zarvella
