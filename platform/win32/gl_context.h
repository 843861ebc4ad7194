// A window's OpenGL context: pixel format, wgl context, the GL state, the swap.
#pragma once

#include "engine/render.h"
#include "platform/win32/win32.h"

namespace zarvella::win32 {

// GetDC, ChoosePixelFormat/SetPixelFormat, wglCreateContext, wglMakeCurrent,
// SetupGL. Nothing is checked: a window without a format simply shows no picture.
// dpi: the window's, for the settings window's picture viewport.
void AttachGLContext(HWND window, GlVariant variant, int dpi = 96);

// The window's DPI (Windows 10 on), else the system's.
int WindowDpi(HWND window);

}  // namespace zarvella::win32
