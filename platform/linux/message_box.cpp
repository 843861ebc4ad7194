#include "platform/linux/message_box.h"

#include <QMessageBox>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "startup/mode.h"

namespace zarvella::linux_shell {

void MessageBoxErrors::ShowError(const std::string& text) {
    if (const char* log = std::getenv("ZARVELLA_TEST_MESSAGE_LOG"); log && *log) {
        if (std::FILE* file = std::fopen(log, "a")) {
            std::fprintf(file, "%s\n", text.c_str());
            std::fclose(file);
        }
    }
    // Plain text: a path may hold markup, and it must read as it is, never
    // load an image or a link.
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                    QString::fromStdString(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace zarvella::linux_shell
