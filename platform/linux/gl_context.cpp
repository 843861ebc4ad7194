#include "platform/linux/gl_context.h"

#include <GL/gl.h>

#include <QSurfaceFormat>

namespace zarvella::linux_shell {

void SetDefaultSurfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    // No alpha in the window: the picture is composited over black and its
    // translucency must never let the desktop through.
    format.setAlphaBufferSize(0);
    format.setDepthBufferSize(16);
    format.setStencilBufferSize(0);
    QSurfaceFormat::setDefaultFormat(format);
}

GlView::GlView(GlVariant variant, QSize outerSize, PaintFunction paint, QWidget* parent)
    : QOpenGLWidget(parent), variant_(variant), outerSize_(outerSize), paint_(paint) {
    // Every frame clears and redraws the whole picture.
    setUpdateBehavior(QOpenGLWidget::NoPartialUpdate);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GlView::initializeGL() {
    GLint before[4];
    glGetIntegerv(GL_VIEWPORT, before);
    SetupGL(variant_, outerSize_.width(), outerSize_.height());
    glGetIntegerv(GL_VIEWPORT, viewport_);
    keepViewport_ = before[0] != viewport_[0] || before[1] != viewport_[1] ||
                    before[2] != viewport_[2] || before[3] != viewport_[3];
    // The core thinks in the window's pixels; a scaled screen has more of
    // them per window pixel.
    const double scale = devicePixelRatioF();
    for (int& v : viewport_) v = static_cast<int>(v * scale + 0.5);
}

void GlView::paintGL() {
    if (keepViewport_) glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    paint_();
}

GlWindow::GlWindow(GlVariant variant)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate), variant_(variant) {}

void GlWindow::initializeGL() {
    SetupGL(variant_);
}

}  // namespace zarvella::linux_shell
