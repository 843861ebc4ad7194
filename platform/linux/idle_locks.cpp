// --idle hears the session's lock: logind's session (LockedHint, Lock and
// Unlock) on the system bus; GNOME's org.gnome.ScreenSaver and whoever else
// serves org.freedesktop.ScreenSaver (KDE's locker and others) on the session
// bus. Each only reports to the supervisor; one that is absent is no fact.
// Every call is asynchronous and starts no service.
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <cstdlib>

#include "platform/linux/idle.h"
#include "platform/linux/idle_inhibitors.h"

namespace zarvella::linux_shell {

namespace {

constexpr const char* kLogin = "org.freedesktop.login1";
constexpr const char* kLoginSession = "org.freedesktop.login1.Session";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kGnome = "org.gnome.ScreenSaver";
constexpr const char* kGnomeShield = "org.gnome.Shell.ScreenShield";
constexpr const char* kFreedesktop = "org.freedesktop.ScreenSaver";

class SessionLocks : public QObject {
    Q_OBJECT

  public:
    explicit SessionLocks(IdleSupervisor& supervisor) : supervisor_(supervisor) {
        QDBusConnection bus =
            SessionBusNamed() ? QDBusConnection::sessionBus() : QDBusConnection(QString());
        if (bus.isConnected()) {
            // gnome-shell serves it as org.gnome.Shell.ScreenShield; the name
            // org.gnome.ScreenSaver is a helper started on demand, which we do not start.
            bus.connect(QString(), "/org/gnome/ScreenSaver", kGnome, "ActiveChanged", this,
                        SLOT(GnomeActive(bool)));
            for (const char* name : {kGnomeShield, kGnome})
                Ask<bool>(bus, Call(name, "/org/gnome/ScreenSaver", kGnome, "GetActive"),
                          [this](bool on) { GnomeActive(on); });
            // Ours when nobody else serves it: then it is no lock.
            bus.connect(kFreedesktop, QString(), kFreedesktop, "ActiveChanged", this,
                        SLOT(FreedesktopActive(bool)));
            if (bus.interface()->serviceOwner(kFreedesktop).value() != bus.baseService())
                Ask<bool>(
                    bus,
                    Call(kFreedesktop, "/org/freedesktop/ScreenSaver", kFreedesktop, "GetActive"),
                    [this](bool on) { FreedesktopActive(on); });
        }
        if (QDBusConnection::systemBus().isConnected()) FindLogindSession();
    }

  private slots:
    void GnomeActive(bool on) { supervisor_.LockChanged(LockSource::GnomeScreenSaver, on); }
    void FreedesktopActive(bool on) {
        supervisor_.LockChanged(LockSource::FreedesktopScreenSaver, on);
    }
    void LogindLock() { supervisor_.LockChanged(LockSource::Logind, true); }
    void LogindUnlock() { supervisor_.LockChanged(LockSource::Logind, false); }
    void LogindChanged(const QString&, const QVariantMap& changed, const QStringList&) {
        const auto hint = changed.find("LockedHint");
        if (hint != changed.end()) supervisor_.LockChanged(LockSource::Logind, hint->toBool());
    }

  private:
    static QDBusMessage Call(const QString& service, const QString& path, const QString& interface,
                             const QString& method) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
        call.setAutoStartService(false);
        return call;
    }
    // The answer, when one comes in time; an error is no fact.
    template <typename T, typename Then>
    void Ask(QDBusConnection bus, const QDBusMessage& call, Then then) {
        auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(call, kIdleAnswerMs), this);
        connect(pending, &QDBusPendingCallWatcher::finished, this, [pending, then] {
            const QDBusPendingReply<T> reply = *pending;
            if (!reply.isError()) then(reply.value());
            pending->deleteLater();
        });
    }

    // The session by XDG_SESSION_ID, else the one this process belongs to.
    void FindLogindSession() {
        const QDBusConnection bus = QDBusConnection::systemBus();
        const char* id = std::getenv("XDG_SESSION_ID");
        QDBusMessage find =
            Call(kLogin, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                 id && *id ? "GetSession" : "GetSessionByPID");
        if (id && *id)
            find << QString(id);
        else
            find << uint(getpid());
        Ask<QDBusObjectPath>(bus, find, [this](const QDBusObjectPath& session) {
            WatchLogindSession(session.path());
        });
    }
    void WatchLogindSession(const QString& path) {
        QDBusConnection bus = QDBusConnection::systemBus();
        bus.connect(kLogin, path, kLoginSession, "Lock", this, SLOT(LogindLock()));
        bus.connect(kLogin, path, kLoginSession, "Unlock", this, SLOT(LogindUnlock()));
        bus.connect(kLogin, path, kProperties, "PropertiesChanged", this,
                    SLOT(LogindChanged(QString, QVariantMap, QStringList)));
        QDBusMessage get = Call(kLogin, path, kProperties, "Get");
        get << QString(kLoginSession) << QString("LockedHint");
        Ask<QDBusVariant>(bus, get, [this](const QDBusVariant& hint) {
            supervisor_.LockChanged(LockSource::Logind, hint.variant().toBool());
        });
    }

    IdleSupervisor& supervisor_;
};

}  // namespace

std::unique_ptr<QObject> WatchSessionLocks(IdleSupervisor& supervisor) {
    return std::make_unique<SessionLocks>(supervisor);
}

}  // namespace zarvella::linux_shell

#include "idle_locks.moc"
