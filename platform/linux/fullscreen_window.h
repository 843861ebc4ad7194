// The X11 full-screen saver (FullScreenWindow), a picture window
// (picture_window.h) that covers the desktop. Wayland's full-screen saver is
// fullscreen_outputs.h's.
#pragma once

#include <QTimer>
#include <functional>
#include <memory>
#include <mutex>

#include "behaviour/desktop_cover.h"
#include "platform/linux/picture_window.h"

class QCloseEvent;
class QKeyEvent;
class QMouseEvent;

namespace zarvella::linux_shell {

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
    void Restack() override;
    void RestackIn(int ms) override;

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
