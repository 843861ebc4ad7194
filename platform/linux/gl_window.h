// The drawing surface of the full-screen window and of the preview: a Qt
// OpenGL window that draws straight into its own back buffer. Its context
// gets the core's GL state once (SetupGL); the subclass's paintGL draws one
// core frame, and Qt swaps the buffers after it.
//
// Not a QOpenGLWidget: that one draws every frame into an offscreen
// framebuffer and composes it into the window with further full-screen
// passes, which on a software rasterizer cost far more than the picture.
#pragma once

#include <QOpenGLWindow>

#include "engine/render.h"

namespace zarvella::linux_shell {

class GlWindow : public QOpenGLWindow {
    Q_OBJECT
  public:
    // The format is the default one (SetDefaultSurfaceFormat): compatibility
    // profile, double-buffered, depth 16, no alpha.
    explicit GlWindow(GlVariant variant);

  protected:
    // Qt makes the context current first, and before every paintGL sets the
    // viewport to the whole window, which is the full-screen and preview
    // variants' viewport.
    void initializeGL() override;

  private:
    GlVariant variant_;
};

}  // namespace zarvella::linux_shell
