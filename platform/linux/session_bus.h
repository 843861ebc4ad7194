// Whether the session bus may be asked at all.
#pragma once

#include <cstdlib>

namespace zarvella::linux_shell {

// DBUS_SESSION_BUS_ADDRESS names a bus. Without it Qt's libdbus would
// autolaunch a dbus-daemon that outlives us: the session bus is not asked.
inline bool SessionBusNamed() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    return address && *address;
}

}  // namespace zarvella::linux_shell
