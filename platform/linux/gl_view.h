// The settings window's drawing surface: a Qt OpenGL widget, since the
// window's sliders and buttons lie on top of it. Its context gets the core's
// GL state once (SetupGL) and its every paint is one core frame. (The
// full-screen window and the preview draw through GlWindow, gl_window.h.)
// Also the surface format that every context of the program gets.
#pragma once

#include <QOpenGLWidget>
#include <QSize>

#include "engine/render.h"

namespace zarvella::linux_shell {

// Compatibility profile (immediate mode), double-buffered, depth 16, no alpha.
// Set before the application object exists, so every context and every
// GL window gets it.
void SetDefaultSurfaceFormat();

class GlView : public QOpenGLWidget {
    Q_OBJECT
  public:
    using PaintFunction = void (*)();
    // outerSize: the window's outer size, for the settings variant's viewport.
    GlView(GlVariant variant, QSize outerSize, PaintFunction paint, QWidget* parent = nullptr);

  protected:
    void initializeGL() override;
    void paintGL() override;

  private:
    GlVariant variant_;
    QSize outerSize_;
    PaintFunction paint_;
    // Qt sets the viewport to the whole widget before every paint; the
    // settings variant's own viewport is put back.
    bool keepViewport_ = false;
    int viewport_[4] = {0, 0, 0, 0};
};

}  // namespace zarvella::linux_shell
