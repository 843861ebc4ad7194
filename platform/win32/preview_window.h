// The preview mode: a raw window class with PreviewWindowProc, a child of the
// system dialog's preview area (or a stand-alone pop-up), and PreviewThread.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32/win32.h"

namespace zarvella::win32 {

// Runs until the preview window, or its parent, is gone; the exit code. The
// second argument holds the parent's handle.
int RunPreview(std::string_view secondArgument);

// Empty when the window has its GL context, else why it has none.
std::string CreatePreviewWindow(int width, int height, HWND parent);

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace zarvella::win32
