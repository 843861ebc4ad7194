/* probe.exe: looks at windows from outside the saver, for the Wine tests.
 *
 *   probe find TITLE            first top-level window titled TITLE
 *   probe find-class CLASS      first top-level window of class CLASS
 *   probe children HWND         the direct children of HWND
 *   probe sliders HWND          positions of the settings window's sliders and check box
 *   probe focus HWND            control id of the keyboard focus in HWND's thread
 *   probe cursor                "shown" or "hidden": the foreground thread's cursor
 *   probe msgbox [close]        texts of the first message box; "close" presses its OK
 *   probe parent W H            a frame with a W x H child area to hold a preview, as the
 *                               system dialog has; prints the area's handle
 *   probe dialog                a top-level window standing in for the dialog that opens the
 *                               settings; prints its handle
 *   probe foreground            the handle of the foreground window
 *   probe theme HWND            whether the settings window's check box, first slider and
 *                               first button have a visual-styles theme (1) or not (0)
 *   probe close HWND            posts WM_CLOSE
 *   probe show HWND 0|1         hides or shows the top-level window holding HWND (its own
 *                               thread does it, as a dialog hides itself)
 *   probe resources FILE        string 1, icon, manifest and file version of a program
 *   probe record TEXT           stores TEXT as "Opened" under HKCU\Software\ZarvellaTest
 *                               (stands in for the web browser)
 *
 * A window is printed as one line of key=value pairs; nothing found exits 1.
 */
/* windows.h first: the other Windows headers need its types. */
/* clang-format off */
#include <windows.h>
/* clang-format on */
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <uxtheme.h>

static void print_window(HWND w) {
    char title[256] = "", cls[256] = "";
    RECT r, c;
    POINT origin = {0, 0};
    DWORD pid = 0;
    GetWindowTextA(w, title, sizeof title);
    GetClassNameA(w, cls, sizeof cls);
    GetWindowRect(w, &r);
    GetClientRect(w, &c);
    ClientToScreen(w, &origin);
    GetWindowThreadProcessId(w, &pid);
    printf(
        "hwnd=%lu class=%s style=0x%08lx exstyle=0x%08lx rect=%ld,%ld,%ld,%ld size=%ldx%ld "
        "client=%ld,%ld,%ldx%ld visible=%d enabled=%d owner=%lu pid=%lu title=%s\n",
        (unsigned long)(UINT_PTR)w, cls, (unsigned long)GetWindowLongA(w, GWL_STYLE),
        (unsigned long)GetWindowLongA(w, GWL_EXSTYLE), r.left, r.top, r.right, r.bottom,
        r.right - r.left, r.bottom - r.top, origin.x, origin.y, c.right, c.bottom,
        IsWindowVisible(w) ? 1 : 0, IsWindowEnabled(w) ? 1 : 0,
        (unsigned long)(UINT_PTR)GetWindow(w, GW_OWNER), (unsigned long)pid, title);
}

struct search {
    const char* text;
    int byClass;
    HWND found;
};

static BOOL CALLBACK match(HWND w, LPARAM p) {
    struct search* s = (struct search*)p;
    char buf[256] = "";
    if (s->byClass)
        GetClassNameA(w, buf, sizeof buf);
    else
        GetWindowTextA(w, buf, sizeof buf);
    if (strcmp(buf, s->text) == 0 && IsWindowVisible(w)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

static HWND find_top(const char* text, int byClass) {
    struct search s = {text, byClass, NULL};
    EnumWindows(match, (LPARAM)&s);
    return s.found;
}

static HWND parse_hwnd(const char* text) {
    return (HWND)(UINT_PTR)strtoul(text, NULL, 10);
}

static int children(HWND parent) {
    int n = 0;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT), ++n)
        print_window(w);
    return n ? 0 : 1;
}

