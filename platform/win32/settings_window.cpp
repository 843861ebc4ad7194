#include "platform/win32/settings_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "behaviour/monitors.h"
#include "behaviour/settings_window.h"
#include "behaviour/window_place.h"
#include "engine/render.h"
#include "platform/win32/gl_context.h"
#include "platform/win32/resource.h"
#include "platform/win32/window_proc.h"

namespace zarvella::win32 {

namespace {
// The window class name other programs find the window by; kept as it always
// was (docs/compatibility.md).
constexpr const char* kClassName = "TForm2";
constexpr UINT_PTR kTimerId = 1;
// A fixed single border with system menu and minimise box. Clipping the
// children keeps the GL picture's swap off the controls, which exist before
// the context is made.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Control ids, as other programs see them (docs/compatibility.md).
constexpr int kFirstSliderId = 101;  // + the row
constexpr int kRandomCheckBoxId = 200;
constexpr int kSaveButtonId = 301;
constexpr int kSiteButtonId = 302;
constexpr int kFirstLabelId = 401;  // + the row

constexpr COLORREF kTextColour = RGB(255, 255, 255);
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, Windows 8.1 on

// A themed check box draws its caption in the theme's text colour, whatever
// WM_CTLCOLORSTATIC asks, which is dark on this black window. Without a theme
// it draws white like the labels. A blank names no theme class (an empty name
// is refused by some uxtheme versions). uxtheme is looked up, not linked:
// where it is missing there is no theme to take off.
void DrawWithoutTheme(HWND control) {
    using SetWindowThemeProc = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
    if (!uxtheme) return;
    const auto setWindowTheme = reinterpret_cast<SetWindowThemeProc>(
        reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")));
    if (setWindowTheme) setWindowTheme(control, L" ", L" ");
}
}  // namespace

// The frame's size at the window's DPI (Windows 10 on), else the system's.
SIZE SettingsWindow::OuterSize(int clientWidth, int clientHeight) const {
    using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<AdjustForDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    RECT r{0, 0, clientWidth, clientHeight};
    if (adjustForDpi) {
        adjustForDpi(&r, kStyle, FALSE, 0, static_cast<UINT>(dpi_));
    } else {
        AdjustWindowRect(&r, kStyle, FALSE);
    }
    return {r.right - r.left, r.bottom - r.top};
}

PixelSize SettingsWindow::FittedOuter(HMONITOR monitor) const {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info))
        return SettingsOuterSize({}, dpi_);  // nothing known to fit: the full layout
    const RECT& work = info.rcWork;
    return SettingsOuterSize({work.right - work.left, work.bottom - work.top}, dpi_);
}

ControlRect SettingsWindow::Placed(const ControlRect& layout) const {
    return SettingsPlaced(layout, outer_, dpi_);
}

void SettingsWindow::PlaceControls() {
    for (const PlacedControl& c : controls_) {
        const ControlRect r = Placed(c.rect);
        SetWindowPos(c.handle, nullptr, r.left, r.top, r.width, r.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateLabelFont();
}

void SettingsWindow::CreateLabelFont() {
    HFONT old = labelFont_;
    labelFont_ = CreateFontA(-std::max(1, Placed({0, 0, 0, 13}).height), 0, 0, 0, FW_BOLD, FALSE,
                             FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    for (const PlacedControl& c : controls_) {
        SendMessageA(c.handle, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_), TRUE);
    }
    if (old) DeleteObject(old);
}

// Moved to a monitor of another DPI: the system suggests the place; the
// size is the layout at the new DPI, fitted to that monitor's work area, and
// the controls, the font and the picture's viewport follow.
void SettingsWindow::DpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    outer_ = FittedOuter(MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST));
    SetWindowPos(Handle, nullptr, suggested.left, suggested.top, outer_.width, outer_.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceControls();
    if (contextFailure_.empty()) SettingsDpiChanged(outer_.width, outer_.height, dpi_);
    InvalidateRect(Handle, nullptr, TRUE);
}

void SettingsWindow::Create(HINSTANCE instance, HWND owner) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    background_ = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowObjectProc<SettingsWindow>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(IDI_ZARVELLA));
    wc.hbrBackground = background_;
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);

    // Layout size, centred; OnCreate gives it its final size and place.
    dpi_ = WindowDpi(nullptr);
    const POINT origin{0, 0};
    outer_ = FittedOuter(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY));
    const SIZE layout = OuterSize(outer_.width, outer_.height);
    CreateWindowExA(0, kClassName, kSettingsTitle, kStyle,
                    CentredOrigin(GetSystemMetrics(SM_CXSCREEN), layout.cx),
                    CentredOrigin(GetSystemMetrics(SM_CYSCREEN), layout.cy), layout.cx, layout.cy,
                    owner, nullptr, instance, this);
    dpi_ = WindowDpi(Handle);  // the monitor it opened on
    outer_ = FittedOuter(MonitorFromWindow(Handle, MONITOR_DEFAULTTONEAREST));
    CreateLabelFont();
    CreateControls(instance);
    OnCreate();
    SetTimer(Handle, kTimerId, kSettingsTimerMs, nullptr);
    ShowWindow(Handle, SW_SHOW);
    SetForegroundWindow(Handle);
    SetFocus(rowControls_[0]);  // the first control of the keyboard order
    UpdateWindow(Handle);
}

