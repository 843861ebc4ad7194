// --idle on GNOME: mutter's idle monitor on the session bus (an idle watch,
// then a one-shot user-active watch after each idle: startup/idle.h's
// MutterWatches). gnome-session's idle inhibitors are asked before each start
// with the other desktops' books (idle_inhibitors.cpp). Every call is
// asynchronous, with a deadline.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include "platform/linux/idle.h"
#include "platform/linux/idle_inhibitors.h"

namespace zarvella::linux_shell {

namespace {

constexpr const char* kMutter = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kMonitorPath = "/org/gnome/Mutter/IdleMonitor/Core";

QDBusMessage MonitorCall(const char* method) {
    return QDBusMessage::createMethodCall(kMutter, kMonitorPath, kMutter, method);
}

class MutterWatch : public IdleWatch {
    Q_OBJECT

  public:
    MutterWatch(int seconds, IdleSupervisor& supervisor)
        : supervisor_(supervisor),
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
        AddWatch(add, [this](uint id) { watches_.IdleWatchAdded(id); });
    }

  private slots:
    void Lost() { supervisor_.SourceLost("zarvella: GNOME's idle monitor left the session"); }
    void Fired(uint id) {
        const std::optional<IdleEvent> event = watches_.Fired(id);
        if (!event) return;
        if (*event == IdleEvent::SessionIdle)
            AddWatch(MonitorCall("AddUserActiveWatch"),
                     [this](uint active) { watches_.ActiveWatchAdded(active); });
        supervisor_.OnEvent(*event);
    }

  private:
    template <typename Then>
    void Call(const QDBusMessage& message, Then then) {
        auto* pending = new QDBusPendingCallWatcher(
            QDBusConnection::sessionBus().asyncCall(message, kIdleAnswerMs), this);
        connect(pending, &QDBusPendingCallWatcher::finished, this, [pending, then] {
            then(*pending);
            pending->deleteLater();
        });
    }
    // A watch refused (or unanswered) would leave --idle deaf: it ends.
    template <typename Then>
    void AddWatch(const QDBusMessage& message, Then then) {
        Call(message, [this, then](const QDBusPendingCall& call) {
            const QDBusPendingReply<uint> reply = call;
            if (reply.isError())
                supervisor_.SourceLost("zarvella: GNOME's idle monitor refused a watch: " +
                                       reply.error().message().toStdString());
            else
                then(reply.value());
        });
    }

    IdleSupervisor& supervisor_;
    QDBusServiceWatcher gone_;
    MutterWatches watches_;
};

}  // namespace

bool MutterIdleMonitorRuns() {
    if (!SessionBusNamed()) return false;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(kMutter).value();
}

std::unique_ptr<IdleWatch> WatchMutter(int seconds, IdleSupervisor& supervisor) {
    return std::make_unique<MutterWatch>(seconds, supervisor);
}

}  // namespace zarvella::linux_shell

#include "idle_mutter.moc"
