// The small Linux answers to the core's system interfaces: no screen-saver
// password facility, and error messages in a message box.
#pragma once

#include <string>

#include "settings/settings.h"
#include "shell/password.h"

namespace zarvella::linux_shell {

// Linux has no screen-saver password of this kind (locking belongs to the
// desktop's locker or to XScreenSaver): there is no key to open, so the core
// answers "may end" and the change-password mode does nothing.
class NoPasswordSystem : public PasswordSystem {
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

bool VerifySaverPassword();

// QMessageBox::critical titled "Zarvella". Test hook: when the environment
// variable ZARVELLA_TEST_MESSAGE_LOG names a file, each text shown is also
// appended to it as one line, so the end-to-end tests can check the wording.
class MessageBoxErrors : public ErrorSink {
  public:
    void ShowError(const std::string& text) override;
};

}  // namespace zarvella::linux_shell
