#include "platform/linux/hack_window.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "behaviour/hack.h"
#include "behaviour/window_place.h"
#include "platform/linux/x11_window.h"

namespace zarvella::linux_shell {

namespace {

// X tells a window of each restacking with a ConfigureNotify that names a
// sibling below it unless it is at the bottom.
class RaisedFilter : public QAbstractNativeEventFilter {
  public:
    RaisedFilter(QWindow& window, std::function<void()> raised)
        : window_(window), raised_(std::move(raised)) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY) return false;
        const auto* configure = static_cast<const xcb_configure_notify_event_t*>(message);
        if (configure->window == window_.winId() && configure->above_sibling != XCB_NONE) raised_();
        return false;  // Qt sees the event as well
    }

  private:
    QWindow& window_;
    std::function<void()> raised_;
};

}  // namespace

HackOwnWindow::HackOwnWindow(const HackOptions& hack) : PictureWindow(PictureRole::HackOwnWindow) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    setFlags(Qt::Window | InputFlags());
    resize(kHackWindowWidth, kHackWindowHeight);
    setPosition(CentredOrigin(screen.width(), kHackWindowWidth),
                CentredOrigin(screen.height(), kHackWindowHeight));
    StartHack(*this, record_, hack.settings, hack.showFrameRate);
    Follow(HackFrameIntervalMs(hack.delayMicroseconds));
}

HackInWindow::HackInWindow(const HackOptions& hack, unsigned long host)
    : PictureWindow(PictureRole::HackInWindow) {
    hostWindow_ = host;
    setFlags(Qt::Window | Qt::FramelessWindowHint | InputFlags());
    // The parent is set before the native window exists, so Qt makes it as
    // that window's child once and never has to recreate it (a recreated
    // window would lose its foreign parent).
    if (QWindow* foreign = QWindow::fromWinId(host)) setParent(foreign);
    StartHack(*this, record_, hack.settings, hack.showFrameRate);
    Follow(HackFrameIntervalMs(hack.delayMicroseconds));
}

HackOnRoot::HackOnRoot(const HackOptions& hack) : PictureWindow(PictureRole::HackOnRoot) {
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint |
             Qt::WindowStaysOnBottomHint | Qt::WindowDoesNotAcceptFocus | InputFlags());
    StartHack(*this, record_, hack.settings, hack.showFrameRate);
    Follow(HackFrameIntervalMs(hack.delayMicroseconds));
    raised_ = std::make_unique<RaisedFilter>(*this, [this] {
        CoverStackChanged(*this, kBottomPlan, bottom_, StackChange::OursRaised, StackClockMs());
    });
    QCoreApplication::instance()->installNativeEventFilter(raised_.get());
    lower();
}

HackOnRoot::~HackOnRoot() {
    QCoreApplication::instance()->removeNativeEventFilter(raised_.get());
}

// -root by hand bypasses the window manager, so nothing keeps it down but
// itself: whatever raises it (a script, a desktop switch) is undone.
void HackOnRoot::Restack() {
    LowerWindow(winId());
}

void HackOnRoot::RestackIn(int ms) {
    QTimer::singleShot(ms, this,
                       [this] { CoverRestackDue(*this, kBottomPlan, bottom_, StackClockMs()); });
}

std::unique_ptr<PictureWindow> MakeHackWindow(const HackOptions& hack, unsigned long window) {
    switch (hack.target) {
        case HackTarget::GivenWindow:
            return std::make_unique<HackInWindow>(hack, window);
        case HackTarget::RootWindow:
            return std::make_unique<HackOnRoot>(hack);
        case HackTarget::OwnWindow:
            break;
    }
    return std::make_unique<HackOwnWindow>(hack);
}

int RunHack(const HackOptions& hack) {
    HackTargetFacts facts;
    facts.ownWindow = hack.target == HackTarget::OwnWindow;
    facts.window = hack.target == HackTarget::RootWindow ? RootWindowId() : hack.window;
    if (!facts.ownWindow) {
        const ForeignWindow target = QueryForeignWindow(facts.window);
        facts.exists = target.exists;
        facts.drawn = {target.inputOnly, target.otherScreen};
    }
    if (const std::string error = HackTargetError(facts); !error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const std::unique_ptr<PictureWindow> window = MakeHackWindow(hack, facts.window);
    window->show();
    return QCoreApplication::exec();
}

}  // namespace zarvella::linux_shell
