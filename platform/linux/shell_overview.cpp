#include "platform/linux/shell_overview.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariant>
#include <cstdlib>

namespace zarvella::linux_shell {

void CloseShellOverview() {
    // Without an address Qt would start a bus of its own for nothing.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || !*address) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered("org.gnome.Shell")) return;
    QDBusMessage set = QDBusMessage::createMethodCall("org.gnome.Shell", "/org/gnome/Shell",
                                                      "org.freedesktop.DBus.Properties", "Set");
    set << QString("org.gnome.Shell") << QString("OverviewActive")
        << QVariant::fromValue(QDBusVariant(false));
    // Waited for (briefly): our windows must map after the overview has gone.
    bus.call(set, QDBus::Block, 1000);
}

}  // namespace zarvella::linux_shell
