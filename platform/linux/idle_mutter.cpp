// --idle on GNOME: mutter's idle monitor on the session bus (an idle watch,
// then a one-shot user-active watch after each idle), and gnome-session's
// idle inhibitors, asked before each start.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>

#include "platform/linux/idle.h"

namespace zarvella::linux_shell {

namespace {

constexpr const char* kMutter = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kMonitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
// gnome-session's inhibitor flag for "do not count the session idle".
constexpr uint kInhibitIdle = 8;

QDBusMessage MonitorCall(const char* method) {
    return QDBusMessage::createMethodCall(kMutter, kMonitorPath, kMutter, method);
}

class MutterWatch : public IdleWatch {
    Q_OBJECT

  public:
    MutterWatch(int seconds, IdleListener& listener)
        : listener_(listener),
          gone_(kMutter, QDBusConnection::sessionBus(),
                QDBusServiceWatcher::WatchForUnregistration) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.connect(kMutter, kMonitorPath, kMutter, "WatchFired", this, SLOT(Fired(uint)));
        connect(&gone_, &QDBusServiceWatcher::serviceUnregistered, this, [this] { Lost(); });
        // The bus itself may go first, as the session ends.
        bus.connect(QString(), "/org/freedesktop/DBus/Local", "org.freedesktop.DBus.Local",
                    "Disconnected", this, SLOT(Lost()));
        QDBusMessage add = MonitorCall("AddIdleWatch");
        add << qulonglong(seconds) * 1000;
        const QDBusReply<uint> idle = bus.call(add);
        if (!idle.isValid())
            QMetaObject::invokeMethod(
                this,
                [this, why = idle.error().message().toStdString()] {
                    listener_.OnSourceLost("zarvella: GNOME's idle monitor refused a watch: " +
                                           why);
                },
                Qt::QueuedConnection);
        idleWatch_ = idle.value();
    }

    bool Inhibited() override {
        QDBusMessage ask =
            QDBusMessage::createMethodCall("org.gnome.SessionManager", "/org/gnome/SessionManager",
                                           "org.gnome.SessionManager", "IsInhibited");
        ask << kInhibitIdle;
        // No session manager (or no answer in time): nothing inhibits.
        const QDBusReply<bool> reply = QDBusConnection::sessionBus().call(ask, QDBus::Block, 2000);
        return reply.isValid() && reply.value();
    }

  private slots:
    void Lost() { listener_.OnSourceLost("zarvella: GNOME's idle monitor left the session"); }
    void Fired(uint id) {
        if (id == idleWatch_) {
            // One-shot: asked for anew after each idle period.
            const QDBusReply<uint> active =
                QDBusConnection::sessionBus().call(MonitorCall("AddUserActiveWatch"));
            activeWatch_ = active.isValid() ? active.value() : 0;
            listener_.OnIdleEvent(IdleEvent::SessionIdle);
        } else if (id == activeWatch_ && id != 0) {
            activeWatch_ = 0;
            listener_.OnIdleEvent(IdleEvent::SessionActive);
        }
    }

  private:
    IdleListener& listener_;
    QDBusServiceWatcher gone_;
    uint idleWatch_ = 0;
    uint activeWatch_ = 0;
};

}  // namespace

bool MutterIdleMonitorRuns() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(kMutter).value();
}

std::unique_ptr<IdleWatch> WatchMutter(int seconds, IdleListener& listener) {
    return std::make_unique<MutterWatch>(seconds, listener);
}

}  // namespace zarvella::linux_shell

#include "idle_mutter.moc"
