/* The Wine display cases' helper, aware of every monitor's pixel density so it
 * sees windows in device pixels:
 *   display_probe monitors        one line per monitor: x,y,WxH and primary
 *   display_probe window TITLE    a top-level window: rect, client, the system's
 *                                 DPI, and how many children leave the client area
 *   display_probe notify TITLE    sends the window the notice Windows sends when
 *                                 monitors change (Wine sends none for changes
 *                                 made outside it, as with xrandr)
 */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static BOOL CALLBACK print_monitor(HMONITOR m, HDC dc, LPRECT r, LPARAM l) {
    MONITORINFO mi;
    memset(&mi, 0, sizeof mi);
    mi.cbSize = sizeof mi;
    GetMonitorInfoA(m, &mi);
    printf("monitor=%ld,%ld,%ldx%ld primary=%d\n", r->left, r->top, r->right - r->left,
           r->bottom - r->top, (mi.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    (void)dc;
    (void)l;
    return TRUE;
}

struct inside {
    RECT client;
    int children, outside;
};

static BOOL CALLBACK check_child(HWND child, LPARAM l) {
    struct inside* in = (struct inside*)l;
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(NULL, GetParent(child), (POINT*)&r, 2);
    in->children++;
    if (r.left < 0 || r.top < 0 || r.right > in->client.right || r.bottom > in->client.bottom ||
        r.right <= r.left || r.bottom <= r.top)
        in->outside++;
    return TRUE;
}

static int window(const char* title) {
    HWND w = FindWindowA(NULL, title);
    if (!w || !IsWindowVisible(w)) return 1;
    RECT r;
    struct inside in = {{0, 0, 0, 0}, 0, 0};
    POINT origin = {0, 0};
    GetWindowRect(w, &r);
    GetClientRect(w, &in.client);
    ClientToScreen(w, &origin);
    EnumChildWindows(w, check_child, (LPARAM)&in);
    HDC screen = GetDC(NULL);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    printf("rect=%ld,%ld,%ldx%ld client=%ld,%ld,%ldx%ld dpi=%d children=%d outside=%d\n", r.left,
           r.top, r.right - r.left, r.bottom - r.top, origin.x, origin.y, in.client.right,
           in.client.bottom, dpi, in.children, in.outside);
    return 0;
}

int main(int argc, char** argv) {
    SetProcessDPIAware();
    if (argc > 1 && !strcmp(argv[1], "monitors"))
        return EnumDisplayMonitors(NULL, NULL, print_monitor, 0) ? 0 : 1;
    if (argc > 2 && !strcmp(argv[1], "window")) return window(argv[2]);
    if (argc > 2 && !strcmp(argv[1], "notify")) {
        HWND w = FindWindowA(NULL, argv[2]);
        return w && SendMessageTimeoutA(
                        w, WM_DISPLAYCHANGE, 32,
                        MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
                        SMTO_ABORTIFHUNG, 5000, NULL)
                   ? 0
                   : 1;
    }
    fprintf(stderr, "usage: display_probe monitors | window TITLE | notify TITLE\n");
    return 2;
}
