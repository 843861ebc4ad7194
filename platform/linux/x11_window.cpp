#include "x11_window.h"

#include <X11/Xlib.h>

namespace zarvella::linux_shell {

namespace {

int IgnoreError(Display*, XErrorEvent*) { return 0; }

Display* OwnDisplay() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

}  // namespace

ForeignWindow QueryForeignWindow(unsigned long id) {
    ForeignWindow result;
    Display* display = OwnDisplay();
    if (!display || id == 0) return result;
    // The error handler is process-wide and Qt has its own: swap it only
    // around our request, on the main thread.
    XSync(display, False);
    auto* previous = XSetErrorHandler(IgnoreError);
    XWindowAttributes attributes;
    const Status status = XGetWindowAttributes(display, static_cast<Window>(id), &attributes);
    XSync(display, False);
    XSetErrorHandler(previous);
    if (status == 0) return result;
    result.exists = true;
    result.width = attributes.width;
    result.height = attributes.height;
    return result;
}

unsigned long RootWindowId() {
    Display* display = OwnDisplay();
    return display ? DefaultRootWindow(display) : 0;
}

}  // namespace zarvella::linux_shell
