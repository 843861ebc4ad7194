// --idle's inhibitors: org.freedesktop.ScreenSaver (Inhibit, UnInhibit,
// GetActive, SimulateUserActivity at /ScreenSaver and /org/freedesktop/
// ScreenSaver) served when the name is free, in every kind of session; the
// desktop's own books asked when another program serves it. The rules are
// the core's (InhibitorBook, InhibitionQuestion); this file only talks D-Bus.
#include "platform/linux/idle_inhibitors.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "startup/idle.h"
#include "startup/idle_session_lock.h"

namespace zarvella::linux_shell {

namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
// Another --idle (another display of this user on this bus) answers for its
// book here: whether it holds an inhibitor of the asker's display.
constexpr const char* kPeerPath = "/org/zarvella/Idle";
constexpr const char* kPeerInterface = "org.zarvella.Idle";
// gnome-session's and mate-session's inhibitor flag for "do not count the session idle".
constexpr uint kInhibitIdle = 8;

// The caller's environment (best effort: a sandboxed or departed caller has
// none we can read).
std::string ProcessEnvironment(uint pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/environ";
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string text;
    char chunk[4096];
    ssize_t got = 0;
    while (text.size() < (1u << 20) && (got = read(fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, size_t(got));
    close(fd);
    return text;
}

class Inhibitors;

// What Inhibitors serves on the bus.
class ScreenSaverService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

  public:
    explicit ScreenSaverService(Inhibitors& owner) : owner_(owner) {}

  public slots:
    uint Inhibit(const QString& application, const QString& reason);
    void UnInhibit(uint cookie);
    void SimulateUserActivity();
    bool GetActive();

  private:
    Inhibitors& owner_;
};

class PeerService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.zarvella.Idle")

  public:
    explicit PeerService(Inhibitors& owner) : owner_(owner) {}

  public slots:
    bool InhibitedOn(const QString& display);

  private:
    Inhibitors& owner_;
};

class Inhibitors : public QObject, public IdleInhibitors {
    Q_OBJECT

  public:
    Inhibitors(IdleSupervisor& supervisor, const std::string& folder, const std::string& display,
               bool wayland, bool busIsSource, std::function<void()> simulated)
        : supervisor_(supervisor),
          folder_(folder),
          display_(display),
          wayland_(wayland),
          simulated_(std::move(simulated)),
          bus_(QDBusConnection::sessionBus()),
          service_(*this),
          peer_(*this) {
        callers_.setConnection(bus_);
        callers_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(&callers_, &QDBusServiceWatcher::serviceUnregistered, this,
                [this](const QString& caller) {
                    callers_.removeWatchedService(caller);
                    if (book_.CallerLeft(caller.toStdString())) Changed();
                });
        if (!busIsSource)
            bus_.connect(QString(), "/org/freedesktop/DBus/Local", "org.freedesktop.DBus.Local",
                         "Disconnected", this, SLOT(BusGone()));
        for (const char* path : {"/org/freedesktop/ScreenSaver", "/ScreenSaver"})
            bus_.registerObject(path, &service_, QDBusConnection::ExportAllSlots);
        bus_.registerObject(kPeerPath, &peer_, QDBusConnection::ExportAllSlots);
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            bus_.interface()->registerService(kService, QDBusConnectionInterface::QueueService,
                                              QDBusConnectionInterface::AllowReplacement);
        owned_ = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
        // The name comes to us when its owner leaves (we queue for it), and a
        // desktop's service may take it from us. Watched once the request is
        // answered: its own change is no news.
        owner_.setConnection(bus_);
        owner_.setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
        owner_.addWatchedService(kService);
        connect(&owner_, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& now) {
                    owned_ = now == bus_.baseService();
                });
        // Served by another: say at once when none of the desktop's books answers.
        if (!owned_)
            Ask([](InhibitionQuestion& question, bool) {
                if (question.NobodyTells()) std::fprintf(stderr, "%s\n", kNoInhibitorBook);
            });
    }
    ~Inhibitors() override {
        if (bus_.isConnected()) bus_.interface()->unregisterService(kService);
    }

    // Our own book first (it reports its changes); then the desktop's books,
    // which are asked again each second while they hold.
    std::optional<bool> AskInhibited() override {
        ++asked_;
        heldByBook_ = owned_ && book_.Inhibited(display_);
        if (heldByBook_) return true;
        if (!bus_.isConnected()) return false;
        Ask([this, asked = asked_](InhibitionQuestion&, bool inhibited) {
            if (asked == asked_) supervisor_.InhibitedAnswer(inhibited);
        });
        return std::nullopt;
    }
    bool ReportsInhibitorEnd() const override { return heldByBook_; }

