// The message box shows its text as it is: a path holding markup is read,
// never rendered (and no image it names is loaded).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "platform/linux/message_box.h"

TEST(MessageBox, TextIsPlain) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "message_box_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    const std::string text =
        "The settings file '/h/<h1>x</h1><img src=/x.png>/s.reg' cannot be read";
    QLabel* label = nullptr;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        label = box ? box->findChild<QLabel*>("qt_msgbox_label") : nullptr;
        if (label) format = label->textFormat();
        if (box) box->close();
    });
    zarvella::linux_shell::MessageBoxErrors().ShowError(text);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(format, Qt::PlainText);
}
