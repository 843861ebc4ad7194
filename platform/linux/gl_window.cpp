#include "gl_window.h"

namespace zarvella::linux_shell {

GlWindow::GlWindow(GlVariant variant)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate), variant_(variant) {}

void GlWindow::initializeGL() {
    SetupGL(variant_);
}

}  // namespace zarvella::linux_shell
