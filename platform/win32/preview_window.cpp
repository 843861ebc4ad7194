#include "platform/win32/preview_window.h"

#include "behaviour/fullscreen_window.h"
#include "behaviour/preview_window.h"
#include "behaviour/window_handle.h"
#include "platform/win32/gl_context.h"
#include "platform/win32/message_box.h"
#include "platform/win32/password_system.h"

namespace zarvella::win32 {

namespace {

constexpr const char* kClassName = "ZarvellaPreview";
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_DISABLED;  // 0x58000000
constexpr DWORD kStandAloneStyle = WS_POPUP | WS_VISIBLE;           // 0x90000000

// Not visible also when a window it lies in is hidden (the dialog's preview
// area, the dialog itself); minimised is the dialog's state. Asked from
// either thread.
SightFacts PreviewSight(HWND window) {
    SightFacts facts;
    facts.ancestorsShown = IsWindowVisible(window) != FALSE;
    facts.minimised = IsIconic(GetAncestor(window, GA_ROOT)) != FALSE;
    return facts;
}

// What PreviewThread does to the window, from its own thread.
class PreviewThreadHost : public PreviewLoopHost {
  public:
    explicit PreviewThreadHost(const PreviewWindow& window) : window_(window) {}
    void ShowAndUpdate() override {
        ShowWindow(window_.Handle, SW_SHOW);
        UpdateWindow(window_.Handle);
    }
    void Invalidate() override { InvalidateRect(window_.Handle, nullptr, FALSE); }
    void Sleep(int milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds)); }
    // A window that is gone takes no message: the main thread's loop is
    // then told to end directly.
    void PostDestroy() override {
        if (!PostMessageA(window_.Handle, WM_DESTROY, 0, 0)) {
            PostThreadMessageA(window_.MainThread, WM_QUIT, 0, 0);
        }
    }
    bool WindowGone() override {
        return !IsWindow(window_.Handle) || (window_.Parent && !IsWindow(window_.Parent));
    }
    SightFacts Sight() override { return PreviewSight(window_.Handle); }

  private:
    const PreviewWindow& window_;
};

// The parent's outer size.
class PreviewParent : public PreviewParentHost {
  public:
    bool IsDesktop(uint32_t window) override { return ToHwnd(window) == GetDesktopWindow(); }
    std::optional<AreaSize> ParentArea(uint32_t parent) override {
        HWND window = ToHwnd(parent);
        if (!IsWindow(window)) return std::nullopt;
        RECT r{};
        GetWindowRect(window, &r);
        return AreaSize{r.right - r.left, r.bottom - r.top};
    }
};

// The window object is put into the window's user data right after it is
// made, since the preview window is made with no creation data
// (docs/compatibility.md); until then WM_NCCREATE is answered here.
LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto* object = reinterpret_cast<PreviewWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA)))
        return object->HandleMessage(message, wParam, lParam);
    if (message == WM_NCCREATE) return 1;  // no default processing
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI PreviewThreadProc(LPVOID parameter) {
    PreviewWindow& window = *static_cast<PreviewWindow*>(parameter);
    PreviewThreadHost host(window);
    PreviewThread(host, window.Preview);
    return 0;
}

void RegisterPreviewClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_PARENTDC;
    wc.lpfnWndProc = PreviewWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
}

}  // namespace

std::string PreviewWindow::Create(int width, int height, HWND parent) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterPreviewClass(instance);
    Parent = parent;
    MainThread = GetCurrentThreadId();
    Handle =
        CreateWindowExA(0, kClassName, kPreviewWindowTitle, parent ? kChildStyle : kStandAloneStyle,
                        0, 0, width, height, parent, nullptr, instance, nullptr);
    SetWindowLongPtrA(Handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (!parent) {
        SetWindowPos(Handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
    }
    std::string failure = AttachGLContext(Handle, GlVariant::Preview);
    if (failure.empty()) frame_.swap = SwapCurrentBuffers;
    SeedPreviewPicture(Preview.picture);
    return failure;
}

int RunPreview(std::string_view secondArgument) {
    PreviewParent parents;
    const PreviewStart start = DecidePreviewStart(secondArgument, parents);
    if (start.kind == PreviewStart::Kind::EndAtOnce) return 0;
    // Static: the thread is never joined, and the picture is too large for
    // the main thread's stack.
    static PreviewWindow window;
    if (const std::string why = window.Create(start.width, start.height, ToHwnd(start.parent));
        !why.empty()) {
        MessageBoxErrors().ShowError(GlStartError(why));
        return kGlStartFailedExitCode;
    }
    CreateThread(nullptr, 0, PreviewThreadProc, &window, 0, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

LRESULT PreviewWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_PAINT: {
            // Validated, so the preview draws one frame per repaint request
            // of PreviewThread (every 40 ms), as on Linux, instead of one
            // after another as fast as it can; the system's own paints while
            // nobody can see it draw nothing.
            PAINTSTRUCT ps;
            BeginPaint(Handle, &ps);
            if (WhatPaintDraws(CanBeSeen(PreviewSight(Handle))) == PaintDraws::Picture)
                PreviewPaint(Preview, frame_);
            EndPaint(Handle, &ps);
            return 0;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            if (!PreviewTakesKey(message == WM_SYSKEYDOWN)) break;
            SaverPasswordSystem system;
            PreviewKeyDown(Preview, VerifySaverPassword(system, ToWindowHandle(Handle)));
            return 0;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            return 0;
    }
    return DefWindowProcA(Handle, message, wParam, lParam);
}

}  // namespace zarvella::win32
