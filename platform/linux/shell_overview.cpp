#include "platform/linux/shell_overview.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariant>
#include <utility>

#include "platform/linux/session_bus.h"

namespace zarvella::linux_shell {

namespace {

class ShieldWatch : public QObject {
    Q_OBJECT
  public:
    ShieldWatch(QObject& owner, std::function<void()> shielded)
        : QObject(&owner), shielded_(std::move(shielded)) {}

  public slots:
    void ActiveChanged(bool active) {
        if (active) shielded_();
    }

  private:
    std::function<void()> shielded_;
};

}  // namespace

void CloseShellOverview() {
    if (!SessionBusNamed()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered("org.gnome.Shell")) return;
    QDBusMessage set = QDBusMessage::createMethodCall("org.gnome.Shell", "/org/gnome/Shell",
                                                      "org.freedesktop.DBus.Properties", "Set");
    set << QString("org.gnome.Shell") << QString("OverviewActive")
        << QVariant::fromValue(QDBusVariant(false));
    // Waited for (briefly): our windows must map after the overview has gone.
    bus.call(set, QDBus::Block, 1000);
}

void OnShellShield(QObject& owner, std::function<void()> shielded) {
    if (!SessionBusNamed()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    auto* watch = new ShieldWatch(owner, std::move(shielded));
    bus.connect(QString(), "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged",
                watch, SLOT(ActiveChanged(bool)));
    // Already up: the shell itself answers (its helper is not started for this).
    QDBusMessage ask =
        QDBusMessage::createMethodCall("org.gnome.Shell.ScreenShield", "/org/gnome/ScreenSaver",
                                       "org.gnome.ScreenSaver", "GetActive");
    ask.setAutoStartService(false);
    bus.callWithCallback(ask, watch, SLOT(ActiveChanged(bool)));
}

}  // namespace zarvella::linux_shell

#include "shell_overview.moc"
