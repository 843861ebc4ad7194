#include "platform/win32/gl_context.h"

namespace zarvella::win32 {

namespace {

static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40);

// The device context is looked up on every frame, not kept.
void SwapCurrentBuffers() {
    SwapBuffers(wglGetCurrentDC());
}

PIXELFORMATDESCRIPTOR PixelFormatRequest() {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;  // 0x25
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 16;
    return pfd;
}

void SetupPixelFormat(HDC dc) {
    const PIXELFORMATDESCRIPTOR pfd = PixelFormatRequest();
    const int format = ChoosePixelFormat(dc, &pfd);
    if (format != 0) SetPixelFormat(dc, format, &pfd);
}

}  // namespace

int WindowDpi(HWND window) {
    // Looked up: Windows 7 to 8.1 have no per-window DPI.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (dpiForWindow && window) {
        if (const UINT dpi = dpiForWindow(window)) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

void AttachGLContext(HWND window, GlVariant variant, const GlViewport* picture) {
    // Kept for the life of the window: the process ends with it.
    HDC dc = GetDC(window);
    SetupPixelFormat(dc);
    HGLRC context = wglCreateContext(dc);
    wglMakeCurrent(dc, context);
    SetupGL(variant, picture);
    SetBufferSwap(SwapCurrentBuffers);
}

}  // namespace zarvella::win32
