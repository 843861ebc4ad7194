// A small X11 tool for the end-to-end tests: it makes the foreign windows the
// saver is embedded into, destroys them, asks windows to close as a window
// manager would, and tells whether the pointer's cursor is blank.
//
//   x11_test_window create WIDTHxHEIGHT+X+Y [RRGGBB|input-only|managed [PARENT]]
//                                                        print the id, live until killed
//                                                        (a child of PARENT when given;
//                                                        managed: grey, left to the WM)
//   x11_test_window destroy ID
//   x11_test_window resize ID WIDTHxHEIGHT
//   x11_test_window close ID                             send WM_DELETE_WINDOW
//   x11_test_window cursor                               "blank", "visible" or "unknown"
//   x11_test_window input-rectangles ID                  rectangles of its input shape
//                                                        (0: it takes no input), or "unknown"
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

volatile std::sig_atomic_t Stop = 0;
void OnSignal(int) {
    Stop = 1;
}

int Create(Display* display, const char* geometry, const char* colour, Window parent) {
    int x = 0, y = 0;
    unsigned width = 200, height = 150;
    XParseGeometry(geometry, &x, &y, &width, &height);
    const bool inputOnly = colour && !std::strcmp(colour, "input-only");
    const bool managed = colour && !std::strcmp(colour, "managed");
    const unsigned long background =
        colour && !managed ? std::strtoul(colour, nullptr, 16) : 0x808080;
    XSetWindowAttributes attributes{};
    attributes.background_pixel = background;
    attributes.override_redirect = !managed;  // placed where asked, whatever the window manager
    const Window window = XCreateWindow(
        display, parent ? parent : DefaultRootWindow(display), x, y, width, height, 0,
        inputOnly ? 0 : CopyFromParent, inputOnly ? InputOnly : InputOutput, CopyFromParent,
        inputOnly ? CWOverrideRedirect : CWBackPixel | CWOverrideRedirect, &attributes);
    XStoreName(display, window, "zarvella-test-parent");
    XMapRaised(display, window);
    XSync(display, False);
    std::printf("%lu\n", window);
    std::fflush(stdout);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    while (!Stop) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
        usleep(20000);
    }
    return 0;  // closing the connection destroys the window
}

int Close(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return 0;
}

// XFixes is loaded at run time: its library comes with every X client stack,
// its headers (libxfixes-dev) do not.
struct CursorImage {  // XFixesCursorImage
    short x, y;
    unsigned short width, height;
    unsigned short xhot, yhot;
    unsigned long cursor_serial;
    unsigned long* pixels;
};

int CursorState(Display* display) {
    void* library = dlopen("libXfixes.so.3", RTLD_NOW);
    if (!library) {
        std::puts("unknown");
        return 0;
    }
    using QueryExtension = Bool (*)(Display*, int*, int*);
    using GetCursorImage = CursorImage* (*)(Display*);
    auto query = reinterpret_cast<QueryExtension>(dlsym(library, "XFixesQueryExtension"));
    auto get = reinterpret_cast<GetCursorImage>(dlsym(library, "XFixesGetCursorImage"));
    int eventBase, errorBase;
    CursorImage* image =
        (query && get && query(display, &eventBase, &errorBase)) ? get(display) : nullptr;
    if (!image) {
        std::puts("unknown");
        return 0;
    }
    bool visible = false;
    for (int i = 0; i < image->width * image->height; ++i) {
        if ((image->pixels[i] >> 24) & 0xff) visible = true;
    }
    XFree(image);
    std::puts(visible ? "visible" : "blank");
    return 0;
}

// The input shape of a window (the SHAPE extension, libXext loaded at run
// time like XFixes): a window that takes no input has no rectangles.
int InputRectangles(Display* display, Window window) {
    void* library = dlopen("libXext.so.6", RTLD_NOW);
    using GetRectangles = XRectangle* (*)(Display*, Window, int, int*, int*);
    auto get =
        library ? reinterpret_cast<GetRectangles>(dlsym(library, "XShapeGetRectangles")) : nullptr;
    if (!get) {
        std::puts("unknown");
        return 0;
    }
    constexpr int kShapeInput = 2;
    int count = -1, ordering = 0;
    XRectangle* rectangles = get(display, window, kShapeInput, &count, &ordering);
    if (rectangles) XFree(rectangles);
    std::printf("%d\n", count);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s create GEOMETRY [RRGGBB] | destroy ID | close ID | cursor\n",
                     argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 1;
    }
    const char* command = argv[1];
    if (!std::strcmp(command, "create") && argc >= 3)
        return Create(display, argv[2], argc >= 4 ? argv[3] : nullptr,
                      argc >= 5 ? std::strtoul(argv[4], nullptr, 0) : 0);
    if (!std::strcmp(command, "destroy") && argc >= 3) {
        XDestroyWindow(display, std::strtoul(argv[2], nullptr, 0));
        XSync(display, False);
        return 0;
    }
    if (!std::strcmp(command, "resize") && argc >= 4) {
        int x = 0, y = 0;
        unsigned width = 1, height = 1;
        XParseGeometry(argv[3], &x, &y, &width, &height);
        XResizeWindow(display, std::strtoul(argv[2], nullptr, 0), width, height);
        XSync(display, False);
        return 0;
    }
    if (!std::strcmp(command, "close") && argc >= 3)
        return Close(display, std::strtoul(argv[2], nullptr, 0));
    if (!std::strcmp(command, "cursor")) return CursorState(display);
    if (!std::strcmp(command, "input-rectangles") && argc >= 3) {
        return InputRectangles(display, std::strtoul(argv[2], nullptr, 0));
    }
    std::fprintf(stderr, "%s: unknown command\n", argv[0]);
    return 2;
}
