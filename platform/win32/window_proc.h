// The window procedure shared by the two form classes: the form object comes
// with the creation parameters, is kept in the window's user data and gets
// every message after that.
#pragma once

#include "platform/win32/win32.h"

namespace zarvella::win32 {

// Form has a public `HWND Handle` and `LRESULT HandleMessage(UINT, WPARAM, LPARAM)`.
template <class Form>
LRESULT CALLBACK FormWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->Handle = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form) return DefWindowProcA(window, message, wParam, lParam);
    return form->HandleMessage(message, wParam, lParam);
}

}  // namespace zarvella::win32
