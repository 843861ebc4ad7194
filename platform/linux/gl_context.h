// The program's GL contexts: the surface format every context gets, the
// settings window's GL widget and the GL window of the full-screen saver and
// the preview. Each context gets the core's GL state once (SetupGL) and its
// every paint is one core frame.
#pragma once

#include <QOpenGLWidget>
#include <QOpenGLWindow>
#include <QSize>
#include <functional>
#include <string>

#include "engine/render.h"

namespace zarvella::linux_shell {

// Compatibility profile (immediate mode), double-buffered, depth 16, no alpha.
// Set before the application object exists, so every context and every
// GL window gets it.
void SetDefaultSurfaceFormat();

// For a process whose windows are only GL pictures (full screen, preview,
// hack): Qt's scaling off, so a window's geometry is in device pixels and
// covers its monitors or its parent exactly at any QT_SCALE_FACTOR or
// Xft.dpi; a scaled size is rounded and a scaled position is taken from the
// screen the window is thought to be on. Before the application object.
void UseDevicePixels();

// Empty when an OpenGL context can be made and made current on a window of
// the display; otherwise why not, from Qt's own warnings (which are taken
// here, not printed). After the application object, before any GL window.
std::string OpenGlProblem();

// The settings window's surface: a GL widget, since the window's sliders
// and buttons lie on top of it.
class GlView : public QOpenGLWidget {
    Q_OBJECT
  public:
    using PaintFunction = std::function<void()>;
    // viewport: the picture's, in window pixels; paint: the window's frame.
    GlView(GlVariant variant, GlViewport viewport, PaintFunction paint, QWidget* parent = nullptr);

  protected:
    void initializeGL() override;
    void paintGL() override;

  private:
    GlVariant variant_;
    GlViewport viewport_;
    PaintFunction paint_;
    // Qt sets the viewport to the whole widget before every paint; the
    // picture's own is put back, in device pixels.
    GlViewport deviceViewport_{};
};

// The full-screen window's and the preview's surface: a Qt
// OpenGL window that draws straight into its own back buffer. Its context
// gets the core's GL state once (SetupGL); the subclass's paintGL draws one
// core frame, and Qt swaps the buffers after it.
//
// Not a QOpenGLWidget: that one draws every frame into an offscreen
// framebuffer and composes it into the window with further full-screen
// passes, which on a software rasterizer cost far more than the picture.
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
