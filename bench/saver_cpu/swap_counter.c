/* Preloaded into a GL program (LD_PRELOAD) to count the frames it shows:
 * every glXSwapBuffers or eglSwapBuffers (XScreenSaver 6's GL hacks draw
 * through EGL) is counted and passed on. The count, and the time of
 * the first swap (CLOCK_REALTIME, ns), are kept in the file named by
 * SWAP_COUNT_FILE, rewritten in place at every swap, so they survive the
 * program being killed at the end of a measurement. */
#define _GNU_SOURCE
#include <EGL/egl.h>
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static unsigned long swaps;
static long long first_swap_ns;
static int fd = -2;

static void record(void) {
    if (fd == -2) {
        const char* path = getenv("SWAP_COUNT_FILE");
        fd = path ? open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
    }
    if (fd < 0) return;
    char line[64];
    const int n = snprintf(line, sizeof line, "%lu %lld\n", swaps, first_swap_ns);
    if (n > 0) (void)!pwrite(fd, line, (size_t)n, 0);
}

static void count_swap(void) {
    if (swaps == 0) {
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        first_swap_ns = (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
    }
    ++swaps;
}

void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    static void (*next)(Display*, GLXDrawable);
    if (!next) next = (void (*)(Display*, GLXDrawable))dlsym(RTLD_NEXT, "glXSwapBuffers");
    count_swap();
    if (next) next(display, drawable);
    record();
}

EGLBoolean eglSwapBuffers(EGLDisplay display, EGLSurface surface) {
    static EGLBoolean (*next)(EGLDisplay, EGLSurface);
    if (!next) next = (EGLBoolean(*)(EGLDisplay, EGLSurface))dlsym(RTLD_NEXT, "eglSwapBuffers");
    count_swap();
    const EGLBoolean result = next ? next(display, surface) : EGL_FALSE;
    record();
    return result;
}
