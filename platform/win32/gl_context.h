// A window's OpenGL context: pixel format, wgl context, the GL state, the swap.
#pragma once

#include "engine/render.h"
#include "platform/win32/win32.h"

namespace zarvella::win32 {

// GetDC, ChoosePixelFormat/SetPixelFormat, wglCreateContext, wglMakeCurrent,
// SetupGL. Nothing is checked: a window without a format simply shows no picture.
// picture: the settings window's picture viewport; none for a window whose
// picture covers all of it.
void AttachGLContext(HWND window, GlVariant variant, const GlViewport* picture = nullptr);

// The window's DPI (Windows 10 on), else the system's.
int WindowDpi(HWND window);

}  // namespace zarvella::win32
