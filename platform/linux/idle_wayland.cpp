// --idle on Wayland: one idle notification on the first seat, by the standard
// ext_idle_notifier_v1 where the compositor offers it, else by KDE's
// org_kde_kwin_idle. Both count idle-inhibiting clients (a video player) as
// activity, so nothing here needs to know about inhibitors.
#include <wayland-client.h>

#include <QSocketNotifier>
#include <cstring>

#include "platform/linux/idle.h"
#include "protocol/ext-idle-notify-v1.h"
#include "protocol/kde-idle.h"

namespace zarvella::linux_shell {

struct WaylandIdle::Connection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    ext_idle_notifier_v1* notifier = nullptr;
    org_kde_kwin_idle* kdeIdle = nullptr;
};

namespace {

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* c = static_cast<WaylandIdle::Connection*>(data);
    if (!c->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        c->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    if (!c->notifier && std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0)
        c->notifier = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    if (!c->kdeIdle && std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0)
        c->kdeIdle = static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

// Both protocols' events, idle then resumed, reach the supervisor alike.
void OnIdle(void* data, void*) {
    static_cast<IdleSupervisor*>(data)->OnEvent(IdleEvent::SessionIdle);
}
void OnResumed(void* data, void*) {
    static_cast<IdleSupervisor*>(data)->OnEvent(IdleEvent::SessionActive);
}
const ext_idle_notification_v1_listener kExtListener = {
    [](void* d, ext_idle_notification_v1* n) { OnIdle(d, n); },
    [](void* d, ext_idle_notification_v1* n) { OnResumed(d, n); }};
const org_kde_kwin_idle_timeout_listener kKdeListener = {
    [](void* d, org_kde_kwin_idle_timeout* t) { OnIdle(d, t); },
    [](void* d, org_kde_kwin_idle_timeout* t) { OnResumed(d, t); }};

class WaylandWatch : public IdleWatch {
  public:
    WaylandWatch(WaylandIdle::Connection& c, IdleSource source, int seconds,
                 IdleSupervisor& supervisor)
        : c_(c),
          supervisor_(supervisor),
          readable_(wl_display_get_fd(c.display), QSocketNotifier::Read) {
        const uint32_t ms = uint32_t(seconds) * 1000;
        if (source == IdleSource::ExtIdleNotify) {
            ext_ = ext_idle_notifier_v1_get_idle_notification(c.notifier, ms, c.seat);
            ext_idle_notification_v1_add_listener(ext_, &kExtListener, &supervisor);
        } else {
            kde_ = org_kde_kwin_idle_get_idle_timeout(c.kdeIdle, c.seat, ms);
            org_kde_kwin_idle_timeout_add_listener(kde_, &kKdeListener, &supervisor);
        }
        wl_display_flush(c.display);
        connect(&readable_, &QSocketNotifier::activated, this, [this] { Dispatch(); });
    }
    ~WaylandWatch() override {
        if (ext_) ext_idle_notification_v1_destroy(ext_);
        if (kde_) org_kde_kwin_idle_timeout_release(kde_);
        wl_display_flush(c_.display);
    }

  private:
    void Dispatch() {
        if (wl_display_dispatch(c_.display) < 0 || wl_display_flush(c_.display) < 0) {
            readable_.setEnabled(false);
            supervisor_.SourceLost("zarvella: the Wayland session ended");
        }
    }

    WaylandIdle::Connection& c_;
    IdleSupervisor& supervisor_;
    QSocketNotifier readable_;
    ext_idle_notification_v1* ext_ = nullptr;
    org_kde_kwin_idle_timeout* kde_ = nullptr;
};

}  // namespace

WaylandIdle::WaylandIdle() : wl_(std::make_unique<Connection>()) {}
WaylandIdle::~WaylandIdle() {
    if (!wl_->display) return;
    if (wl_->notifier) ext_idle_notifier_v1_destroy(wl_->notifier);
    if (wl_->kdeIdle) org_kde_kwin_idle_destroy(wl_->kdeIdle);
    if (wl_->seat) wl_seat_destroy(wl_->seat);
    if (wl_->registry) wl_registry_destroy(wl_->registry);
    wl_display_disconnect(wl_->display);
}

void WaylandIdle::AddFacts(IdleFacts& facts) {
    wl_->display = wl_display_connect(nullptr);
    facts.waylandOpens = wl_->display != nullptr;
    if (!wl_->display) return;
    wl_->registry = wl_display_get_registry(wl_->display);
    wl_registry_add_listener(wl_->registry, &kRegistryListener, wl_.get());
    wl_display_roundtrip(wl_->display);
    facts.extIdleNotifier = wl_->seat && wl_->notifier;
    facts.kdeIdle = wl_->seat && wl_->kdeIdle;
}

std::unique_ptr<IdleWatch> WaylandIdle::Watch(IdleSource source, int seconds,
                                              IdleSupervisor& supervisor) {
    return std::make_unique<WaylandWatch>(*wl_, source, seconds, supervisor);
}

}  // namespace zarvella::linux_shell
