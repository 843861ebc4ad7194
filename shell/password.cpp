#include "shell/password.h"

#include <cstring>

#include "shell/window_handle.h"

namespace zarvella {

namespace {

bool PasswordInUse(PasswordSystem& system) {
    uint8_t buffer[4] = {0, 0, 0, 0};  // a short value fills only its first bytes
    if (!system.QueryUsePassword(buffer)) return false;
    uint32_t value = 0;
    std::memcpy(&value, buffer, sizeof value);
    return value != 0;
}

bool AskSystem(PasswordSystem& system, WindowHandle owner) {
    const LibraryHandle library = system.LoadLibrary(kVerifyLibrary);
    if (!LibraryLoaded(library)) return true;
    const ProcAddress verify = system.GetProcAddress(library, kVerifyFunction);
    bool answer = true;
    system.ShowCursor(true);  // visible over the saver while the dialog runs
    if (verify) answer = system.CallVerify(verify, owner) != 0;
    system.ShowCursor(false);
    system.FreeLibrary(library);
    return answer;
}

}  // namespace

bool VerifySaverPassword(PasswordSystem& system, WindowHandle owner) {
    if (!system.OpenDesktopKey()) return true;
    bool answer = true;
    if (PasswordInUse(system)) answer = AskSystem(system, owner);
    system.CloseDesktopKey();
    return answer;
}

void ChangeSaverPassword(PasswordSystem& system, std::string_view secondArgument) {
    const LibraryHandle library = system.LoadLibrary(kChangeLibrary);
    if (!LibraryLoaded(library)) return;
    if (const ProcAddress change = system.GetProcAddress(library, kChangeFunction)) {
        system.CallChange(change, kPasswordName, ParseWindowHandle(secondArgument));
    }
    system.FreeLibrary(library);
}

}  // namespace zarvella
