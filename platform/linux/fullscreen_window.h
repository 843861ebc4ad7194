// FullScreenWindow: the full-screen saver window. As an XScreenSaver hack it draws the
// same picture into the window XScreenSaver hands us, or into a window of its
// own; then XScreenSaver, or closing that window, ends it.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QTimer>
#include <memory>
#include <optional>

#include "behaviour/desktop_cover.h"
#include "behaviour/fullscreen_window.h"
#include "platform/linux/gl_context.h"
#include "startup/options.h"

class QCloseEvent;
class QKeyEvent;
class QMouseEvent;

namespace zarvella::linux_shell {

class SightWatcher;

// The window is its own GL surface: every paint (OnPaint) is RenderFrame,
// drawn into the window's back buffer. One window covers every monitor; each
// monitor shows the picture in its own viewport of it.
class FullScreenWindow : public GlWindow, private FullScreenHost {
    Q_OBJECT
  public:
    // The saver: full screen, with the stored settings, covering the
    // desktop as `cover` says (unmanaged and grabbing input under a window
    // manager).
    FullScreenWindow(SettingsStore& store, ErrorSink& errors, const CoverPlan& cover);
    // The hack, with the command line's settings: embedInto is the X window
    // to draw into (XSCREENSAVER_WINDOW, -window-id), followed in its size.
    // The root (-root by hand) gets a window below every other one, over
    // every monitor; otherwise a resizable window of its own.
    FullScreenWindow(const HackOptions& hack, unsigned long embedInto);

  protected:
    void paintGL() override;
    void exposeEvent(QExposeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void OnTimer();

  private:
    void OnCreate();
    void OnPaint();
    void OnKeyDown();
    void OnMouseMove();
    void OnClose(QCloseEvent* event);
    // Screens added, removed or changed: keep covering them all.
    void FollowScreens();
    void OnScreensChange();

    // FullScreenHost
    std::vector<PixelRect> Monitors() override;
    void PlaceWindow(const PixelRect& rect) override;
    void AttachContext() override;
    ScreenPoint CursorPos() override;
    void ShowCursor(bool show) override;
    void SetSaverRunning(bool running) override;
    bool VerifySaverPassword() override;
    void HideWindow() override;
    void Terminate() override;

    void Build();
    // Keyboard and pointer, tried again while another client holds them.
    void GrabInput();

    FullScreenRecord record_;  // its picture, cursor start, monitors, notice
    QTimer* timer_ = nullptr;
    SightWatcher* sight_ = nullptr;  // stops timer_ while nobody can see the window
    SettingsStore* store_ = nullptr;
    ErrorSink* errors_ = nullptr;
    std::optional<HackOptions> hack_;
    unsigned long embedInto_ = 0;
    bool desktop_ = false;  // -root by hand: below every other window
    CoverPlan cover_;
    bool keyboardGrabbed_ = false, pointerGrabbed_ = false;
    int grabTries_ = 0;
    std::unique_ptr<QAbstractNativeEventFilter> keepAtBottom_;  // and back below when raised
};

}  // namespace zarvella::linux_shell
