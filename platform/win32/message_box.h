// Error texts for the user: a task-modal message box titled "Zarvella".
#pragma once

#include <string>

#include "platform/win32/win32.h"
#include "settings/settings.h"

namespace zarvella::win32 {

class MessageBoxErrors : public ErrorSink {
  public:
    void ShowError(const std::string& text) override;
};

}  // namespace zarvella::win32
