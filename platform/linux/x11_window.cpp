#include "platform/linux/x11_window.h"

#include <sys/uio.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zarvella::linux_shell {

namespace {

// The program's own connection and the display's default screen (the one Qt
// draws on): one per process, made at the first use, shared with the
// watching thread, never closed.
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

xcb_connection_t* OwnConnection() {
    return Own().connection;
}

namespace {

// The handlers of the watching thread, by the window their events are
// reported for, and what this connection selected on each window.
struct Watches {
    std::mutex lock;
    struct Entry {
        xcb_window_t window;
        std::shared_ptr<XEventHandler> handler;
    };
    std::vector<Entry> entries;
    std::map<xcb_window_t, uint32_t> selected;
    bool threadStarted = false;
};

// Never destroyed: the watching thread may still use it while the process exits.
Watches& TheWatches() {
    static Watches& watches = *new Watches;
    return watches;
}

// The window a structure, visibility, focus or crossing event is reported
// for (the one whose selection brought it); 0 for any other event.
xcb_window_t ReportedFor(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
        case XCB_ENTER_NOTIFY:
        case XCB_LEAVE_NOTIFY:
            return reinterpret_cast<const xcb_leave_notify_event_t&>(event).event;
        case XCB_FOCUS_IN:
        case XCB_FOCUS_OUT:
        case XCB_VISIBILITY_NOTIFY:
        case XCB_CREATE_NOTIFY:
        case XCB_DESTROY_NOTIFY:
        case XCB_UNMAP_NOTIFY:
        case XCB_MAP_NOTIFY:
        case XCB_REPARENT_NOTIFY:
        case XCB_CONFIGURE_NOTIFY:
        case XCB_GRAVITY_NOTIFY:
        case XCB_CIRCULATE_NOTIFY: {
            xcb_window_t window;  // each of these has it right after the sequence
            std::memcpy(&window, reinterpret_cast<const char*>(&event) + 4, sizeof window);
            return window;
        }
        default:
            return 0;
    }
}

// Sleeps in the server's events; ends with the connection.
void WatchThread(xcb_connection_t* connection) {
    Watches& watches = TheWatches();
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const xcb_window_t window = ReportedFor(*event);
        std::vector<std::shared_ptr<XEventHandler>> handlers;
        if (window != 0) {
            const std::lock_guard<std::mutex> hold(watches.lock);
            for (const auto& entry : watches.entries)
                if (entry.window == window) handlers.push_back(entry.handler);
        }
        for (const auto& handler : handlers) {
            if ((*handler)(*event)) continue;
            const std::lock_guard<std::mutex> hold(watches.lock);
            std::erase_if(watches.entries, [&](const auto& e) { return e.handler == handler; });
        }
        std::free(event);
    }
}

}  // namespace

bool WatchXEvents(unsigned long id, uint32_t mask, XEventHandler handler) {
    xcb_connection_t* connection = Own().connection;
    if (!connection || id == 0) return false;
    const xcb_window_t window = static_cast<xcb_window_t>(id);
    Watches& watches = TheWatches();
    auto shared = std::make_shared<XEventHandler>(std::move(handler));
    uint32_t all = mask;
    {
        const std::lock_guard<std::mutex> hold(watches.lock);
        watches.entries.push_back({window, shared});
        all |= watches.selected[window];
        watches.selected[window] = all;
        if (!watches.threadStarted) {
            watches.threadStarted = true;
            std::thread(WatchThread, connection).detach();
        }
    }
    // Checked: a window that is gone (or never was) answers with an error.
    xcb_generic_error_t* error = xcb_request_check(
        connection,
        xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &all));
    if (!error) return true;
    std::free(error);
    const std::lock_guard<std::mutex> hold(watches.lock);
    std::erase_if(watches.entries, [&](const auto& e) { return e.handler == shared; });
    watches.selected.erase(window);
    return false;
}

namespace {
[[noreturn]] void EndProcess() {
    std::fflush(nullptr);
    std::_Exit(0);
}
}  // namespace

void EndWithForeignWindow(unsigned long id) {
    EndWithWindows(id, 0, {});
}

void EndWithWindows(unsigned long id, unsigned long own,
                    std::function<void(int width, int height)> resized) {
    const ForeignWindow start = QueryForeignWindow(id);
    auto size = std::make_shared<std::pair<int, int>>(start.width, start.height);
    const auto ends = [](const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7f) == XCB_DESTROY_NOTIFY) EndProcess();
        return true;
    };
    if (!WatchXEvents(id, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                      [ends, size, resized = std::move(resized)](const xcb_generic_event_t& event) {
                          if ((event.response_type & 0x7f) != XCB_CONFIGURE_NOTIFY || !resized)
                              return ends(event);
                          const auto& c =
                              reinterpret_cast<const xcb_configure_notify_event_t&>(event);
                          if (std::pair<int, int>(c.width, c.height) == *size) return true;
                          *size = {c.width, c.height};
                          resized(c.width, c.height);
                          return true;
                      }))
        EndProcess();
    if (own != 0 && !WatchXEvents(own, XCB_EVENT_MASK_STRUCTURE_NOTIFY, ends)) EndProcess();
}

