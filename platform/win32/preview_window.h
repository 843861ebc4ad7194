// The preview mode: a raw window class, a child of the system dialog's
// preview area (or a stand-alone pop-up), and PreviewThread.
#pragma once

#include <string>
#include <string_view>

#include "behaviour/preview_window.h"
#include "engine/render.h"
#include "platform/win32/win32.h"

namespace zarvella::win32 {

// Runs until the preview window, or its parent, is gone; the exit code. The
// second argument holds the parent's handle.
int RunPreview(std::string_view secondArgument);

// The preview window: its record (the picture, drawn on the main thread, and
// the handshake), and what its thread needs to reach it. Written before
// PreviewThread starts; after that the picture is handed over by the
// record's handshake.
class PreviewWindow {
  public:
    // Empty when the window has its GL context, else why it has none.
    std::string Create(int width, int height, HWND parent);
    HWND Handle = nullptr;
    HWND Parent = nullptr;  // none for the stand-alone window
    DWORD MainThread = 0;
    PreviewRecord Preview;
    // Every message of the window once it is made, through PreviewWindowProc.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    FrameHooks frame_;
};

}  // namespace zarvella::win32