HWND SettingsWindow::CreateControl(HINSTANCE instance, const char* className, const char* caption,
                                   DWORD style, const ControlRect& rect, int id) {
    const ControlRect r = Placed(rect);
    HWND control = CreateWindowExA(
        0, className, caption, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.width, r.height,
        Handle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_), FALSE);
    controls_.push_back({control, rect});
    return control;
}

// Created in keyboard order, so Tab walks them in that order.
void SettingsWindow::CreateControls(HINSTANCE instance) {
    for (ControlId id : kTabOrder) {
        switch (id) {
            case ControlId::SaveButton:
                CreateControl(instance, "BUTTON", kSaveButtonCaption, WS_TABSTOP | BS_PUSHBUTTON,
                              kSaveButtonRect, kSaveButtonId);
                break;
            case ControlId::SiteButton:
                CreateControl(instance, "BUTTON", kSiteButtonCaption, WS_TABSTOP | BS_PUSHBUTTON,
                              kSiteButtonRect, kSiteButtonId);
                break;
            case ControlId::RandomCheckBox: {
                const SettingInfo& info = kSettingsTable[kRandomPictureRow];
                HWND box =
                    CreateControl(instance, "BUTTON", info.label, WS_TABSTOP | BS_AUTOCHECKBOX,
                                  info.rect, kRandomCheckBoxId);
                DrawWithoutTheme(box);
                rowControls_[kRandomPictureRow] = box;
                break;
            }
            default: {
                const int i = SettingRow(id);
                const SettingInfo& info = kSettingsTable[static_cast<size_t>(i)];
                HWND bar = CreateControl(instance, TRACKBAR_CLASSA, "",
                                         WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM,
                                         info.rect, kFirstSliderId + i);
                SendMessageA(bar, TBM_SETRANGEMIN, FALSE, info.min);
                SendMessageA(bar, TBM_SETRANGEMAX, FALSE, info.max);
                SendMessageA(bar, TBM_SETLINESIZE, 0, 1);
                SendMessageA(bar, TBM_SETTICFREQ, 1, 0);
                SendMessageA(bar, TBM_SETPOS, TRUE, info.layoutPosition);
                rowControls_[static_cast<size_t>(i)] = bar;
                sliderPositions_[static_cast<size_t>(i)] = info.layoutPosition;
                break;
            }
        }
    }
    for (int row = 0; row < kSliderCount; ++row) {
        const SettingInfo& info = kSettingsTable[static_cast<size_t>(row)];
        CreateControl(instance, "STATIC", info.label, SS_LEFT, info.labelRect, kFirstLabelId + row);
    }
}

LRESULT SettingsWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            OnTimer();
            return 0;
        case WM_SHOWWINDOW:  // also when its owner is minimised or shown again
            sight_.Shown(wParam != FALSE);
            break;
        case WM_SIZE:
            sight_.Minimised(wParam == SIZE_MINIMIZED);
            break;
        case kDpiChanged:
            DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_HSCROLL:
            for (int row = 0; row < kSliderCount; ++row) {
                if (rowControls_[static_cast<size_t>(row)] == reinterpret_cast<HWND>(lParam))
                    OnSliderChange(row);
            }
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                switch (LOWORD(wParam)) {
                    case kRandomCheckBoxId:
                        OnCheckBoxClick(kRandomPictureRow);
                        return 0;
                    case kSaveButtonId:
                        OnSaveClick();
                        return 0;
                    case kSiteButtonId:
                        OnSiteClick();
                        return 0;
                }
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kTextColour);
            SetBkColor(dc, RGB(0, 0, 0));
            return reinterpret_cast<LRESULT>(background_);
        }
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(Handle, message, wParam, lParam);
}

