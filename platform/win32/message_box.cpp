#include "platform/win32/message_box.h"

#include "startup/mode.h"

namespace zarvella::win32 {

void MessageBoxErrors::ShowError(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace zarvella::win32