    // The cookie; 0: refused, over the bound.
    uint Inhibit(const QString& caller, const QString& application, const QString& reason) {
        std::string display;
        const QDBusReply<uint> pid = bus_.interface()->servicePid(caller);
        if (pid.isValid()) {
            const std::string seen = EnvironmentDisplay(ProcessEnvironment(pid.value()), wayland_);
            if (!seen.empty()) display = IdleLockPath(folder_, seen, wayland_);
        }
        const uint cookie = book_.Inhibit(caller.toStdString(), application.toUtf8().toStdString(),
                                          reason.toUtf8().toStdString(), display);
        if (!cookie) return 0;
        callers_.addWatchedService(caller);
        // It may have left before the watch began (a call that awaits no reply).
        const QDBusReply<bool> there = bus_.interface()->isServiceRegistered(caller);
        if (there.isValid() && !there.value()) {
            book_.CallerLeft(caller.toStdString());
            callers_.removeWatchedService(caller);
        }
        Changed();
        return cookie;
    }
    void UnInhibit(const QString& caller, uint cookie) {
        if (!book_.UnInhibit(caller.toStdString(), cookie)) return;
        if (!book_.Holds(caller.toStdString())) callers_.removeWatchedService(caller);
        Changed();
    }
    void Simulated() { simulated_(); }
    bool Active() const { return supervisor_.SaverShows(); }
    bool InhibitedOn(const std::string& display) const { return book_.Inhibited(display); }

  private slots:
    // Carry on without the bus: its inhibitors can never be released now.
    void BusGone() {
        std::fprintf(stderr, "%s\n", kSessionBusGone);
        owned_ = false;
        if (book_.Clear()) Changed();
    }

  private:
    void Changed() { supervisor_.OnEvent(IdleEvent::InhibitionChanged); }

    QDBusMessage Call(const char* service, const char* path, const char* interface,
                      const char* method) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
        call.setAutoStartService(false);
        return call;
    }
    // Every book at once, each with the core's deadline; `then` gets the decision.
    template <typename Then>
    void Ask(Then then) {
        QDBusMessage calls[] = {
            Call(kService, kPeerPath, kPeerInterface, "InhibitedOn"),
            Call("org.freedesktop.PowerManagement", "/org/freedesktop/PowerManagement/Inhibit",
                 "org.freedesktop.PowerManagement.Inhibit", "HasInhibit"),
            Call("org.gnome.SessionManager", "/org/gnome/SessionManager",
                 "org.gnome.SessionManager", "IsInhibited"),
            Call("org.mate.SessionManager", "/org/mate/SessionManager", "org.mate.SessionManager",
                 "IsInhibited")};
        calls[0] << QString::fromStdString(display_);
        calls[2] << kInhibitIdle;
        calls[3] << kInhibitIdle;
        // Another --idle is asked only when it serves the name, not us.
        const bool peer = !owned_;
        auto question = std::make_shared<InhibitionQuestion>(int(std::size(calls)) - !peer);
        for (const QDBusMessage& call : std::span(calls).subspan(!peer)) {
            auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call, kIdleAnswerMs), this);
            connect(pending, &QDBusPendingCallWatcher::finished, this, [pending, question, then] {
                const QDBusPendingReply<bool> reply = *pending;
                const std::optional<bool> decided = question->Answer(
                    reply.isError() ? std::nullopt : std::optional<bool>(reply.value()));
                if (decided) then(*question, *decided);
                pending->deleteLater();
            });
        }
    }

    IdleSupervisor& supervisor_;
    std::string folder_, display_;
    bool wayland_;
    std::function<void()> simulated_;
    QDBusConnection bus_;
    ScreenSaverService service_;
    PeerService peer_;
    QDBusServiceWatcher callers_, owner_;
    InhibitorBook book_;
    bool owned_ = false;
    bool heldByBook_ = false;
    unsigned asked_ = 0;
};

uint ScreenSaverService::Inhibit(const QString& application, const QString& reason) {
    const uint cookie = owner_.Inhibit(message().service(), application, reason);
    if (!cookie)
        sendErrorReply(QDBusError::LimitsExceeded,
                       QString("at most %1 inhibitors per caller").arg(kMaxInhibitorsPerCaller));
    return cookie;
}
void ScreenSaverService::UnInhibit(uint cookie) {
    owner_.UnInhibit(message().service(), cookie);
}
void ScreenSaverService::SimulateUserActivity() {
    owner_.Simulated();
}
bool ScreenSaverService::GetActive() {
    return owner_.Active();
}
bool PeerService::InhibitedOn(const QString& display) {
    return owner_.InhibitedOn(display.toStdString());
}

}  // namespace

std::unique_ptr<IdleInhibitors> ServeInhibitors(IdleSupervisor& supervisor,
                                                const std::string& folder,
                                                const std::string& display, bool wayland,
                                                bool busIsSource, std::function<void()> simulated) {
    if (!SessionBusNamed() || !QDBusConnection::sessionBus().isConnected()) {
        std::fprintf(stderr, "%s\n", kNoSessionBus);
        return nullptr;
    }
    return std::make_unique<Inhibitors>(supervisor, folder, display, wayland, busIsSource,
                                        std::move(simulated));
}

}  // namespace zarvella::linux_shell

#include "idle_inhibitors.moc"
