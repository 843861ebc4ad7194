/* A stand-in for the display dialog's preview area: a plain X window that a
 * preview is started into. Prints its id in decimal, keeps it for the given
 * number of seconds, destroys it (as the dialog does when it closes), prints
 * "destroyed" and exits.
 *
 *   x_parent_window SECONDS [WIDTH HEIGHT]
 */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? atoi(argv[1]) : 5;
    const int width = argc > 3 ? atoi(argv[2]) : 152;
    const int height = argc > 3 ? atoi(argv[3]) : 112;
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "x_parent_window: cannot open the display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window area =
        XCreateSimpleWindow(display, RootWindow(display, screen), 20, 20, width, height, 0,
                            BlackPixel(display, screen), BlackPixel(display, screen));
    XMapWindow(display, area);
    XSync(display, False);
    printf("%lu\n", (unsigned long)area);
    fflush(stdout);
    for (int i = 0; i < seconds * 10; ++i) {
        usleep(100000);
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
    }
    XDestroyWindow(display, area);
    XSync(display, False);
    printf("destroyed\n");
    fflush(stdout);
    XCloseDisplay(display);
    return 0;
}
