#include "platform/linux/x11_sight.h"

// Xlib's headers define macros (None, Status, Bool) that clash with Qt's
// names: they stay in this file, which includes nothing of Qt.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <thread>

namespace zarvella::linux_shell {

namespace {

constexpr uint32_t kOwnEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_VISIBILITY_CHANGE;
constexpr uint32_t kAncestorEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;

// Structure events of every window the window lies in, up to (not
// including) the root; asked again after a reparenting, for the new ones.
void SelectAncestors(xcb_connection_t* c, xcb_window_t window) {
    for (int depth = 0; depth < 64; ++depth) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
        if (!tree) return;
        const xcb_window_t parent = tree->parent, root = tree->root;
        std::free(tree);
        if (parent == XCB_NONE || parent == root) return;
        xcb_change_window_attributes(c, parent, XCB_CW_EVENT_MASK, &kAncestorEvents);
        window = parent;
    }
}

// 1 viewable, 0 not, -1 the window is gone.
int Viewable(xcb_connection_t* c, xcb_window_t window) {
    xcb_get_window_attributes_reply_t* a =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    if (!a) return -1;
    const int viewable = a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return viewable;
}

void Follow(xcb_connection_t* c, xcb_window_t window,
            const std::function<void(bool viewable, bool covered)>& changed) {
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &kOwnEvents);
    SelectAncestors(c, window);
    bool covered = false;
    int lastViewable = -2, lastCovered = -1;
    for (;;) {
        const int viewable = Viewable(c, window);
        if (viewable < 0) return;
        if (viewable != lastViewable || covered != lastCovered) {
            changed(viewable == 1, covered);
            lastViewable = viewable;
            lastCovered = covered;
        }
        xcb_generic_event_t* event = xcb_wait_for_event(c);
        if (!event) return;  // the connection broke
        switch (event->response_type & 0x7f) {
            case XCB_VISIBILITY_NOTIFY: {
                const auto* v = reinterpret_cast<xcb_visibility_notify_event_t*>(event);
                if (v->window == window) covered = v->state == XCB_VISIBILITY_FULLY_OBSCURED;
                break;
            }
            case XCB_REPARENT_NOTIFY:
                SelectAncestors(c, window);
                break;
            default:
                break;  // map, unmap and the rest: the state is read again
        }
        std::free(event);
    }
}

}  // namespace

void FollowX11Sight(unsigned long window,
                    std::function<void(bool viewable, bool covered)> changed) {
    std::thread([window, changed = std::move(changed)] {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        if (!xcb_connection_has_error(c)) Follow(c, static_cast<xcb_window_t>(window), changed);
        xcb_disconnect(c);
    }).detach();
}

DpmsMonitor::DpmsMonitor() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    int eventBase = 0, errorBase = 0;
    if (DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display)) {
        display_ = display;
    } else {
        XCloseDisplay(display);
    }
}

DpmsMonitor::~DpmsMonitor() {
    if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

bool DpmsMonitor::MonitorsOff() const {
    if (!display_) return false;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(static_cast<Display*>(display_), &level, &enabled)) return false;
    return enabled && level != DPMSModeOn;
}

}  // namespace zarvella::linux_shell
