#include "platform/linux/fullscreen_window.h"

#include <xcb/xcb.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <cmath>

#include "behaviour/hack.h"
#include "behaviour/window_place.h"
#include "platform/linux/password_system.h"
#include "platform/linux/window_sight.h"
#include "platform/linux/x11_window.h"
#include "startup/mode.h"

namespace zarvella::linux_shell {

namespace {

// -root by hand bypasses the window manager, so nothing keeps it down but
// itself: whatever raises it (a script, a desktop switch) is undone at once.
// X tells a window of each restacking with a ConfigureNotify that names a
// sibling below it unless it is at the bottom.
class KeepAtBottom : public QAbstractNativeEventFilter {
  public:
    explicit KeepAtBottom(QWindow& window) : window_(window) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY) return false;
        const auto* configure = static_cast<const xcb_configure_notify_event_t*>(message);
        if (configure->window == window_.winId() && configure->above_sibling != XCB_NONE)
            window_.lower();
        return false;  // Qt sees the event as well
    }

  private:
    QWindow& window_;
};

}  // namespace

FullScreenWindow::FullScreenWindow(SettingsStore& store, ErrorSink& errors, const CoverPlan& cover)
    : GlWindow(GlVariant::FullScreen), store_(&store), errors_(&errors), cover_(cover) {
    Build();
}

FullScreenWindow::FullScreenWindow(const HackOptions& hack, unsigned long embedInto)
    : GlWindow(GlVariant::FullScreen),
      hack_(hack),
      embedInto_(hack.target == HackTarget::GivenWindow ? embedInto : 0),
      desktop_(hack.target == HackTarget::RootWindow) {
    Build();
}

void FullScreenWindow::Build() {
    setTitle(QString::fromUtf8(kApplicationTitle));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    if (desktop_) {
        // -root without XScreenSaver: the desktop's background, over every
        // monitor. Unmanaged and kept below every other window, deaf to
        // keys and the mouse: it never covers a program or takes its input.
        setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint |
                 Qt::WindowStaysOnBottomHint | Qt::WindowTransparentForInput |
                 Qt::WindowDoesNotAcceptFocus);
    } else if (hack_ && !embedInto_) {
        // A window like any other: framed, resizable, centred.
        setFlags(Qt::Window);
        resize(kHackWindowWidth, kHackWindowHeight);
        setPosition(CentredOrigin(screen.width(), kHackWindowWidth),
                    CentredOrigin(screen.height(), kHackWindowHeight));
    } else {
        // Unmanaged: no window manager frames it, tiles it or keeps a
        // panel above it.
        setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                 (cover_.unmanaged ? Qt::BypassWindowManagerHint : Qt::Widget));
        // The layout size, centred; OnCreate replaces it with the screen's.
        resize(kFullScreenLayoutWidth, kFullScreenLayoutHeight);
        setPosition(CentredOrigin(screen.width(), kFullScreenLayoutWidth),
                    CentredOrigin(screen.height(), kFullScreenLayoutHeight));
    }

    if (embedInto_) {
        // A child of XScreenSaver's window, sized to it; input stays with it.
        // The parent is set before the native window exists, so Qt makes it
        // as that window's child once and never has to recreate it (a
        // recreated window would lose its foreign parent).
        if (QWindow* foreign = QWindow::fromWinId(embedInto_)) setParent(foreign);
        setFlag(Qt::WindowTransparentForInput, true);
    }

    timer_ = new QTimer(this);
    timer_->setInterval(hack_ ? HackFrameIntervalMs(hack_->delayMicroseconds) : kFullScreenTimerMs);
    connect(timer_, &QTimer::timeout, this, &FullScreenWindow::OnTimer);
    timer_->start();

    OnCreate();
    sight_ = new SightWatcher(this, timer_, true);

    if (embedInto_) {
        // XScreenSaver resizes its preview pane, other hosts their window:
        // the picture follows.
        EndWithWindows(embedInto_, 0, [this](int, int) {
            QMetaObject::invokeMethod(this, &FullScreenWindow::OnScreensChange,
                                      Qt::QueuedConnection);
        });
    } else if (!hack_ || desktop_) {
        FollowScreens();
    }
    if (desktop_) {
        keepAtBottom_ = std::make_unique<KeepAtBottom>(*this);
        QCoreApplication::instance()->installNativeEventFilter(keepAtBottom_.get());
        lower();
    }
}

void FullScreenWindow::FollowScreens() {
    auto* app = static_cast<QGuiApplication*>(QCoreApplication::instance());
    const auto follow = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, &FullScreenWindow::OnScreensChange);
    };
    for (QScreen* screen : QGuiApplication::screens()) follow(screen);
    connect(app, &QGuiApplication::screenAdded, this, [this, follow](QScreen* screen) {
        follow(screen);
        OnScreensChange();
    });
    // Queued: while the signal runs, the screen still counts among them.
    connect(app, &QGuiApplication::screenRemoved, this, &FullScreenWindow::OnScreensChange,
            Qt::QueuedConnection);
    connect(app, &QGuiApplication::primaryScreenChanged, this, &FullScreenWindow::OnScreensChange);
}

