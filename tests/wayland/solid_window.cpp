// solid_window COLOUR: a frameless window of one colour over the whole
// screen, a bright uniform desktop behind the window under test.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.setStyleSheet(QString("background: %1").arg(argc > 1 ? argv[1] : "#c03cd8"));
    window.showFullScreen();  // over the panels too
    return app.exec();
}
