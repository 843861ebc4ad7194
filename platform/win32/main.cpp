// Zarvella.scr: the entry point. Reads the mode word and runs the one mode.
#include <float.h>

#include "behaviour/settings_window.h"
#include "engine/fpu.h"
#include "platform/win32/command_line.h"
#include "platform/win32/fullscreen_window.h"
#include "platform/win32/password_system.h"
#include "platform/win32/preview_window.h"
#include "platform/win32/settings_window.h"
#include "platform/win32/win32.h"
#include "startup/launch.h"

using namespace zarvella;
using namespace zarvella::win32;

namespace {

// The picture's arithmetic relies on extended precision on the x87 unit and
// on no floating-point exception ever trapping (docs/compatibility.md).
void SetUpFloatingPoint() {
#if defined(__i386__)
    _controlfp(_PC_64, _MCW_PC);
#endif
    MaskFloatingPointExceptions();
}

// The application's message loop; the settings window sees keys first and
// lets the dialog manager walk its controls with Tab.
void RunMessageLoop(SettingsWindow* settingsWindow) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (settingsWindow) {
            if (settingsWindow->PreviewKey(message)) continue;
            if (IsDialogMessageA(settingsWindow->Handle, &message)) continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    SetUpFloatingPoint();
    const LaunchPlan plan = PlanLaunch(ProgramArguments(), nullptr, CommandLines::WindowsOnly);
    switch (plan.mode) {
        case SaverMode::FullScreen: {
            static FullScreenWindow fullScreen;
            fullScreen.Create(instance);
            RunMessageLoop(nullptr);
            return fullScreen.ExitCode();
        }
        case SaverMode::Settings: {
            static SettingsWindow settings;
            const uint32_t owner = DecideSettingsOwner(plan.settingsOwner, [](uint32_t handle) {
                return IsWindow(ToHwnd(handle)) != FALSE;
            });
            settings.Create(instance, ToHwnd(owner));
            RunMessageLoop(&settings);
            break;
        }
        case SaverMode::Preview:
            return RunPreview(plan.secondArgument);
        case SaverMode::ChangePassword: {
            SaverPasswordSystem system;
            ChangeSaverPassword(system, plan.secondArgument);
            break;
        }
    }
    return 0;
}
