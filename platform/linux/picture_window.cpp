#include "platform/linux/picture_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <cmath>
#include <cstdint>

#include "behaviour/monitors.h"
#include "behaviour/visibility.h"
#include "platform/linux/follow_screens.h"
#include "platform/linux/window_sight.h"
#include "platform/linux/x11_window.h"
#include "startup/mode.h"

namespace zarvella::linux_shell {

PictureWindow::PictureWindow(PictureRole role)
    : GlWindow(GlVariant::FullScreen), rules_(RulesFor(role)) {
    setTitle(QString::fromUtf8(kApplicationTitle));
}

Qt::WindowFlags PictureWindow::InputFlags() const {
    return rules_.takesInput ? Qt::WindowFlags{} : Qt::WindowTransparentForInput;
}

void PictureWindow::Follow(int frameMs) {
    timer_ = new QTimer(this);
    timer_->setInterval(frameMs);
    connect(timer_, &QTimer::timeout, this, &PictureWindow::OnTimer);
    timer_->start();
    sight_ = new SightWatcher(this, timer_, true);
    if (rules_.hostWindow) {
        // XScreenSaver resizes its preview pane, other hosts their window:
        // the picture follows.
        EndWithWindows(hostWindow_, 0, [this](int, int) {
            QMetaObject::invokeMethod(this, &PictureWindow::OnScreensChange, Qt::QueuedConnection);
        });
    }
    // Screens added, removed or changed: it keeps covering them all.
    if (rules_.screens) FollowScreens(*this, [this] { OnScreensChange(); });
}

void PictureWindow::OnScreensChange() {
    if (FullScreenDisplayChange(*this, record_)) update();
}

void PictureWindow::paintGL() {
    OnPaint();
}

void PictureWindow::OnPaint() {
    if (WhatPaintDraws(sight_->Seen()) != PaintDraws::Picture) return;
    RenderFrame(record_.picture, record_.frame);
}

void PictureWindow::OnTimer() {
    update();  // the paint is OnPaint
}

// Input ends only a role it ends; a hack's window is a picture to look at.
void PictureWindow::keyPressEvent(QKeyEvent*) {
    if (rules_.inputEnds) OnKeyDown();
}

void PictureWindow::mouseMoveEvent(QMouseEvent*) {
    if (rules_.inputEnds) OnMouseMove();
}

void PictureWindow::OnKeyDown() {
    FullScreenKeyDown(*this, record_);
}

void PictureWindow::OnMouseMove() {
    FullScreenMouseMove(*this, record_);
}

void PictureWindow::closeEvent(QCloseEvent* event) {
    OnClose(event);
}

void PictureWindow::OnClose(QCloseEvent* event) {
    event->accept();
    FullScreenWindowEnded(*this, record_);
    QCoreApplication::exit(0);
}

// Device pixels: Qt gives a screen's place in them but its size in
// scaled pixels.
std::vector<PixelRect> PictureWindow::Monitors() {
    if (rules_.hostWindow) {
        const ForeignWindow host = QueryForeignWindow(hostWindow_);
        return {{0, 0, host.width, host.height}};
    }
    if (!rules_.screens) return {};  // a window of its own keeps its size
    std::vector<PixelRect> monitors;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        const QRect g = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        monitors.push_back({g.x(), g.y(), qRound(g.width() * ratio), qRound(g.height() * ratio)});
    }
    const qsizetype primary = screens.indexOf(QGuiApplication::primaryScreen());
    PutPrimaryFirst(monitors, primary < 0 ? SIZE_MAX : static_cast<size_t>(primary));
    return monitors;
}

void PictureWindow::PlaceWindow(const PixelRect& rect) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const qreal ratio = primary ? primary->devicePixelRatio() : 1.0;
    const auto scaled = [ratio](int extent) { return static_cast<int>(std::ceil(extent / ratio)); };
    setGeometry(rect.x, rect.y, scaled(rect.width), scaled(rect.height));
}

void PictureWindow::AttachContext() {
    // The native window, with the visual of the GL format. Qt makes the
    // context current on it and runs SetupGL (initializeGL) before the first
    // frame is drawn.
    create();
}

ScreenPoint PictureWindow::CursorPos() {
    const QPoint pos = QCursor::pos();
    return {pos.x(), pos.y()};
}

void PictureWindow::ShowCursor(bool show) {
    if (show) {
        unsetCursor();
    } else {
        setCursor(Qt::BlankCursor);
    }
}

void PictureWindow::HideWindow() {
    hide();
}

}  // namespace zarvella::linux_shell
