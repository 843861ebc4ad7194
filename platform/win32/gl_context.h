// A window's OpenGL context: pixel format, wgl context, the GL state, the swap.
#pragma once

#include <string>

#include "engine/render.h"
#include "platform/win32/win32.h"

namespace zarvella::win32 {

// GetDC, ChoosePixelFormat/SetPixelFormat, wglCreateContext, wglMakeCurrent,
// SetupGL. The window's frames then swap with SwapCurrentBuffers. Empty when the context is
// current, else the call that failed and its error code (no driver, a display without OpenGL, a
// format refused). picture: the settings window's picture viewport; none for a window whose picture
// covers all of it.
std::string AttachGLContext(HWND window, GlVariant variant, const GlViewport* picture = nullptr);

// SwapBuffers on the current context's device context, looked up on every
// frame, not kept: a window's FrameHooks::swap.
void SwapCurrentBuffers();

// The window's DPI (Windows 10 on), else the system's.
int WindowDpi(HWND window);

}  // namespace zarvella::win32
