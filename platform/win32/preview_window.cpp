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

// Written before PreviewThread starts, read-only after.
HWND PreviewWindowHandle = nullptr;
HWND ParentWindow = nullptr;  // none for the stand-alone window
DWORD MainThread = 0;

// What PreviewThread does to the window, from its own thread.
class PreviewThreadHost : public PreviewHost {
  public:
    void ShowAndUpdate() override {
        ShowWindow(PreviewWindowHandle, SW_SHOW);
        UpdateWindow(PreviewWindowHandle);
    }
    void Invalidate() override { InvalidateRect(PreviewWindowHandle, nullptr, FALSE); }
    void Sleep(int milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds)); }
    // A window that is gone takes no message: the main thread's loop is
    // then told to end directly.
    void PostDestroy() override {
        if (!PostMessageA(PreviewWindowHandle, WM_DESTROY, 0, 0)) {
            PostThreadMessageA(MainThread, WM_QUIT, 0, 0);
        }
    }
    bool WindowGone() override {
        return !IsWindow(PreviewWindowHandle) || (ParentWindow && !IsWindow(ParentWindow));
    }
    // Not visible also when a window it lies in is hidden (the dialog's
    // preview area, the dialog itself); minimised is the dialog's state.
    SightFacts Sight() override {
        SightFacts facts;
        facts.ancestorsShown = IsWindowVisible(PreviewWindowHandle) != FALSE;
        facts.minimised = IsIconic(GetAncestor(PreviewWindowHandle, GA_ROOT)) != FALSE;
        return facts;
    }
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

DWORD WINAPI PreviewThreadProc(LPVOID) {
    PreviewThreadHost host;
    PreviewThread(host);
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

std::string CreatePreviewWindow(int width, int height, HWND parent) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterPreviewClass(instance);
    HWND window =
        CreateWindowExA(0, kClassName, kPreviewWindowTitle, parent ? kChildStyle : kStandAloneStyle,
                        0, 0, width, height, parent, nullptr, instance, nullptr);
    if (!parent) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
    }
    PreviewWindowHandle = window;
    ParentWindow = parent;
    std::string failure = AttachGLContext(window, GlVariant::Preview);
    SeedPreviewPicture();
    return failure;
}

int RunPreview(std::string_view secondArgument) {
    PreviewParent parents;
    const PreviewStart start = DecidePreviewStart(secondArgument, parents);
    if (start.kind == PreviewStart::Kind::EndAtOnce) return 0;
    MainThread = GetCurrentThreadId();
    if (const std::string why =
            CreatePreviewWindow(start.width, start.height, ToHwnd(start.parent));
        !why.empty()) {
        MessageBoxErrors().ShowError(GlStartError(why));
        return kGlStartFailedExitCode;
    }
    CreateThread(nullptr, 0, PreviewThreadProc, nullptr, 0, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_PAINT: {
            // Validated, so the preview draws one frame per repaint request
            // of PreviewThread (every 40 ms), as on Linux, instead of one
            // after another as fast as it can.
            PAINTSTRUCT ps;
            BeginPaint(window, &ps);
            PreviewPaint();
            EndPaint(window, &ps);
            return 0;
        }
        case WM_NCCREATE:
            return 1;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            if (!PreviewTakesKey(message == WM_SYSKEYDOWN)) break;
            SaverPasswordSystem system;
            PreviewKeyDown(VerifySaverPassword(system, ToWindowHandle(window)));
            return 0;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace zarvella::win32
