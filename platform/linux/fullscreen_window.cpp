#include "platform/linux/fullscreen_window.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <cstdint>
#include <mutex>

#include "behaviour/window_place.h"
#include "platform/linux/x11_window.h"

namespace zarvella::linux_shell {

FullScreenWindow::FullScreenWindow(SettingsStore& store, ErrorSink& errors, const CoverPlan& cover)
    : PictureWindow(PictureRole::Saver), cover_(cover) {
    // Unmanaged: no window manager, not even one started later, frames it,
    // tiles it or keeps a panel above it.
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
             (cover_.unmanaged ? Qt::BypassWindowManagerHint : Qt::Widget));
    // The layout size, centred; OnCreate replaces it with the screens'.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    resize(kFullScreenLayoutWidth, kFullScreenLayoutHeight);
    setPosition(CentredOrigin(screen.width(), kFullScreenLayoutWidth),
                CentredOrigin(screen.height(), kFullScreenLayoutHeight));
    OnCreate(store, errors);
    Follow(kFullScreenTimerMs);
    if (cover_.keepOnTop && rules_.stacking == Stacking::KeptOnTop) {
        // Posted while the window is known to live; Qt drops what is posted
        // to an object that goes before it runs.
        stackLink_->window = this;
        const auto post = [link = stackLink_](auto call) {
            const std::lock_guard<std::mutex> hold(link->lock);
            if (FullScreenWindow* window = link->window)
                QMetaObject::invokeMethod(
                    window, [window, call] { call(*window); }, Qt::QueuedConnection);
        };
        WatchStacking(winId(), [post](StackChange change) {
            post([change](FullScreenWindow& window) { window.OnStackChange(change); });
        });
        if (cover_.focusInput)
            WatchFocus(winId(), [post](bool grabbed) {
                post([grabbed](FullScreenWindow& window) {
                    if (grabbed) return window.OnGrabbedByOther();
                    window.OnStackChange(StackChange::OursUnfocused);
                });
            });
    }
}

FullScreenWindow::~FullScreenWindow() {
    const std::lock_guard<std::mutex> hold(stackLink_->lock);
    stackLink_->window = nullptr;
}

void FullScreenWindow::OnCreate(SettingsStore& store, ErrorSink& errors) {
    StartFullScreen(*this, record_, store, errors);
}

void FullScreenWindow::OnStackChange(StackChange change) {
    CoverStackChanged(*this, cover_, covering_, change, StackClockMs());
}

void FullScreenWindow::OnGrabbedByOther() {
    if (CoverGrabbedByOther(cover_, covering_)) RunEndingSteps(*this, record_);
}

// The focus needs a window on the screen.
void FullScreenWindow::exposeEvent(QExposeEvent* event) {
    PictureWindow::exposeEvent(event);
    if (isExposed()) CoverShown(*this, cover_, covering_);
}

void FullScreenWindow::TakeFocus() {
    FocusWindow(winId());
}

void FullScreenWindow::Restack() {
    RaiseWindow(winId());
}

void FullScreenWindow::RestackIn(int ms) {
    QTimer::singleShot(ms, this,
                       [this] { CoverRestackDue(*this, cover_, covering_, StackClockMs()); });
}

}  // namespace zarvella::linux_shell
