#include "startup/idle.h"

#include <algorithm>
#include <charconv>

namespace zarvella {

namespace {
constexpr const char* kTimeForm = "90s, 10m or 1h";
}

int ParseIdleTime(std::string_view text, std::string& error) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [rest, ec] = std::from_chars(text.data(), end, value);
    const int unit = rest + 1 != end ? 0
                     : *rest == 's'  ? 1
                     : *rest == 'm'  ? 60
                     : *rest == 'h'  ? 3600
                                     : 0;
    if (ec == std::errc::result_out_of_range && unit)
        value = kMaxIdleSeconds + 1;
    else if (ec != std::errc() || rest == text.data() || !unit) {
        error = "the idle time \"" + std::string(text) + "\" is not written like " + kTimeForm;
        return 0;
    }
    if (value < 1 || value > kMaxIdleSeconds / unit) {
        error = "the idle time \"" + std::string(text) + "\" is not between 1s and 24h";
        return 0;
    }
    return value * unit;
}

std::string FormatIdleTime(int seconds) {
    if (seconds % 3600 == 0) return std::to_string(seconds / 3600) + "h";
    if (seconds % 60 == 0) return std::to_string(seconds / 60) + "m";
    return std::to_string(seconds) + "s";
}

IdleCommandLine ParseIdleCommandLine(const std::vector<std::string>& args) {
    IdleCommandLine line;
    if (args.empty()) return line;
    const std::string& word = args[0];
    line.command = word == "--idle"           ? IdleCommand::Run
                   : word == "--enable-idle"  ? IdleCommand::Enable
                   : word == "--disable-idle" ? IdleCommand::Disable
                                              : IdleCommand::None;
    if (line.command == IdleCommand::None) return line;
    const size_t most = line.command == IdleCommand::Disable ? 1 : 2;
    if (args.size() > most) {
        line.error = word + " takes " + (most == 1 ? "no argument" : "one TIME at most") +
                     ", not \"" + args[most] + "\"";
        return line;
    }
    if (args.size() == 2) {
        std::string problem;
        line.seconds = ParseIdleTime(args[1], problem);
        if (!line.seconds) line.error = word + ": " + problem;
    }
    return line;
}

IdleSourceChoice ChooseIdleSource(const IdleFacts& f) {
    if (f.waylandSession && !f.waylandOpens)
        return {IdleSource::None,
                "zarvella: cannot connect to the Wayland display '" + f.display + "'"};
    if (f.waylandSession) {
        if (f.extIdleNotifier) return {IdleSource::ExtIdleNotify, {}};
        if (f.kdeIdle) return {IdleSource::KdeIdle, {}};
        if (f.mutterIdleMonitor) return {IdleSource::MutterIdleMonitor, {}};
        return {IdleSource::None,
                "zarvella: the Wayland session '" + f.display +
                    "' tells no idle time (neither ext_idle_notifier_v1, org_kde_kwin_idle nor "
                    "org.gnome.Mutter.IdleMonitor): --idle cannot run here"};
    }
    if (!f.xDisplayOpens)
        return {IdleSource::None, f.display.empty()
                                      ? "zarvella: --idle needs a session: DISPLAY is not set"
                                      : "zarvella: cannot open display '" + f.display + "'"};
    if (f.xScreenSaverDaemon)
        return {
            IdleSource::None,
            "zarvella: XScreenSaver already starts savers on display '" + f.display +
                "': add Zarvella to it with `zarvella -install-xscreensaver` instead of --idle"};
    if (f.mutterIdleMonitor) return {IdleSource::MutterIdleMonitor, {}};
    if (f.xScreenSaverExtension) return {IdleSource::X11ScreenSaver, {}};
    return {IdleSource::None, "zarvella: the X display '" + f.display +
                                  "' tells no idle time (no MIT-SCREEN-SAVER extension): "
                                  "--idle cannot run here"};
}

