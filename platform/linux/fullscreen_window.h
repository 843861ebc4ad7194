// The X11 windows of the full-screen picture: their common GL window
// (PictureWindow), and the full-screen saver (FullScreenWindow). The hack's
// windows are hack_window.h's; Wayland's full-screen saver is
// fullscreen_outputs.h's.
#pragma once

#include <QTimer>
#include <functional>
#include <memory>
#include <mutex>

#include "behaviour/desktop_cover.h"
#include "behaviour/fullscreen_window.h"
#include "platform/linux/follow_screens.h"
#include "platform/linux/gl_context.h"
#include "startup/options.h"

class QCloseEvent;
class QKeyEvent;
class QMouseEvent;

namespace zarvella::linux_shell {

class SightWatcher;

// A window that is its own GL surface: every paint (OnPaint) is
// RenderFrame, drawn into the window's back buffer; each monitor it covers
// shows the picture in its own viewport of it. Its role (RulesFor) says
// what it follows: the screens, or the window it lies in (hostWindow_).
class PictureWindow : public GlWindow, protected FullScreenHost {
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
    void SetSaverRunning(bool running) override;
    bool VerifySaverPassword() override;
    void HideWindow() override;
    void Terminate() override;

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

// The saver: full screen over every monitor, with the stored settings,
// covering the desktop as `cover` says: unmanaged, kept on top of whatever
// opens, restarts or starts later, with the keyboard's focus; it ends when
// another client grabs the input (a screen locker).
class FullScreenWindow : public PictureWindow, private CoverHost {
    Q_OBJECT
  public:
    FullScreenWindow(SettingsStore& store, ErrorSink& errors, const CoverPlan& cover);
    ~FullScreenWindow() override;

  protected:
    void exposeEvent(QExposeEvent* event) override;

  private:
    void OnCreate(SettingsStore& store, ErrorSink& errors);
    void OnStackChange(StackChange change);
    void OnGrabbedByOther();

    // CoverHost
    void TakeFocus() override;
    void Raise() override;
    void RaiseIn(int ms) override;

    CoverPlan cover_;
    CoverRecord covering_;
    // What the X watching thread reports the stacking and the focus through: cleared when
    // this goes, so a late report finds nobody to tell.
    struct StackLink {
        std::mutex lock;
        FullScreenWindow* window = nullptr;
    };
    std::shared_ptr<StackLink> stackLink_ = std::make_shared<StackLink>();
};

}  // namespace zarvella::linux_shell
