// What every Linux full-screen host answers alike, X11's picture window and
// Wayland's windows per output: no "a screen saver runs" notice, the
// system's saver password (there is none: password_system.h), and the end
// of the process's loop.
#pragma once

#include <QCoreApplication>

#include "behaviour/fullscreen_window.h"
#include "platform/linux/password_system.h"

namespace zarvella::linux_shell {

class LinuxFullScreenHost : public FullScreenHost {
  protected:
    void SetSaverRunning(bool) override {}
    bool VerifySaverPassword() override {
        SaverPasswordSystem system;
        return zarvella::VerifySaverPassword(system, 0);
    }
    void Terminate() override { QCoreApplication::exit(0); }
};

}  // namespace zarvella::linux_shell
