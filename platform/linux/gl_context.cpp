#include "platform/linux/gl_context.h"

#include <GL/gl.h>
#include <unistd.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QStringList>
#include <QSurfaceFormat>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "behaviour/fullscreen_window.h"

namespace zarvella::linux_shell {

void SetDefaultSurfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(kPictureSurface.colourBits);
    format.setGreenBufferSize(kPictureSurface.colourBits);
    format.setBlueBufferSize(kPictureSurface.colourBits);
    format.setAlphaBufferSize(kPictureSurface.alphaBits);
    format.setDepthBufferSize(kPictureSurface.depthBits);
    format.setStencilBufferSize(kPictureSurface.stencilBits);
    QSurfaceFormat::setDefaultFormat(format);
}

void UseDevicePixels() {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_SCALE_FACTOR", "1");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
}

namespace {

// Where Qt's messages go while OpenGlProblem probes: Qt's message handler is
// one plain function for the whole process, so it finds the list here.
QStringList* ProbeWarnings = nullptr;

// What the GL driver writes straight to stderr while `probe` runs, as lines,
// instead of on stderr.
QStringList DriverLines(const std::function<void()>& probe) {
    std::FILE* capture = std::tmpfile();
    const int saved = capture ? dup(STDERR_FILENO) : -1;
    if (saved < 0 || dup2(fileno(capture), STDERR_FILENO) < 0) {
        if (saved >= 0) close(saved);
        if (capture) std::fclose(capture);
        probe();
        return {};
    }
    probe();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    QByteArray text;
    char buffer[4096];
    std::rewind(capture);
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, capture)) > 0 && text.size() < 65536;)
        text.append(buffer, static_cast<qsizetype>(n));
    std::fclose(capture);
    return QString::fromLocal8Bit(text).split('\n', Qt::SkipEmptyParts);
}

// A Wayland surface takes the alpha of its buffer as it is: EGL hands Qt a
// config with alpha even though the format asks for none, and the
// compositor then shows the desktop through every pixel whose alpha is below
// one. The picture is cleared to alpha one and its blending leaves the
// destination's alpha alone, so the window is opaque everywhere; the colours
// (all an X11 window's 24-bit visual shows) are the same as before.
void KeepWindowOpaque() {
    glClearColor(0, 0, 0, 1);
    QOpenGLContext::currentContext()->functions()->glBlendFuncSeparate(
        GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
}

}  // namespace

std::string OpenGlProblem() {
    QStringList warnings;
    ProbeWarnings = &warnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            if (ProbeWarnings) ProbeWarnings->append(text);
        });
    bool ready = false;
    warnings += DriverLines([&ready] {
        QWindow probe;  // never shown: a native window with the GL visual
        probe.setSurfaceType(QSurface::OpenGLSurface);
        probe.create();
        QOpenGLContext context;
        if (probe.handle() && context.create() && context.makeCurrent(&probe)) {
            ready = context.functions()->glGetString(GL_VERSION) != nullptr;
            context.doneCurrent();
        }
    });
    qInstallMessageHandler(previous);
    ProbeWarnings = nullptr;
    if (ready) return "";
    QStringList reasons;
    for (const QString& line : warnings)
        if (!line.trimmed().isEmpty()) reasons += line.trimmed();
    reasons.removeDuplicates();
    return reasons.isEmpty() ? "no context could be made on this display"
                             : reasons.join("; ").toStdString();
}

GlView::GlView(GlVariant variant, GlViewport viewport, PaintFunction paint, QWidget* parent)
    : QOpenGLWidget(parent), variant_(variant), viewport_(viewport), paint_(std::move(paint)) {
    // Every frame clears and redraws the whole picture.
    setUpdateBehavior(QOpenGLWidget::NoPartialUpdate);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GlView::initializeGL() {
    SetupGL(variant_, &viewport_);
    KeepWindowOpaque();
    // The core thinks in the window's pixels; a scaled screen has more of
    // them per window pixel.
    const double scale = devicePixelRatioF();
    auto device = [scale](int v) { return static_cast<int>(v * scale + 0.5); };
    deviceViewport_ = {device(viewport_.x), device(viewport_.y), device(viewport_.width),
                       device(viewport_.height)};
}

void GlView::paintGL() {
    glViewport(deviceViewport_.x, deviceViewport_.y, deviceViewport_.width, deviceViewport_.height);
    paint_();
}

GlWindow::GlWindow(GlVariant variant)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate), variant_(variant) {}

void GlWindow::initializeGL() {
    // The probe passed, but this window's context may still fail (Qt then
    // paints anyway): say so and end rather than draw without one.
    if (!context() || QOpenGLContext::currentContext() != context()) {
        std::fprintf(stderr, "zarvella: %s\n",
                     GlStartError("this window's context could not be made current").c_str());
        std::fflush(nullptr);
        std::_Exit(1);
    }
    SetupGL(variant_);
    KeepWindowOpaque();
}

}  // namespace zarvella::linux_shell
