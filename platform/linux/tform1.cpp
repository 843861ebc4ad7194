#include "tform1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "linux_system.h"
#include "settings/settings_window.h"
#include "startup/mode.h"
#include "x11_window.h"

namespace zarvella::linux_shell {

TForm1::TForm1(SettingsStore& store, ErrorSink& errors, unsigned long embedInto)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      store_(store),
      errors_(errors),
      embedInto_(embedInto) {
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    // The layout size, centred; FormCreate replaces it with the screen's.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    resize(kFullScreenLayoutWidth, kFullScreenLayoutHeight);
    move(CentredOrigin(screen.width(), kFullScreenLayoutWidth),
         CentredOrigin(screen.height(), kFullScreenLayoutHeight));
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);

    Timer = new QTimer(this);
    Timer->setInterval(kFullScreenTimerMs);
    connect(Timer, &QTimer::timeout, this, &TForm1::TimerTimer);
    Timer->start();

    FormCreate();

    if (embedInto_) {
        // A child of XScreenSaver's window, sized to it; input stays with it.
        // Only now: adding the GL view makes Qt recreate a native window that
        // already exists, and the new one would lose its foreign parent.
        winId();
        windowHandle()->setParent(QWindow::fromWinId(embedInto_));
        windowHandle()->setFlag(Qt::WindowTransparentForInput, true);
        move(0, 0);
        EndWithForeignWindow(embedInto_);
    }
}

void TForm1::FormCreate() {
    FullScreenFormCreate(*this, store_, errors_);
}

void TForm1::TimerTimer() {
    if (view_) view_->update();  // the view's paint is RenderFrame
}

void TForm1::keyPressEvent(QKeyEvent*) {
    if (!embedInto_) FormKeyDown();
}

void TForm1::mouseMoveEvent(QMouseEvent*) {
    if (!embedInto_) FormMouseMove();
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormCloseQuery(event);
}

void TForm1::FormKeyDown() {
    FullScreenKeyDown(*this);
}

void TForm1::FormMouseMove() {
    FullScreenMouseMove(*this);
}

void TForm1::FormCloseQuery(QCloseEvent* event) {
    event->accept();
    QCoreApplication::exit(0);
}

void TForm1::SizeToScreen() {
    if (embedInto_) {
        const ForeignWindow target = QueryForeignWindow(embedInto_);
        setGeometry(0, 0, target.width, target.height);
        return;
    }
    setGeometry(QGuiApplication::primaryScreen()->geometry());
}

void TForm1::AttachContext() {
    view_ = new GlView(GlVariant::FullScreen, size(), &RenderFrame, this);
    view_->setGeometry(rect());
    // Moves and keys belong to the form, as on Windows.
    view_->setAttribute(Qt::WA_TransparentForMouseEvents);
    view_->setFocusPolicy(Qt::NoFocus);
    view_->show();
}

ScreenPoint TForm1::CursorPos() {
    const QPoint pos = QCursor::pos();
    return {pos.x(), pos.y()};
}

void TForm1::ShowCursor(bool show) {
    if (show) {
        unsetCursor();
    } else {
        setCursor(Qt::BlankCursor);
    }
}

// No "a screen saver runs" notice on Linux.
void TForm1::SetSaverRunning(bool) {}

bool TForm1::VerifySaverPassword() {
    return linux_shell::VerifySaverPassword();
}

void TForm1::HideWindow() {
    hide();
}

void TForm1::Terminate() {
    QCoreApplication::exit(0);
}

}  // namespace zarvella::linux_shell