void WatchStacking(unsigned long ownId, std::function<void(StackChange change)> changed) {
    const xcb_window_t own = static_cast<xcb_window_t>(ownId);
    auto report = std::make_shared<std::function<void(StackChange)>>(std::move(changed));
    WatchXEvents(
        RootWindowId(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        [own, report](const xcb_generic_event_t& event) {
            switch (event.response_type & 0x7f) {
                case XCB_MAP_NOTIFY: {
                    const auto& m = reinterpret_cast<const xcb_map_notify_event_t&>(event);
                    if (m.window != own) (*report)(StackChange::OtherMapped);
                    break;
                }
                case XCB_CONFIGURE_NOTIFY: {
                    const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
                    if (c.window != own)
                        (*report)(c.above_sibling == own ? StackChange::OtherAboveOurs
                                                         : StackChange::OtherElsewhere);
                    break;
                }
                case XCB_CIRCULATE_NOTIFY: {
                    const auto& c = reinterpret_cast<const xcb_circulate_notify_event_t&>(event);
                    if (c.window != own)
                        (*report)(c.place == XCB_PLACE_ON_TOP ? StackChange::OtherAboveOurs
                                                              : StackChange::OtherElsewhere);
                    break;
                }
                case XCB_REPARENT_NOTIFY: {  // back to the root: on top of it
                    const auto& r = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
                    if (r.window != own && r.parent == r.event)
                        (*report)(StackChange::OtherAboveOurs);
                    break;
                }
                default:
                    break;
            }
            return true;
        });
    WatchXEvents(own, XCB_EVENT_MASK_VISIBILITY_CHANGE, [report](const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7f) == XCB_VISIBILITY_NOTIFY) {
            const auto& v = reinterpret_cast<const xcb_visibility_notify_event_t&>(event);
            (*report)(v.state == XCB_VISIBILITY_UNOBSCURED ? StackChange::OursUnobscured
                                                           : StackChange::OursObscured);
        }
        return true;
    });
}

void WatchFocus(unsigned long own, std::function<void(bool grabbed)> lost) {
    WatchXEvents(own, XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_LEAVE_WINDOW,
                 [lost = std::move(lost)](const xcb_generic_event_t& event) {
                     const auto kind = event.response_type & 0x7f;
                     const auto& f = reinterpret_cast<const xcb_focus_in_event_t&>(event);
                     if (kind == XCB_FOCUS_OUT && f.mode == XCB_NOTIFY_MODE_NORMAL &&
                         f.detail != XCB_NOTIFY_DETAIL_INFERIOR)
                         lost(false);
                     else if ((kind == XCB_FOCUS_OUT && f.mode == XCB_NOTIFY_MODE_GRAB) ||
                              (kind == XCB_FOCUS_IN && f.mode == XCB_NOTIFY_MODE_WHILE_GRABBED))
                         lost(true);
                     else if (kind == XCB_LEAVE_NOTIFY &&
                              reinterpret_cast<const xcb_leave_notify_event_t&>(event).mode ==
                                  XCB_NOTIFY_MODE_GRAB)
                         lost(true);
                     return true;
                 });
}

void FocusWindow(unsigned long id) {
    xcb_connection_t* connection = Own().connection;
    if (!connection) return;
    // The current time: a stamp of ours could be older than the window
    // manager's last focus change, and the server would ignore the request.
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(id),
                        XCB_CURRENT_TIME);
    xcb_flush(connection);
}

namespace {
void Restack(unsigned long id, uint32_t mode) {
    xcb_connection_t* connection = Own().connection;
    if (!connection) return;
    xcb_configure_window(connection, static_cast<xcb_window_t>(id), XCB_CONFIG_WINDOW_STACK_MODE,
                         &mode);
    xcb_flush(connection);
}
}  // namespace

void RaiseWindow(unsigned long id) {
    Restack(id, XCB_STACK_MODE_ABOVE);
}

void LowerWindow(unsigned long id) {
    Restack(id, XCB_STACK_MODE_BELOW);
}

// DPMS through the generic request interface: libxcb-dpms's headers are not
// needed for its two requests, each a bare header with a small reply.
namespace {
xcb_extension_t dpmsExtension = {"DPMS", 0};

// The reply of DPMS request `minor` (1 Capable, 7 Info), or null.
std::unique_ptr<uint8_t, decltype(&std::free)> DpmsReply(uint8_t minor) {
    std::unique_ptr<uint8_t, decltype(&std::free)> none(nullptr, &std::free);
    xcb_connection_t* connection = Own().connection;
    if (!connection) return none;
    const xcb_query_extension_reply_t* present = xcb_get_extension_data(connection, &dpmsExtension);
    if (!present || !present->present) return none;
    const xcb_protocol_request_t request = {1, &dpmsExtension, minor, 0};
    struct {
        uint8_t major, minor;
        uint16_t length;
    } header{0, minor, 1};
    iovec parts[3];
    parts[2] = {&header, sizeof header};
    const unsigned sequence =
        xcb_send_request(connection, XCB_REQUEST_CHECKED, parts + 2, &request);
    xcb_generic_error_t* error = nullptr;
    std::unique_ptr<uint8_t, decltype(&std::free)> reply(
        static_cast<uint8_t*>(xcb_wait_for_reply(connection, sequence, &error)), &std::free);
    std::free(error);
    return reply;
}
}  // namespace

bool DpmsCapable() {
    const auto reply = DpmsReply(1);
    return reply && reply.get()[8] != 0;  // capable: the byte after the reply's header
}

bool DpmsMonitorsOff() {
    const auto reply = DpmsReply(7);
    if (!reply) return false;
    uint16_t level = 0;  // power level, then whether DPMS is enabled
    std::memcpy(&level, reply.get() + 8, sizeof level);
    return reply.get()[10] != 0 && level != 0;
}

}  // namespace zarvella::linux_shell
