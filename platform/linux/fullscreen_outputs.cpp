#include "platform/linux/fullscreen_outputs.h"

#include <GL/gl.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "behaviour/monitors.h"
#include "behaviour/visibility.h"
#include "platform/linux/follow_screens.h"
#include "platform/linux/shell_overview.h"
#include "startup/mode.h"

namespace zarvella::linux_shell {

OutputWindow::OutputWindow(FullScreenOutputs& saver, QScreen* screen)
    : GlWindow(GlVariant::FullScreen), saver_(saver), output_(screen) {
    setTitle(QString::fromUtf8(kApplicationTitle));
    setFlags(Qt::Window | Qt::FramelessWindowHint);
    setScreen(screen);
    setGeometry(screen->geometry());
}

void OutputWindow::paintGL() {
    saver_.OnPaint(*this);
}

void OutputWindow::exposeEvent(QExposeEvent* event) {
    GlWindow::exposeEvent(event);
    if (isExposed()) saver_.OnExposed();
}

// Wayland tells a window where the pointer is only over it: the position
// entering it counts as one seen, so a move onto another output is a move.
bool OutputWindow::event(QEvent* event) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        const QPointF local = event->type() == QEvent::Enter
                                  ? static_cast<QEnterEvent*>(event)->position()
                                  : static_cast<QMouseEvent*>(event)->position();
        const QPoint at = screen()->geometry().topLeft() + local.toPoint();
        saver_.OnMouseMove({at.x(), at.y()});
    }
    return GlWindow::event(event);
}

void OutputWindow::keyPressEvent(QKeyEvent*) {
    saver_.OnKeyDown();
}

void OutputWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    saver_.OnClose();
}

FullScreenOutputs::FullScreenOutputs(SettingsStore& store, ErrorSink& errors) {
    timer_.setInterval(kFullScreenTimerMs);
    connect(&timer_, &QTimer::timeout, this, &FullScreenOutputs::OnTimer);
    CloseShellOverview();
    OnShellShield(*this, [this] { OnClose(); });
    StartFullScreen(*this, record_, store, errors);
    FollowScreens(*this, [this] { OnScreensChange(); });
}

FullScreenOutputs::~FullScreenOutputs() = default;

void FullScreenOutputs::OnScreensChange() {
    FullScreenDisplayChange(*this, record_);
}

// The frame the tick advanced, over the window's whole buffer; before the
// first tick there is none to show.
void FullScreenOutputs::OnPaint(OutputWindow& window) {
    switch (WhatPaintDraws(window.isExposed(), advanced_)) {
        case PaintDraws::Nothing:
            return;
        case PaintDraws::Black:
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            return;
        case PaintDraws::Picture: {
            const qreal ratio = window.devicePixelRatio();
            DrawOutputFrame(record_.picture, {0, 0, qRound(window.width() * ratio),
                                              qRound(window.height() * ratio)});
            return;
        }
    }
}

// A window shown again goes on from the frame it left.
void FullScreenOutputs::OnExposed() {
    if (!timer_.isActive()) timer_.start();
}

// One frame for every shown window; none shown, the timer stops until one is.
void FullScreenOutputs::OnTimer() {
    const auto shown = std::count_if(windows_.begin(), windows_.end(),
                                     [](const auto& window) { return window->isExposed(); });
    if (!AdvanceForShownOutputs(record_, static_cast<int>(shown))) {
        timer_.stop();
        return;
    }
    advanced_ = true;
    for (const auto& window : windows_)
        if (window->isExposed()) window->update();
}

void FullScreenOutputs::OnKeyDown() {
    FullScreenKeyDown(*this, record_);
}

void FullScreenOutputs::OnMouseMove(ScreenPoint seen) {
    lastSeen_ = seen;
    FullScreenMouseMove(*this, record_);
}

void FullScreenOutputs::OnClose() {
    FullScreenWindowEnded(*this, record_);
    QCoreApplication::exit(0);
}

// Each output in logical pixels, as Wayland places them: for telling a
// change and what the desktop spans, not for drawing (each window draws into
// its whole buffer).
std::vector<PixelRect> FullScreenOutputs::Monitors() {
    std::vector<PixelRect> monitors;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        const QRect g = screen->geometry();
        monitors.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    PutPrimaryFirst(monitors,
                    static_cast<size_t>(screens.indexOf(QGuiApplication::primaryScreen())));
    return monitors;
}

// No Wayland window spans outputs: the rectangle is covered by a window on
// each output that lies in it.
void FullScreenOutputs::PlaceWindow(const PixelRect& rect) {
    const QRect area(rect.x, rect.y, rect.width, rect.height);
    QList<QScreen*> screens = QGuiApplication::screens();
    screens.removeIf([&area](QScreen* screen) { return !area.intersects(screen->geometry()); });
    std::erase_if(windows_, [&screens](const std::unique_ptr<OutputWindow>& window) {
        return !window->Output() || !screens.contains(window->Output());
    });
    for (QScreen* screen : screens) {
        const bool covered = std::any_of(windows_.begin(), windows_.end(),
                                         [screen](const auto& w) { return w->Output() == screen; });
        if (covered) continue;
        windows_.push_back(std::make_unique<OutputWindow>(*this, screen));
        if (cursorHidden_) windows_.back()->setCursor(Qt::BlankCursor);
        windows_.back()->showFullScreen();
    }
}

void FullScreenOutputs::AttachContext() {
    // Each window's context is made, and SetupGL run, before its first frame.
    for (const auto& window : windows_) window->create();
}

void FullScreenOutputs::ShowCursor(bool show) {
    cursorHidden_ = !show;
    for (const auto& window : windows_) {
        if (show) {
            window->unsetCursor();
        } else {
            window->setCursor(Qt::BlankCursor);
        }
    }
}

void FullScreenOutputs::HideWindow() {
    for (const auto& window : windows_) window->hide();
}

}  // namespace zarvella::linux_shell
