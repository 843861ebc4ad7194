#include "platform/linux/x11_window.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
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

namespace {
xcb_atom_t Atom(xcb_connection_t* connection, const std::string& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// The window a property of `window` names, or 0.
xcb_window_t WindowProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name) {
    if (name == XCB_ATOM_NONE) return 0;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, XCB_ATOM_WINDOW, 0, 1), nullptr);
    xcb_window_t value = 0;
    if (reply && xcb_get_property_value_length(reply) == 4)
        value = *static_cast<xcb_window_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}
}  // namespace

bool WindowManagerRuns() {
    const OwnDisplay& display = Own();
    xcb_connection_t* connection = display.connection;
    if (!connection) return false;
    const xcb_atom_t selection = Atom(connection, "WM_S" + std::to_string(display.defaultScreen));
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    if (owned) return true;
    // The check window names itself; a stale property names a window that is gone.
    const xcb_atom_t check = Atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t child = WindowProperty(connection, DefaultRoot(display), check);
    return child != 0 && WindowProperty(connection, child, check) == child;
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
