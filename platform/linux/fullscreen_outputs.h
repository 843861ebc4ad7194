// FullScreenOutputs: the full-screen saver on Wayland, where no window can
// span the desktop: one full-screen window on each output, all showing the
// same frame. A frame is drawn only into a window the compositor shows (Qt's
// exposure, which follows the compositor's frame callbacks), and when none
// is shown the picture stands still and nothing runs.
#pragma once

#include <QOpenGLWindow>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <memory>
#include <vector>

#include "behaviour/fullscreen_window.h"
#include "platform/linux/gl_context.h"
#include "platform/linux/linux_fullscreen_host.h"

namespace zarvella::linux_shell {

class FullScreenOutputs;

// One output's window: full screen on its screen, its whole buffer the
// picture's viewport.
class OutputWindow : public GlWindow {
    Q_OBJECT
  public:
    OutputWindow(FullScreenOutputs& saver, QScreen* screen);
    // The output it was made for; null once that output is gone (Qt moves
    // the window to another screen then).
    QScreen* Output() const { return output_; }

  protected:
    void paintGL() override;
    void exposeEvent(QExposeEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    FullScreenOutputs& saver_;
    QPointer<QScreen> output_;
};

class FullScreenOutputs : public QObject, private LinuxFullScreenHost {
    Q_OBJECT
  public:
    FullScreenOutputs(SettingsStore& store, ErrorSink& errors);
    ~FullScreenOutputs() override;

    // From the windows.
    void OnPaint(OutputWindow& window);
    void OnExposed();
    void OnKeyDown();
    // A pointer position a window saw, on the desktop's logical coordinates.
    void OnMouseMove(ScreenPoint seen);
    void OnClose();

  private slots:
    void OnTimer();
    void OnScreensChange();

  private:
    // FullScreenHost
    std::vector<PixelRect> Monitors() override;
    void PlaceWindow(const PixelRect& rect) override;
    void AttachContext() override;
    ScreenPoint CursorPos() override { return lastSeen_; }
    bool KnowsCursor() override { return false; }
    void ShowCursor(bool show) override;
    void HideWindow() override;

    FullScreenRecord record_;  // the one picture every window draws
    std::vector<std::unique_ptr<OutputWindow>> windows_;
    QTimer timer_;
    // A tick has advanced the picture: until then the windows have no frame to show.
    bool advanced_ = false;
    ScreenPoint lastSeen_{};
    bool cursorHidden_ = false;
};

}  // namespace zarvella::linux_shell
