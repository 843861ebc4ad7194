#include "platform/linux/x11_window.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace zarvella::linux_shell {

namespace {

constexpr auto kWatchInterval = std::chrono::milliseconds(100);

// The program's own connection and the display's default screen (the one Qt
// draws on): one per process, made at the first use, shared with the
// watching threads, never closed.
struct OwnDisplay {
    xcb_connection_t* connection = nullptr;
    int defaultScreen = 0;
};

const OwnDisplay& Own() {
    static const OwnDisplay display = [] {
        OwnDisplay d;
        d.connection = xcb_connect(nullptr, &d.defaultScreen);
        if (xcb_connection_has_error(d.connection)) {
            xcb_disconnect(d.connection);
            d.connection = nullptr;
        }
        return d;
    }();
    return display;
}

xcb_window_t DefaultRoot(const OwnDisplay& display) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(display.connection));
    for (int k = 0; k < display.defaultScreen && screens.rem > 0; ++k) xcb_screen_next(&screens);
    return screens.rem > 0 ? screens.data->root : 0;
}

}  // namespace

ForeignWindow QueryForeignWindow(unsigned long id) {
    ForeignWindow result;
    const OwnDisplay& display = Own();
    xcb_connection_t* connection = display.connection;
    if (!connection || id == 0) return result;
    const xcb_window_t window = static_cast<xcb_window_t>(id);
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), &error);
    std::free(error);
    if (!geometry) return result;
    // A pixmap answers GetGeometry too; only a window has attributes.
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), &error);
    std::free(error);
    if (attributes) {
        result.exists = true;
        result.width = geometry->width;
        result.height = geometry->height;
        result.inputOnly = attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY;
        result.otherScreen = geometry->root != DefaultRoot(display);
    }
    std::free(attributes);
    std::free(geometry);
    return result;
}

bool DisplayOpens() {
    return Own().connection != nullptr;
}

unsigned long RootWindowId() {
    const OwnDisplay& display = Own();
    return display.connection ? DefaultRoot(display) : 0;
}

void EndWithForeignWindow(unsigned long id) {
    EndWithWindows(id, 0, {});
}

void EndWithWindows(unsigned long id, unsigned long own,
                    std::function<void(int width, int height)> resized) {
    std::thread([id, own, resized = std::move(resized)] {
        ForeignWindow last = QueryForeignWindow(id);
        while (last.exists && (own == 0 || QueryForeignWindow(own).exists)) {
            std::this_thread::sleep_for(kWatchInterval);
            const ForeignWindow now = QueryForeignWindow(id);
            if (now.exists && resized && (now.width != last.width || now.height != last.height))
                resized(now.width, now.height);
            last = now;
        }
        std::fflush(nullptr);
        std::_Exit(0);
    }).detach();
}

}  // namespace zarvella::linux_shell
