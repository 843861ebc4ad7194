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
    QMessageBox::critical(nullptr, QString::fromUtf8(kApplicationTitle),
                          QString::fromStdString(text));
}

}  // namespace zarvella::linux_shell
