// FullScreenWindow: the full-screen saver window. Win32 events become the core's calls.
#pragma once

#include <string>

#include "behaviour/fullscreen_window.h"
#include "behaviour/visibility.h"
#include "platform/win32/message_box.h"
#include "platform/win32/password_system.h"
#include "platform/win32/settings_store.h"
#include "platform/win32/win32.h"

namespace zarvella::win32 {

class FullScreenWindow : public FullScreenHost, private FrameClock {
  public:
    // Creates the window, runs OnCreate and shows it.
    void Create(HINSTANCE instance);
    HWND Handle = nullptr;
    // Every message of the window, through WindowObjectProc.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // FullScreenHost
    std::vector<PixelRect> Monitors() override;
    void PlaceWindow(const PixelRect& rect) override;
    void AttachContext() override;
    std::string ContextFailure() override { return contextFailure_; }
    ScreenPoint CursorPos() override;
    void ShowCursor(bool show) override;
    void SetSaverRunning(bool running) override;
    bool VerifySaverPassword() override;
    void HideWindow() override;
    void Terminate() override;
    // The process's exit code once the message loop has ended.
    int ExitCode() const;

  private:
    void OnCreate();
    void OnPaint();
    void OnKeyDown();
    void OnMouseMove();
    void OnClose();
    void OnTimer();
    void OnDisplayChange();
    void OnPowerSetting(const POWERBROADCAST_SETTING& setting);

    // FrameClock: the frame timer, stopped while the display is off.
    void StartFrames() override;
    void StopFrames() override;

    FullScreenRecord record_;  // its picture, cursor start, monitors, notice
    RegistryStore store_;
    MessageBoxErrors errors_;
    SaverPasswordSystem password_;
    std::string contextFailure_;
    WindowSight sight_{*this};
    HPOWERNOTIFY displayState_ = nullptr;
};

}  // namespace zarvella::win32
