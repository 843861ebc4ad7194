// --idle: the saver started by the session's own idleness. The rules live
// here (the time's spelling, which idle source a session has, when the saver
// starts, the inhibitors held, the autostart entry); the shells in
// platform/linux/idle_*.cpp only ask the session and start the process.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvella {

inline constexpr int kDefaultIdleSeconds = 10 * 60;
inline constexpr int kMaxIdleSeconds = 24 * 60 * 60;

// "90s", "10m" or "1h": a whole number and one unit, from 1 s to 24 h.
// Returns the seconds, or 0 with `error` set (one line, no program name).
int ParseIdleTime(std::string_view text, std::string& error);
// The shortest spelling of a time ParseIdleTime reads back: 600 -> "10m".
std::string FormatIdleTime(int seconds);

// --idle [TIME], --enable-idle [TIME], --disable-idle.
enum class IdleCommand { None, Run, Enable, Disable };
struct IdleCommandLine {
    IdleCommand command = IdleCommand::None;
    int seconds = kDefaultIdleSeconds;
    std::string error;  // set: a usage error
};
// None when the first argument is none of the three words.
IdleCommandLine ParseIdleCommandLine(const std::vector<std::string>& args);

// Where idleness comes from, best first within a session's kind.
enum class IdleSource { None, ExtIdleNotify, KdeIdle, MutterIdleMonitor, X11ScreenSaver };

// What the shell found. The X facts matter only outside a Wayland session
// (Xwayland's idle time counts only its own clients' input), and the shell
// leaves them unasked there.
struct IdleFacts {
    bool waylandSession = false;
    bool waylandOpens = false;
    bool extIdleNotifier = false;    // ext_idle_notifier_v1 with a seat
    bool kdeIdle = false;            // org_kde_kwin_idle with a seat
    bool mutterIdleMonitor = false;  // org.gnome.Mutter.IdleMonitor on the session bus
    bool xDisplayOpens = false;
    bool xScreenSaverDaemon = false;     // an XScreenSaver daemon runs on that display
    bool xScreenSaverExtension = false;  // MIT-SCREEN-SAVER
    std::string display;                 // DISPLAY or WAYLAND_DISPLAY, for the messages
};
struct IdleSourceChoice {
    IdleSource source = IdleSource::None;
    std::string error;  // the one line to print (exit code 1) when None
};
IdleSourceChoice ChooseIdleSource(const IdleFacts& facts);

// What the session's idle source reports (SaverEnded: the saver's process
// ended); startup/idle_supervisor.h decides on them.
enum class IdleEvent { SessionIdle, SessionActive, SaverEnded, InhibitionChanged };

// Whether GNOME's idle monitor on the session bus may be the answer to
// ChooseIdleSource: the shell asks the bus only then.
bool IdleChoiceNeedsMutter(IdleFacts facts);

// GNOME's idle monitor: an idle watch that fires at each idle period, and a
// one-shot user-active watch, added anew after each idle.
class MutterWatches {
  public:
    void IdleWatchAdded(uint32_t id) { idleWatch_ = id; }
    void ActiveWatchAdded(uint32_t id) { activeWatch_ = id; }
    // What a fired watch means (none: not ours). After SessionIdle the shell
    // adds a user-active watch; a failed add ends --idle, or no activity
    // would ever come again.
    std::optional<IdleEvent> Fired(uint32_t id);

  private:
    uint32_t idleWatch_ = 0;
    uint32_t activeWatch_ = 0;
};

// MIT-SCREEN-SAVER tells idle time, not transitions: the shell asks it and
// learns the event (if any) and when to ask next. Until idle it sleeps the
// time left; once idle it asks every second, to see activity soon.
// `sinceSimulatedMs`: the time since SimulateUserActivity, which counts as input.
struct IdlePoll {
    bool changed = false;
    IdleEvent event = IdleEvent::SessionActive;
    int nextMs = 1000;
};
IdlePoll PollX11Idle(uint64_t serverIdleMs, uint64_t sinceSimulatedMs, int timeoutSeconds,
                     bool wasIdle);

// The freedesktop inhibitors (org.freedesktop.ScreenSaver) we serve when
// nobody else does: a cookie per Inhibit, removed by UnInhibit from the same
// caller or when its caller leaves the bus. Each is held for the caller's
// display (a key, IdleLockPath's for it) when its environment tells it, else
// for every display. What a caller can make us keep is bounded.
inline constexpr size_t kMaxInhibitorsPerCaller = 64;
inline constexpr size_t kMaxInhibitorNameBytes = 256;  // the application's and the reason's
class InhibitorBook {
  public:
    // The cookie, or 0 when the caller holds kMaxInhibitorsPerCaller already.
    uint32_t Inhibit(const std::string& caller, std::string_view application,
                     std::string_view reason, const std::string& display = {});
    // false: no such cookie of this caller
    bool UnInhibit(const std::string& caller, uint32_t cookie);
    // The caller left the bus: all its inhibitors go. Returns how many.
    size_t CallerLeft(const std::string& caller);
    // The bus went away: every inhibitor goes. Returns how many.
    size_t Clear() { return std::exchange(held_, {}).size(); }
    // Held for `display`: by one of its own or one whose display is unknown.
    bool Inhibited(const std::string& display) const;
    bool Holds(const std::string& caller) const;
    // What the caller named it, as kept (for the tests).
    std::string Application(uint32_t cookie) const;

  private:
    struct Held {
        std::string caller, application, reason, display;
    };
    std::map<uint32_t, Held> held_;
    uint32_t next_ = 1;
};

// Where another program serves org.freedesktop.ScreenSaver, the desktop's
// own books are asked at once (another --idle's, org.freedesktop.
// PowerManagement.Inhibit, GNOME's and MATE's session managers): inhibited as
// soon as one says so, not once all have answered otherwise; an error (a book
// absent) is no answer.
class InhibitionQuestion {
  public:
    explicit InhibitionQuestion(int books) : left_(books) {}
    // The decision, once (none: not yet, or already given).
    std::optional<bool> Answer(std::optional<bool> inhibited);
    // Every book answered with an error: nothing here can tell.
    bool NobodyTells() const { return left_ == 0 && !told_; }

  private:
    int left_;
    bool told_ = false, decided_ = false;
};
inline constexpr const char* kNoInhibitorBook =
    "zarvella: another program serves org.freedesktop.ScreenSaver and no desktop book of "
    "inhibitors answers: players cannot hold the saver off";
inline constexpr const char* kNoSessionBus =
    "zarvella: no session bus: players cannot hold the saver off";
inline constexpr const char* kSessionBusGone =
    "zarvella: the session bus went away: players can no longer hold the saver off";

// $XDG_CONFIG_HOME/autostart/zarvella-idle.desktop (~/.config when the
// variable is unset, empty or relative); empty when neither is known.
std::string IdleAutostartPath(const char* configHome, const char* home);
// The entry itself: IdleAutostartFor (startup/idle_autostart.h).

}  // namespace zarvella
