#include "platform/linux/x11_sight.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>

#include "platform/linux/x11_window.h"

namespace zarvella::linux_shell {

namespace {

constexpr uint32_t kOwnEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_VISIBILITY_CHANGE;
constexpr uint32_t kAncestorEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;

// One followed window: what was last told, on the watching thread.
struct Sight {
    xcb_window_t window = 0;
    std::function<void(bool viewable, bool covered)> changed;
    std::mutex lock;  // the first report comes from the caller's thread
    bool covered = false;
    int lastViewable = -2, lastCovered = -1;
    std::set<xcb_window_t> ancestors;
};

// 1 viewable, 0 not, -1 the window is gone.
int Viewable(xcb_connection_t* c, xcb_window_t window) {
    xcb_get_window_attributes_reply_t* a =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    if (!a) return -1;
    const int viewable = a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return viewable;
}

bool OnEvent(const std::shared_ptr<Sight>& sight, const xcb_generic_event_t& event);

// Structure events of every window the window lies in, up to (not
// including) the root; asked again after a reparenting, for the new ones.
void SelectAncestors(const std::shared_ptr<Sight>& sight) {
    xcb_connection_t* c = OwnConnection();
    xcb_window_t window = sight->window;
    for (int depth = 0; depth < 64; ++depth) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
        if (!tree) return;
        const xcb_window_t parent = tree->parent, root = tree->root;
        std::free(tree);
        if (parent == XCB_NONE || parent == root) return;
        if (sight->ancestors.insert(parent).second)
            WatchXEvents(parent, kAncestorEvents,
                         [sight](const xcb_generic_event_t& e) { return OnEvent(sight, e); });
        window = parent;
    }
}

// Reads the state again and tells it when it changed; false once the window is gone.
bool Report(Sight& sight) {
    const int viewable = Viewable(OwnConnection(), sight.window);
    if (viewable < 0) return false;
    if (viewable != sight.lastViewable || sight.covered != sight.lastCovered) {
        sight.changed(viewable == 1, sight.covered);
        sight.lastViewable = viewable;
        sight.lastCovered = sight.covered;
    }
    return true;
}

bool OnEvent(const std::shared_ptr<Sight>& sight, const xcb_generic_event_t& event) {
    const std::lock_guard<std::mutex> hold(sight->lock);
    switch (event.response_type & 0x7f) {
        case XCB_VISIBILITY_NOTIFY: {
            const auto& v = reinterpret_cast<const xcb_visibility_notify_event_t&>(event);
            if (v.window == sight->window)
                sight->covered = v.state == XCB_VISIBILITY_FULLY_OBSCURED;
            break;
        }
        case XCB_REPARENT_NOTIFY:
            SelectAncestors(sight);
            break;
        default:
            break;  // map, unmap and the rest: the state is read again
    }
    return Report(*sight);
}

}  // namespace

void FollowX11Sight(unsigned long window,
                    std::function<void(bool viewable, bool covered)> changed) {
    auto sight = std::make_shared<Sight>();
    sight->window = static_cast<xcb_window_t>(window);
    sight->changed = std::move(changed);
    const std::lock_guard<std::mutex> hold(sight->lock);
    if (!WatchXEvents(window, kOwnEvents,
                      [sight](const xcb_generic_event_t& e) { return OnEvent(sight, e); }))
        return;
    SelectAncestors(sight);
    Report(*sight);
}

DpmsMonitor::DpmsMonitor() : available_(DpmsCapable()) {}

bool DpmsMonitor::MonitorsOff() const {
    return available_ && DpmsMonitorsOff();
}

}  // namespace zarvella::linux_shell
