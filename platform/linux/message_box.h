// Error texts for the user: a message box titled "Zarvella".
#pragma once

#include <string>

#include "settings/settings.h"

namespace zarvella::linux_shell {

// A critical QMessageBox, its text plain (never markup). Test hook: when the environment variable
// ZARVELLA_TEST_MESSAGE_LOG names a file, each text shown is also appended to
// it as one line, so the end-to-end tests can check the wording.
class MessageBoxErrors : public ErrorSink {
  public:
    void ShowError(const std::string& text) override;
};

}  // namespace zarvella::linux_shell
