#include "platform/linux/preview_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "behaviour/preview_window.h"
#include "behaviour/window_handle.h"
#include "platform/linux/gl_context.h"
#include "platform/linux/password_system.h"
#include "platform/linux/window_sight.h"
#include "platform/linux/x11_window.h"
#include "startup/mode.h"

namespace zarvella::linux_shell {

namespace {

// The preview window: draws a core frame on every paint; the stand-alone
// window ends on a key, as the password check allows. Its repaints come from
// a timer of the main thread, which owns the window and makes every GL call,
// so the picture never changes threads.
class PreviewWindow : public GlWindow, private PreviewHost {
  public:
    PreviewWindow() : GlWindow(GlVariant::Preview) {}

    // Once the window is shown: the picture seeded, then the repaints.
    void Start() {
        SeedPreviewPicture(preview_.picture);
        StartPreviewRepaints(*this, preview_);
        connect(&repaints_, &QTimer::timeout, this, [this] {
            if (!NextPreviewRepaint(*this, preview_)) repaints_.stop();
        });
        repaints_.start(kPreviewRepaintMs);
    }

  protected:
    void paintGL() override {
        if (WhatPaintDraws(sight_.Seen()) == PaintDraws::Picture) PreviewPaint(preview_, frame_);
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (!PreviewTakesKey(event->modifiers() & Qt::AltModifier)) return;
        SaverPasswordSystem system;
        PreviewKeyDown(preview_, VerifySaverPassword(system, 0));
    }

  private:
    // PreviewHost. Showing exposes the window, and an exposed window is
    // painted at once.
    void ShowAndUpdate() override {
        show();
        update();
    }
    void Invalidate() override { update(); }
    void PostDestroy() override { QCoreApplication::exit(0); }
    // The watcher has weighed every fact already; its answer is the one that counts.
    SightFacts Sight() override {
        SightFacts facts;
        facts.shown = sight_.Seen();
        return facts;
    }

    PreviewRecord preview_;
    FrameHooks frame_;
    QTimer repaints_;
    // Its repaints go on while the window cannot be seen (they still notice a
    // close); what they skip is the frame.
    SightWatcher sight_{this, nullptr, false};
};

// The parent's size, asked of the X server.
class PreviewParent : public PreviewParentHost {
  public:
    bool IsDesktop(uint32_t window) override { return window == RootWindowId(); }
    std::optional<AreaSize> ParentArea(uint32_t parent) override {
        const ForeignWindow area = QueryForeignWindow(parent);
        if (!area.exists) return std::nullopt;
        return AreaSize{area.width, area.height};
    }
    DrawTarget Target(uint32_t window) override {
        const ForeignWindow area = QueryForeignWindow(window);
        return {area.inputOnly, area.otherScreen};
    }
};

}  // namespace

int RunPreview(std::string_view secondArgument) {
    PreviewParent parents;
    const PreviewStart start = DecidePreviewStart(secondArgument, parents);
    if (start.kind == PreviewStart::Kind::EndAtOnce) return 0;
    if (start.kind == PreviewStart::Kind::Refuse) {
        std::fprintf(stderr, "%s\n", start.error.c_str());
        return 1;
    }
    const unsigned long parent = start.parent;

    // Lives until the process ends.
    auto* view = new PreviewWindow;
    view->setTitle(QString::fromUtf8(kPreviewWindowTitle));
    if (parent != 0) {
        // A child of the dialog's area, its size, and deaf to input. The
        // parent is set before the native window exists, so Qt makes it as
        // that window's child once and never has to recreate it.
        if (QWindow* foreign = QWindow::fromWinId(parent)) view->setParent(foreign);
        view->setFlag(Qt::WindowTransparentForInput, true);
        view->setGeometry(0, 0, start.width, start.height);
        view->show();
        // It ends when the area or the preview's own window is destroyed, and
        // follows the area's size.
        EndWithWindows(parent, view->winId(), [view](int width, int height) {
            QMetaObject::invokeMethod(
                view, [view, width, height] { view->resize(width, height); }, Qt::QueuedConnection);
        });
    } else {
        view->setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        view->setGeometry(0, 0, start.width, start.height);
        view->show();
        // Keys end the stand-alone window: it takes the focus.
        view->requestActivate();
        // X: killing the window (xkill) ends us. A Wayland window is ours
        // alone; closing it ends the application.
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            EndWithForeignWindow(view->winId());
    }
    view->Start();
    qApp->exec();

    // The window watcher's thread is still running and would look at objects
    // that are about to go; on Windows the preview simply ends with the
    // process, so here too.
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace zarvella::linux_shell
