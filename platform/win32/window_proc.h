// The window procedure shared by the full-screen and the settings window: the
// window object comes with the creation parameters, is kept in the window's
// user data and gets every message after that.
#pragma once

#include "platform/win32/win32.h"

namespace zarvella::win32 {

// Window has a public `HWND Handle` and `LRESULT HandleMessage(UINT, WPARAM, LPARAM)`.
template <class Window>
LRESULT CALLBACK WindowObjectProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* object =
            static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        object->Handle = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
    auto* object = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!object) return DefWindowProcA(window, message, wParam, lParam);
    return object->HandleMessage(message, wParam, lParam);
}

}  // namespace zarvella::win32
