#include "platform/win32/gl_context.h"

#include <string>

namespace zarvella::win32 {

namespace {

static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40);

PIXELFORMATDESCRIPTOR PixelFormatRequest() {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;  // 0x25
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 3 * kPictureSurface.colourBits;  // 24
    pfd.cAlphaBits = kPictureSurface.alphaBits;
    pfd.cDepthBits = kPictureSurface.depthBits;
    pfd.cStencilBits = kPictureSurface.stencilBits;
    return pfd;
}

// The error code where the call set one (it was cleared before the call).
std::string Failed(const char* call) {
    const DWORD code = GetLastError();
    return std::string(call) + " failed" +
           (code ? " (error " + std::to_string(code) + ")" : std::string());
}

}  // namespace

void SwapCurrentBuffers() {
    SwapBuffers(wglGetCurrentDC());
}

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

std::string AttachGLContext(HWND window, GlVariant variant, const GlViewport* picture) {
    // Kept for the life of the window: the process ends with it.
    HDC dc = GetDC(window);
    const PIXELFORMATDESCRIPTOR pfd = PixelFormatRequest();
    SetLastError(0);
    const int format = ChoosePixelFormat(dc, &pfd);
    if (format == 0) return Failed("ChoosePixelFormat");
    SetLastError(0);
    if (!SetPixelFormat(dc, format, &pfd)) return Failed("SetPixelFormat");
    SetLastError(0);
    HGLRC context = wglCreateContext(dc);
    if (!context) return Failed("wglCreateContext");
    if (!wglMakeCurrent(dc, context)) {
        std::string why = Failed("wglMakeCurrent");
        wglDeleteContext(context);
        return why;
    }
    SetupGL(variant, picture);
    return {};
}

}  // namespace zarvella::win32
