#include "platform/linux/wayland_display.h"

#include <wayland-client.h>

#include <cstdlib>

namespace zarvella::linux_shell {

bool WaylandDisplayOpens() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name) return false;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return false;
    wl_display_disconnect(display);
    return true;
}

}  // namespace zarvella::linux_shell