bool IdleChoiceNeedsMutter(IdleFacts facts) {
    facts.mutterIdleMonitor = true;
    return ChooseIdleSource(facts).source == IdleSource::MutterIdleMonitor;
}

std::optional<IdleEvent> MutterWatches::Fired(uint32_t id) {
    if (id == 0) return std::nullopt;
    if (id == idleWatch_) return IdleEvent::SessionIdle;
    if (id != activeWatch_) return std::nullopt;
    activeWatch_ = 0;
    return IdleEvent::SessionActive;
}

IdlePoll PollX11Idle(uint64_t serverIdleMs, uint64_t sinceSimulatedMs, int timeoutSeconds,
                     bool wasIdle) {
    const uint64_t idleMs = std::min(serverIdleMs, sinceSimulatedMs);
    const uint64_t timeoutMs = uint64_t(timeoutSeconds) * 1000;
    IdlePoll poll;
    const bool idle = idleMs >= timeoutMs;
    poll.changed = idle != wasIdle;
    poll.event = idle ? IdleEvent::SessionIdle : IdleEvent::SessionActive;
    // Never sooner than 1 s, nor later than the moment idleness may begin.
    poll.nextMs = idle ? 1000 : int(std::max<uint64_t>(1000, timeoutMs - idleMs));
    return poll;
}

namespace {
// At most `bytes`, not cut inside a UTF-8 sequence.
std::string Bounded(std::string_view text, size_t bytes) {
    if (text.size() <= bytes) return std::string(text);
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xc0) == 0x80) --bytes;
    return std::string(text.substr(0, bytes));
}
}  // namespace

uint32_t InhibitorBook::Inhibit(const std::string& caller, std::string_view application,
                                std::string_view reason, const std::string& display) {
    const auto mine = [&](const auto& entry) { return entry.second.caller == caller; };
    if (size_t(std::count_if(held_.begin(), held_.end(), mine)) >= kMaxInhibitorsPerCaller)
        return 0;
    // Cookies are never 0 (callers take 0 as "none") and never reused while held.
    while (next_ == 0 || held_.count(next_)) ++next_;
    held_[next_] = {caller, Bounded(application, kMaxInhibitorNameBytes),
                    Bounded(reason, kMaxInhibitorNameBytes), display};
    return next_++;
}

bool InhibitorBook::UnInhibit(const std::string& caller, uint32_t cookie) {
    const auto found = held_.find(cookie);
    if (found == held_.end() || found->second.caller != caller) return false;
    held_.erase(found);
    return true;
}

size_t InhibitorBook::CallerLeft(const std::string& caller) {
    return std::erase_if(held_, [&](const auto& entry) { return entry.second.caller == caller; });
}

bool InhibitorBook::Inhibited(const std::string& display) const {
    return std::any_of(held_.begin(), held_.end(), [&](const auto& entry) {
        return entry.second.display.empty() || entry.second.display == display;
    });
}

bool InhibitorBook::Holds(const std::string& caller) const {
    return std::any_of(held_.begin(), held_.end(),
                       [&](const auto& entry) { return entry.second.caller == caller; });
}

std::string InhibitorBook::Application(uint32_t cookie) const {
    const auto found = held_.find(cookie);
    return found == held_.end() ? std::string() : found->second.application;
}

std::optional<bool> InhibitionQuestion::Answer(std::optional<bool> inhibited) {
    if (decided_ || left_ <= 0) return std::nullopt;
    --left_;
    told_ = told_ || inhibited.has_value();
    if (inhibited.value_or(false) || left_ == 0) {
        decided_ = true;
        return inhibited.value_or(false);
    }
    return std::nullopt;
}

std::string IdleAutostartPath(const char* configHome, const char* home) {
    if (configHome && configHome[0] == '/')
        return std::string(configHome) + "/autostart/zarvella-idle.desktop";
    if (home && home[0] == '/')
        return std::string(home) + "/.config/autostart/zarvella-idle.desktop";
    return "";
}

}  // namespace zarvella
