// TForm1: the full-screen saver window. Also draws the same
// picture into a window XScreenSaver hands us, where XScreenSaver decides
// when it ends.
#pragma once

#include <QTimer>

#include "platform/linux/gl_context.h"
#include "shell/fullscreen.h"

class QCloseEvent;
class QKeyEvent;
class QMouseEvent;

namespace zarvella::linux_shell {

// The window is its own GL surface: every paint (FormPaint) is RenderFrame,
// drawn into the window's back buffer.
class TForm1 : public GlWindow, private FullScreenHost {
    Q_OBJECT
  public:
    // embedInto: 0 for the saver's own top-level window, or the X window
    // XScreenSaver gave us (XSCREENSAVER_WINDOW, -window-id, -root).
    TForm1(SettingsStore& store, ErrorSink& errors, unsigned long embedInto = 0);

    QTimer* Timer;

  protected:
    void paintGL() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void TimerTimer();

  private:
    void FormCreate();
    void FormPaint();
    void FormKeyDown();
    void FormMouseMove();
    void FormCloseQuery(QCloseEvent* event);

    // FullScreenHost
    void SizeToScreen() override;
    void AttachContext() override;
    ScreenPoint CursorPos() override;
    void ShowCursor(bool show) override;
    void SetSaverRunning(bool running) override;
    bool VerifySaverPassword() override;
    void HideWindow() override;
    void Terminate() override;

    SettingsStore& store_;
    ErrorSink& errors_;
    unsigned long embedInto_;
};

}  // namespace zarvella::linux_shell
