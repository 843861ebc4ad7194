#include "platform/linux/window_sight.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "platform/linux/x11_sight.h"

namespace zarvella::linux_shell {

namespace {
constexpr int kDisplayPowerCheckMs = 1000;
}

SightWatcher::SightWatcher(QObject* window, QTimer* timer, bool displayPower)
    : QObject(window), target_(window), timer_(timer), link_(std::make_shared<Link>()) {
    link_->watcher = this;
    if (auto* w = qobject_cast<QWindow*>(window)) {
        Follow(w);
    } else if (auto* widget = qobject_cast<QWidget*>(window); widget && widget->windowHandle()) {
        Follow(widget->windowHandle());
    } else {
        window->installEventFilter(this);  // until it is shown
    }
    if (displayPower) FollowDisplayPower();
}

SightWatcher::~SightWatcher() {
    const std::lock_guard<std::mutex> hold(link_->lock);
    link_->watcher = nullptr;
}

// Qt's exposure (X11 and Wayland alike): unmapped, minimised, hidden.
void SightWatcher::Follow(QWindow* window) {
    window_ = window;
    window->installEventFilter(this);
    connect(window, &QWindow::windowStateChanged, this,
            [this](Qt::WindowState state) { sight_.Minimised(state == Qt::WindowMinimized); });
    // Asking for the X window's id would make it: a window not made yet (the
    // preview, whose parent is set first) is followed once Qt makes it.
    if (window->handle()) FollowX11(window);
}

// Inside an unmapped window, or covered: only the X server knows.
void SightWatcher::FollowX11(QWindow* window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb") || followingX11_) return;
    followingX11_ = true;
    // Posted while the watcher is known to live; Qt drops what is posted to
    // an object that goes before it runs.
    std::shared_ptr<Link> link = link_;
    FollowX11Sight(window->winId(), [link](bool viewable, bool covered) {
        const std::lock_guard<std::mutex> hold(link->lock);
        if (SightWatcher* watcher = link->watcher) {
            QMetaObject::invokeMethod(
                watcher,
                [watcher, viewable, covered] {
                    watcher->sight_.AncestorsShown(viewable);
                    watcher->sight_.Covered(covered);
                },
                Qt::QueuedConnection);
        }
    });
}

bool SightWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Expose) {
        sight_.Shown(window_->isExposed());
    } else if (watched == window_ && event->type() == QEvent::PlatformSurface &&
               static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                   QPlatformSurfaceEvent::SurfaceCreated) {
        FollowX11(window_);
    } else if (!window_ && watched == target_ && event->type() == QEvent::Show) {
        if (QWidget* widget = qobject_cast<QWidget*>(target_); widget && widget->windowHandle()) {
            target_->removeEventFilter(this);
            Follow(widget->windowHandle());
        }
    }
    return QObject::eventFilter(watched, event);
}

// Checked once a second, and only where the server can power its monitors
// down: the server tells no client when it does.
void SightWatcher::FollowDisplayPower() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    dpms_ = std::make_unique<DpmsMonitor>();
    if (!dpms_->Available()) {
        dpms_.reset();
        return;
    }
    auto* check = new QTimer(this);
    check->setInterval(kDisplayPowerCheckMs);
    connect(check, &QTimer::timeout, this, [this] {
        sight_.Display(dpms_->MonitorsOff() ? DisplayPower::Off : DisplayPower::On);
    });
    check->start();
}

void SightWatcher::StartFrames() {
    seen_.store(true);
    if (timer_) timer_->start();
}

void SightWatcher::StopFrames() {
    seen_.store(false);
    if (timer_) timer_->stop();
}

}  // namespace zarvella::linux_shell