void FullScreenWindow::OnScreensChange() {
    if (FullScreenDisplayChange(*this, record_)) update();
}

void FullScreenWindow::OnCreate() {
    if (hack_) {
        StartHack(*this, record_, hack_->settings, hack_->showFrameRate);
    } else {
        StartFullScreen(*this, record_, *store_, *errors_);
    }
}

void FullScreenWindow::paintGL() {
    OnPaint();
}

// A grab needs a window on the screen.
void FullScreenWindow::exposeEvent(QExposeEvent* event) {
    GlWindow::exposeEvent(event);
    if (cover_.grabInput && isExposed() && grabTries_ == 0) GrabInput();
}

void FullScreenWindow::GrabInput() {
    if (!keyboardGrabbed_) keyboardGrabbed_ = setKeyboardGrabEnabled(true);
    if (!pointerGrabbed_) pointerGrabbed_ = setMouseGrabEnabled(true);
    if (keyboardGrabbed_ && pointerGrabbed_) return;
    if (const int wait = GrabRetryDelayMs(++grabTries_); wait > 0)
        QTimer::singleShot(wait, this, &FullScreenWindow::GrabInput);
}

void FullScreenWindow::OnPaint() {
    if (!sight_->Seen()) return;  // a paint of the system's own, while unseen
    RenderFrame(record_.picture, record_.frame);
}

void FullScreenWindow::OnTimer() {
    update();  // the paint is OnPaint
}

// Input ends the saver only; a hack's window is a picture to look at.
void FullScreenWindow::keyPressEvent(QKeyEvent*) {
    if (!hack_) OnKeyDown();
}

void FullScreenWindow::mouseMoveEvent(QMouseEvent*) {
    if (!hack_) OnMouseMove();
}

void FullScreenWindow::closeEvent(QCloseEvent* event) {
    OnClose(event);
}

void FullScreenWindow::OnKeyDown() {
    FullScreenKeyDown(*this, record_);
}

void FullScreenWindow::OnMouseMove() {
    FullScreenMouseMove(*this, record_);
}

void FullScreenWindow::OnClose(QCloseEvent* event) {
    event->accept();
    FullScreenWindowEnded(*this, record_);
    QCoreApplication::exit(0);
}

// Device pixels: Qt gives a screen's place in them but its size in
// scaled pixels.
std::vector<PixelRect> FullScreenWindow::Monitors() {
    if (embedInto_) {
        const ForeignWindow target = QueryForeignWindow(embedInto_);
        return {{0, 0, target.width, target.height}};
    }
    if (hack_ && !desktop_) return {};  // its own window keeps its size
    std::vector<PixelRect> monitors;
    QList<QScreen*> screens = QGuiApplication::screens();
    screens.removeOne(QGuiApplication::primaryScreen());
    screens.prepend(QGuiApplication::primaryScreen());
    for (QScreen* screen : screens) {
        if (!screen) continue;
        const QRect g = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        monitors.push_back({g.x(), g.y(), qRound(g.width() * ratio), qRound(g.height() * ratio)});
    }
    return monitors;
}

void FullScreenWindow::PlaceWindow(const PixelRect& rect) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const qreal ratio = primary ? primary->devicePixelRatio() : 1.0;
    const auto scaled = [ratio](int extent) { return static_cast<int>(std::ceil(extent / ratio)); };
    setGeometry(rect.x, rect.y, scaled(rect.width), scaled(rect.height));
}

void FullScreenWindow::AttachContext() {
    // The native window, with the visual of the GL format. Qt makes the
    // context current on it and runs SetupGL (initializeGL) before the first
    // frame is drawn.
    create();
}

ScreenPoint FullScreenWindow::CursorPos() {
    const QPoint pos = QCursor::pos();
    return {pos.x(), pos.y()};
}

void FullScreenWindow::ShowCursor(bool show) {
    if (show) {
        unsetCursor();
    } else {
        setCursor(Qt::BlankCursor);
    }
}

// No "a screen saver runs" notice on Linux.
void FullScreenWindow::SetSaverRunning(bool) {}

bool FullScreenWindow::VerifySaverPassword() {
    SaverPasswordSystem system;
    return zarvella::VerifySaverPassword(system, 0);
}

void FullScreenWindow::HideWindow() {
    hide();
}

void FullScreenWindow::Terminate() {
    QCoreApplication::exit(0);
}

}  // namespace zarvella::linux_shell