// By the row each control stands for; the sliders' ids are 101 to 106 in
// the rows' order.
static int sliders(HWND form) {
    static const char* const names[] = {"speed",    "brightness", "size",
                                        "segments", "detail",     "picture"};
    for (int i = 0; i < 6; ++i) {
        HWND bar = GetDlgItem(form, 101 + i);
        if (!bar) return 1;
        printf("%s=%ld ", names[i], (long)SendMessageA(bar, TBM_GETPOS, 0, 0));
    }
    printf("random=%ld\n", (long)SendMessageA(GetDlgItem(form, 200), BM_GETCHECK, 0, 0));
    return 0;
}

static int focus(HWND form) {
    GUITHREADINFO info;
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(form, NULL), &info) || !info.hwndFocus) return 1;
    printf("%d\n", GetDlgCtrlID(info.hwndFocus));
    return 0;
}

static int cursor(void) {
    CURSORINFO info;
    info.cbSize = sizeof info;
    if (!GetCursorInfo(&info)) return 1;
    printf("%s\n", (info.flags & CURSOR_SHOWING) ? "shown" : "hidden");
    return 0;
}

static int msgbox(int close) {
    HWND box = find_top("#32770", 1);
    if (!box) return 1;
    char title[256] = "";
    GetWindowTextA(box, title, sizeof title);
    printf("title=%s\n", title);
    for (HWND w = GetWindow(box, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        char cls[64] = "", text[512] = "";
        GetClassNameA(w, cls, sizeof cls);
        GetWindowTextA(w, text, sizeof text);
        if (_stricmp(cls, "Static") == 0 && text[0]) printf("text=%s\n", text);
    }
    if (close) PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

static LRESULT CALLBACK parent_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

static void register_parent_class(void) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = parent_proc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    wc.lpszClassName = "PreviewParent";
    RegisterClassA(&wc);
}

/* Prints the window's handle, then serves it until it is closed. */
static int serve(HWND w) {
    if (!w) return 1;
    printf("%lu\n", (unsigned long)(UINT_PTR)w);
    fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

static int parent(int width, int height) {
    register_parent_class();
    HWND frame =
        CreateWindowExA(0, "PreviewParent", "Preview Parent", WS_POPUP | WS_VISIBLE, 190, 190,
                        width + 20, height + 20, NULL, NULL, GetModuleHandleA(NULL), NULL);
    return serve(CreateWindowExA(0, "PreviewParent", "Preview Area", WS_CHILD | WS_VISIBLE, 10, 10,
                                 width, height, frame, NULL, GetModuleHandleA(NULL), NULL));
}

static int dialog(void) {
    register_parent_class();
    HWND w = CreateWindowExA(0, "PreviewParent", "Screen Saver Settings",
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, NULL, NULL,
                             GetModuleHandleA(NULL), NULL);
    SetForegroundWindow(w);
    return serve(w);
}

static int theme(HWND form) {
    printf("checkbox=%d trackbar=%d button=%d\n", GetWindowTheme(GetDlgItem(form, 200)) != NULL,
           GetWindowTheme(GetDlgItem(form, 101)) != NULL,
           GetWindowTheme(GetDlgItem(form, 301)) != NULL);
    return 0;
}

static BOOL CALLBACK count_icon(HMODULE m, LPCSTR type, LPSTR name, LONG_PTR p) {
    (void)m;
    (void)type;
    (void)name;
    ++*(int*)p;
    return TRUE;
}

static int resources(const char* file) {
    HMODULE m = LoadLibraryExA(file, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!m) return 1;
    char text[256] = "";
    LoadStringA(m, 1, text, sizeof text);
    printf("string1=%s\n", text);
    int icons = 0;
    EnumResourceNamesA(m, (LPCSTR)RT_GROUP_ICON, count_icon, (LONG_PTR)&icons);
    printf("icons=%d\n", icons);
    HRSRC manifest = FindResourceA(m, MAKEINTRESOURCEA(1), (LPCSTR)RT_MANIFEST);
    const char* xml = manifest ? (const char*)LockResource(LoadResource(m, manifest)) : NULL;
    DWORD xmlSize = manifest ? SizeofResource(m, manifest) : 0;
    int v6 = 0;
    for (DWORD i = 0; xml && i + 30 < xmlSize; ++i) {
        if (!strncmp(xml + i, "Microsoft.Windows.Common-Controls", 33))
            v6 = strstr(xml, "version=\"6.0.0.0\"") != NULL;
    }
    printf("manifest=%d commoncontrols6=%d\n", manifest != NULL, v6);
    FreeLibrary(m);
    DWORD handle = 0, size = GetFileVersionInfoSizeA(file, &handle);
    char* info = size ? (char*)malloc(size) : NULL;
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT len = 0;
    if (info && GetFileVersionInfoA(file, 0, size, info) &&
        VerQueryValueA(info, "\\", (void**)&fixed, &len) && fixed) {
        printf("version=%lu.%lu.%lu.%lu\n", (unsigned long)HIWORD(fixed->dwFileVersionMS),
               (unsigned long)LOWORD(fixed->dwFileVersionMS),
               (unsigned long)HIWORD(fixed->dwFileVersionLS),
               (unsigned long)LOWORD(fixed->dwFileVersionLS));
    }
    char* desc = NULL;
    if (info &&
        VerQueryValueA(info, "\\StringFileInfo\\040904B0\\FileDescription", (void**)&desc, &len) &&
        desc)
        printf("description=%s\n", desc);
    free(info);
    return 0;
}

static int record(const char* text) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\ZarvellaTest", 0, NULL, 0, KEY_ALL_ACCESS,
                        NULL, &key, NULL) != ERROR_SUCCESS) {
        return 1;
    }
    RegSetValueExA(key, "Opened", 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
    RegCloseKey(key);
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* cmd = argv[1];
    if (!strcmp(cmd, "find") && argc > 2) {
        HWND w = find_top(argv[2], 0);
        if (!w) return 1;
        print_window(w);
        return 0;
    }
    if (!strcmp(cmd, "find-class") && argc > 2) {
        HWND w = find_top(argv[2], 1);
        if (!w) return 1;
        print_window(w);
        return 0;
    }
    if (!strcmp(cmd, "children") && argc > 2) return children(parse_hwnd(argv[2]));
    if (!strcmp(cmd, "sliders") && argc > 2) return sliders(parse_hwnd(argv[2]));
    if (!strcmp(cmd, "focus") && argc > 2) return focus(parse_hwnd(argv[2]));
    if (!strcmp(cmd, "cursor")) return cursor();
    if (!strcmp(cmd, "msgbox")) return msgbox(argc > 2 && !strcmp(argv[2], "close"));
    if (!strcmp(cmd, "parent") && argc > 3) return parent(atoi(argv[2]), atoi(argv[3]));
    if (!strcmp(cmd, "dialog")) return dialog();
    if (!strcmp(cmd, "foreground")) {
        return printf("%lu\n", (unsigned long)(UINT_PTR)GetForegroundWindow()) < 0;
    }
    if (!strcmp(cmd, "theme") && argc > 2) return theme(parse_hwnd(argv[2]));
    if (!strcmp(cmd, "close") && argc > 2)
        return PostMessageA(parse_hwnd(argv[2]), WM_CLOSE, 0, 0) ? 0 : 1;
    if (!strcmp(cmd, "show") && argc > 3) {
        ShowWindow(GetAncestor(parse_hwnd(argv[2]), GA_ROOT), atoi(argv[3]) ? SW_SHOWNA : SW_HIDE);
        return 0;
    }
    if (!strcmp(cmd, "resources") && argc > 2) return resources(argv[2]);
    if (!strcmp(cmd, "record") && argc > 2) return record(argv[2]);
    return 2;
}
