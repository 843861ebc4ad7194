#include "platform/win32/fullscreen_window.h"

#include <cstdint>

#include "behaviour/monitors.h"
#include "behaviour/window_place.h"
#include "engine/render.h"
#include "platform/win32/gl_context.h"
#include "platform/win32/window_proc.h"
#include "startup/mode.h"

namespace zarvella::win32 {

namespace {
// The window class name other programs find the saver by; kept as it always
// was (docs/compatibility.md).
constexpr const char* kClassName = "TForm1";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kScreenSaverRunning = 97;  // SPI_SETSCREENSAVERRUNNING
constexpr UINT kDpiChanged = 0x02E0;      // WM_DPICHANGED, Windows 8.1 on
// GUID_CONSOLE_DISPLAY_STATE, here so that no GUID library is needed.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// The system's monitors as it lists them, and where the primary one is.
struct MonitorList {
    std::vector<PixelRect> monitors;
    size_t primary = SIZE_MAX;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT rect, LPARAM list) {
    auto& found = *reinterpret_cast<MonitorList*>(list);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY))
        found.primary = found.monitors.size();
    found.monitors.push_back(
        {rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top});
    return TRUE;
}

void SetOuterRect(HWND window, int width, int height) {
    const int left = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), width);
    const int top = CentredOrigin(GetSystemMetrics(SM_CYSCREEN), height);
    SetWindowPos(window, HWND_TOPMOST, left, top, width, height, SWP_NOACTIVATE);
}
}  // namespace

void FullScreenWindow::Create(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowObjectProc<FullScreenWindow>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);

    // Border-less and top-most, at its layout size until OnCreate sizes it.
    CreateWindowExA(WS_EX_TOPMOST, kClassName, kApplicationTitle, WS_POPUP, 0, 0,
                    kFullScreenLayoutWidth, kFullScreenLayoutHeight, nullptr, nullptr, instance,
                    this);
    SetOuterRect(Handle, kFullScreenLayoutWidth, kFullScreenLayoutHeight);
    OnCreate();
    if (!contextFailure_.empty()) return;  // shown, and the loop already asked to end
    SetTimer(Handle, kTimerId, kFullScreenTimerMs, nullptr);
    // The display's power (the current state comes at once): off stops the frames.
    displayState_ = RegisterPowerSettingNotification(Handle, &kConsoleDisplayState,
                                                     DEVICE_NOTIFY_WINDOW_HANDLE);
    ShowWindow(Handle, SW_SHOW);
    SetForegroundWindow(Handle);
    SetFocus(Handle);
    UpdateWindow(Handle);
}

LRESULT FullScreenWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // every frame clears the whole picture
        case WM_TIMER:
            OnTimer();
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            OnKeyDown();
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove();
            return 0;
        case WM_DISPLAYCHANGE:
            OnDisplayChange();
            return 0;
        case kDpiChanged:  // the window keeps covering the desktop, not the suggested place
            OnDisplayChange();
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_POWERSETTINGCHANGE && lParam)
                OnPowerSetting(*reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
            return TRUE;
        case WM_SIZE:
            sight_.Minimised(wParam == SIZE_MINIMIZED);
            break;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_ENDSESSION:
            // The session may end the process before the window is destroyed.
            if (wParam) FullScreenWindowEnded(*this, record_);
            return 0;
        case WM_DESTROY:
            if (displayState_) UnregisterPowerSettingNotification(displayState_);
            displayState_ = nullptr;
            FullScreenWindowEnded(*this, record_);  // whatever the reason it goes
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(Handle, message, wParam, lParam);
}

void FullScreenWindow::OnCreate() {
    StartFullScreen(*this, record_, store_, errors_);
}

void FullScreenWindow::OnPaint() {
    PAINTSTRUCT ps;
    BeginPaint(Handle, &ps);
    if (WhatPaintDraws(sight_.Seen()) == PaintDraws::Picture)
        RenderFrame(record_.picture, record_.frame);
    EndPaint(Handle, &ps);
}

void FullScreenWindow::OnTimer() {
    RenderFrame(record_.picture, record_.frame);
}

void FullScreenWindow::OnKeyDown() {
    FullScreenKeyDown(*this, record_);
}

void FullScreenWindow::OnMouseMove() {
    FullScreenMouseMove(*this, record_);
}

// The saver may always close; the main window's end ends the application.
void FullScreenWindow::OnClose() {
    DestroyWindow(Handle);
}

void FullScreenWindow::OnPowerSetting(const POWERBROADCAST_SETTING& setting) {
    if (IsEqualGUID(setting.PowerSetting, kConsoleDisplayState) &&
        setting.DataLength >= sizeof(DWORD)) {
        DWORD state = 0;
        CopyMemory(&state, setting.Data, sizeof state);
        sight_.Display(DisplayPowerFromConsoleState(state));
    }
}

void FullScreenWindow::StartFrames() {
    if (contextFailure_.empty()) SetTimer(Handle, kTimerId, kFullScreenTimerMs, nullptr);
}

void FullScreenWindow::StopFrames() {
    KillTimer(Handle, kTimerId);
}

// Monitors added, removed or changed: keep covering them all.
void FullScreenWindow::OnDisplayChange() {
    if (FullScreenDisplayChange(*this, record_)) InvalidateRect(Handle, nullptr, FALSE);
}

// Device pixels: the program is aware of every monitor's DPI (manifest).
std::vector<PixelRect> FullScreenWindow::Monitors() {
    MonitorList found;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&found));
    PutPrimaryFirst(found.monitors, found.primary);
    return found.monitors;
}

void FullScreenWindow::PlaceWindow(const PixelRect& rect) {
    SetWindowPos(Handle, HWND_TOPMOST, rect.x, rect.y, rect.width, rect.height, SWP_NOACTIVATE);
}

void FullScreenWindow::AttachContext() {
    contextFailure_ = AttachGLContext(Handle, GlVariant::FullScreen);
    if (contextFailure_.empty()) record_.frame.swap = SwapCurrentBuffers;
}

int FullScreenWindow::ExitCode() const {
    return contextFailure_.empty() ? 0 : kGlStartFailedExitCode;
}

ScreenPoint FullScreenWindow::CursorPos() {
    POINT p{};
    GetCursorPos(&p);
    return ScreenPoint{p.x, p.y};
}

void FullScreenWindow::ShowCursor(bool show) {
    ::ShowCursor(show ? TRUE : FALSE);
}

void FullScreenWindow::SetSaverRunning(bool running) {
    SystemParametersInfoA(kScreenSaverRunning, running ? 1 : 0, nullptr, 0);
}

bool FullScreenWindow::VerifySaverPassword() {
    return zarvella::VerifySaverPassword(password_, ToWindowHandle(Handle));
}

void FullScreenWindow::HideWindow() {
    ShowWindow(Handle, SW_HIDE);
}

void FullScreenWindow::Terminate() {
    PostQuitMessage(0);
}

}  // namespace zarvella::win32
