// The X11 windows' common GL window of the full-screen picture: the
// saver's (fullscreen_window.h) and the hack's (hack_window.h).
#pragma once

#include <QDeadlineTimer>
#include <QTimer>
#include <cstdint>

#include "behaviour/fullscreen_window.h"
#include "platform/linux/gl_context.h"
#include "platform/linux/linux_fullscreen_host.h"

class QCloseEvent;
class QKeyEvent;
class QMouseEvent;

namespace zarvella::linux_shell {

// The clock the stacking rules' spacing counts on (behaviour/desktop_cover).
inline int64_t StackClockMs() {
    return QDeadlineTimer::current().deadline();
}

class SightWatcher;

// A window that is its own GL surface: every paint (OnPaint) is
// RenderFrame, drawn into the window's back buffer; each monitor it covers
// shows the picture in its own viewport of it. Its role (RulesFor) says
// what it follows: the screens, or the window it lies in (hostWindow_).
class PictureWindow : public GlWindow, protected LinuxFullScreenHost {
    Q_OBJECT
  public:
    explicit PictureWindow(PictureRole role);

  protected:
    // Once the role's flags and place are set and OnCreate ran: the frames
    // every `frameMs`, stopped while unseen, and what the role follows.
    void Follow(int frameMs);
    // No input for a role that takes none: it goes to what lies below.
    Qt::WindowFlags InputFlags() const;
    void paintGL() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void OnScreensChange();

    // FullScreenHost
    std::vector<PixelRect> Monitors() override;
    void PlaceWindow(const PixelRect& rect) override;
    void AttachContext() override;
    ScreenPoint CursorPos() override;
    void ShowCursor(bool show) override;
    void HideWindow() override;

    const RoleRules rules_;
    unsigned long hostWindow_ = 0;  // the window it lies in, for a role that has one
    FullScreenRecord record_;       // its picture, cursor start, monitors, notice

  private slots:
    void OnTimer();

  private:
    void OnPaint();
    void OnKeyDown();
    void OnMouseMove();
    void OnClose(QCloseEvent* event);

    QTimer* timer_ = nullptr;
    SightWatcher* sight_ = nullptr;  // stops timer_ while nobody can see the window
};

}  // namespace zarvella::linux_shell
