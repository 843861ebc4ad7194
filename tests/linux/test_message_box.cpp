// A box shows its text as it is: markup in a path is neither rendered nor loaded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include "platform/linux/message_box.h"

TEST(MessageBox, TextIsPlain) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "message_box_tests", *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    Qt::TextFormat format = Qt::RichText;
    QTimer::singleShot(0, [&format] {
        QWidget* box = QApplication::activeModalWidget();
        if (auto* label = box->findChild<QLabel*>("qt_msgbox_label")) format = label->textFormat();
        box->close();
    });
    zarvella::linux_shell::MessageBoxErrors().ShowError("'/h/<h1>x</h1><img src=/x.png>'");
    EXPECT_EQ(format, Qt::PlainText);
}
