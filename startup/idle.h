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

// The freedesktop inhibitors (org.freedesktop.ScreenSaver) we serve on X11:
// a cookie per Inhibit, removed by UnInhibit from the same caller or when
// its caller leaves the bus.
class InhibitorBook {
  public:
    uint32_t Inhibit(const std::string& caller, const std::string& application,
                     const std::string& reason);
    // false: no such cookie of this caller
    bool UnInhibit(const std::string& caller, uint32_t cookie);
    // The caller left the bus: all its inhibitors go. Returns how many.
    size_t CallerLeft(const std::string& caller);
    bool Inhibited() const { return !held_.empty(); }
    bool Holds(const std::string& caller) const;

  private:
    struct Held {
        std::string caller, application, reason;
    };
    std::map<uint32_t, Held> held_;
    uint32_t next_ = 1;
};

// $XDG_CONFIG_HOME/autostart/zarvella-idle.desktop (~/.config when the
// variable is unset, empty or relative); empty when neither is known.
std::string IdleAutostartPath(const char* configHome, const char* home);
// The XDG autostart entry that runs `program --idle TIME`; empty when the
// program's path cannot be written in one (a line break or a control character).
std::string IdleAutostartEntry(const std::string& program, int seconds);

}  // namespace zarvella
