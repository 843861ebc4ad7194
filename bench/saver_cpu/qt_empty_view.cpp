// The floor of the two ways Qt offers to show OpenGL full-screen: a frame
// that only clears, 25 times a second, drawn by a QOpenGLWidget (rendered
// into an offscreen framebuffer, then composed into the window) or by a
// QOpenGLWindow (rendered into the window's own back buffer).
//
//   qt_empty_view widget|window
#include <QApplication>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QOpenGLWindow>
#include <QScreen>
#include <QSurfaceFormat>
#include <QTimer>
#include <cstring>

namespace {

class EmptyWidget : public QOpenGLWidget, protected QOpenGLFunctions {
  protected:
    void initializeGL() override { initializeOpenGLFunctions(); }
    void paintGL() override { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }
};

class EmptyWindow : public QOpenGLWindow, protected QOpenGLFunctions {
  protected:
    void initializeGL() override { initializeOpenGLFunctions(); }
    void paintGL() override { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }
};

template <typename View>
int Run(QApplication& app) {
    View view;
    // No window manager on the test display: size it to the screen ourselves.
    view.setGeometry(QGuiApplication::primaryScreen()->geometry());
    view.showFullScreen();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&view] { view.update(); });
    timer.start(40);
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    // As the saver asks: double-buffered, 16 depth bits.
    QSurfaceFormat format;
    format.setDepthBufferSize(16);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    QSurfaceFormat::setDefaultFormat(format);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const bool window = argc > 1 && std::strcmp(argv[1], "window") == 0;
    return window ? Run<EmptyWindow>(app) : Run<EmptyWidget>(app);
}