bool SettingsWindow::PreviewKey(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    if (message.hwnd != Handle && !IsChild(Handle, message.hwnd)) return false;
    return OnKeyDown(message.wParam);
}

void SettingsWindow::OnCreate() {
    StartSettingsWindow(*this, picture_, store_, errors_);
}

bool SettingsWindow::OnKeyDown(WPARAM key) {
    if (!SettingsKeyEndsWindow(key == VK_ESCAPE ? SaverKey::Escape : SaverKey::Other)) return false;
    Terminate();
    return true;
}

void SettingsWindow::OnClose() {
    Terminate();
}

// The window's WM_DESTROY terminates the application. The system would hand
// the activation to the next window down, which need not be the owner.
void SettingsWindow::Terminate() {
    HWND owner = GetWindow(Handle, GW_OWNER);
    if (owner && GetForegroundWindow() == Handle) SetForegroundWindow(owner);
    DestroyWindow(Handle);
}

// The timer stops while the window cannot be seen; a tick already on its way
// then draws nothing either.
void SettingsWindow::OnTimer() {
    if (contextFailure_.empty() && WhatPaintDraws(sight_.Seen()) == PaintDraws::Picture)
        RenderFrame(picture_, frame_);
}

void SettingsWindow::StartFrames() {
    SetTimer(Handle, kTimerId, kSettingsTimerMs, nullptr);
}

void SettingsWindow::StopFrames() {
    KillTimer(Handle, kTimerId);
}

// Trackbars report every scroll step, moved or not; a change handler runs
// only when the position really changed, as it does for a slider's OnChange.
void SettingsWindow::OnSliderChange(int row) {
    const int position = SliderPosition(row);
    if (position == sliderPositions_[static_cast<size_t>(row)]) return;
    sliderPositions_[static_cast<size_t>(row)] = position;
    SliderChange(picture_.settings, row, position);
}

void SettingsWindow::OnCheckBoxClick(int row) {
    const HWND box = rowControls_[static_cast<size_t>(row)];
    CheckBoxClick(picture_.settings, row, SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

void SettingsWindow::OnSaveClick() {
    SaveSettingsForUser(picture_.settings, store_, errors_);
}

void SettingsWindow::OnSiteClick() {
    ShellExecuteA(Handle, "open", kProductSite, nullptr, nullptr, SW_SHOWNORMAL);
}

int SettingsWindow::SliderPosition(int row) {
    return static_cast<int>(SendMessageA(rowControls_[static_cast<size_t>(row)], TBM_GETPOS, 0, 0));
}

// TBM_SETPOS does not notify: the caller decides whether the change handler runs.
void SettingsWindow::SetSliderPosition(int row, int position) {
    SendMessageA(rowControls_[static_cast<size_t>(row)], TBM_SETPOS, TRUE, position);
    sliderPositions_[static_cast<size_t>(row)] = position;
}

void SettingsWindow::SetCheckBox(int row, bool checked) {
    SendMessageA(rowControls_[static_cast<size_t>(row)], BM_SETCHECK,
                 checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Client size first, then the outer size, then centred by the client size,
// each at the layout's size fitted to the monitor's work area, and kept
// inside that area.
void SettingsWindow::SizeAndCentre() {
    HMONITOR monitor = MonitorFromWindow(Handle, MONITOR_DEFAULTTONEAREST);
    const PixelSize fitted = FittedOuter(monitor);
    if (!(fitted == outer_)) {
        outer_ = fitted;
        PlaceControls();
    }
    const SIZE outer = OuterSize(outer_.width, outer_.height);
    SetWindowPos(Handle, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(Handle, nullptr, 0, 0, outer_.width, outer_.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(Handle, &client);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    PixelRect work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoA(monitor, &info))
        work = {info.rcWork.left, info.rcWork.top, info.rcWork.right - info.rcWork.left,
                info.rcWork.bottom - info.rcWork.top};
    const ScreenPoint at =
        SettingsOrigin({CentredOrigin(GetSystemMetrics(SM_CXSCREEN), client.right),
                        CentredOrigin(GetSystemMetrics(SM_CYSCREEN), client.bottom)},
                       outer_, work);
    SetWindowPos(Handle, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SettingsWindow::AttachContext() {
    RECT outer{};
    GetWindowRect(Handle, &outer);
    const GlViewport picture =
        SettingsPictureViewport(outer.right - outer.left, outer.bottom - outer.top, dpi_);
    contextFailure_ = AttachGLContext(Handle, GlVariant::Settings, &picture);
    if (contextFailure_.empty()) frame_.swap = SwapCurrentBuffers;
}

}  // namespace zarvella::win32
