#include "startup/idle_row.h"

#include <algorithm>
#include <vector>

#include "behaviour/settings_window.h"

namespace zarvella {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// A string value's escapes (\s \n \t \r \\), then Exec's quoting: arguments
// apart at blanks, "..." quoting with \" \` \$ \\ inside, %% for %.
std::vector<std::string> ExecArguments(std::string_view value) {
    std::string plain;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            plain += value[i];
            continue;
        }
        const char c = value[++i];
        plain += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    std::vector<std::string> args;
    bool inArgument = false, quoted = false;
    for (size_t i = 0; i < plain.size(); ++i) {
        const char c = plain[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            inArgument = false;
            continue;
        }
        if (!inArgument) args.emplace_back(), inArgument = true;
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted && c == '\\' && i + 1 < plain.size()) {
            args.back() += plain[++i];
        } else if (c == '%' && i + 1 < plain.size() && plain[i + 1] == '%') {
            args.back() += plain[++i];
        } else {
            args.back() += c;
        }
    }
    return args;
}

std::string WhatItDoesHere(IdleSource source) {
    switch (source) {
        case IdleSource::MutterIdleMonitor:
            return "GNOME tells the idle time: keep it shorter than Settings > Power > Screen "
                   "Blank.";
        case IdleSource::ExtIdleNotify:
        case IdleSource::KdeIdle:
            return "The compositor tells the idle time: keep it shorter than its screen lock "
                   "and screen-off delays.";
        case IdleSource::X11ScreenSaver:
        case IdleSource::None:
            break;
    }
    return "The X server tells the idle time: keep it shorter than its own blanking (xset q) "
           "and the power manager's.";
}

}  // namespace

IdleEntryRun ReadIdleEntry(std::string_view text) {
    IdleEntryRun run;
    bool inGroup = false, off = false, hasExec = false;
    std::vector<std::string> args;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.starts_with('[')) inGroup = line == "[Desktop Entry]";
        const size_t equals = line.find('=');
        if (!inGroup || equals == std::string_view::npos) continue;
        const std::string_view key = Trimmed(line.substr(0, equals));
        const std::string_view value = Trimmed(line.substr(equals + 1));
        if (key == "Exec") hasExec = true, args = ExecArguments(value);
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false"))
            off = true;
    }
    const std::string_view program = args.empty() ? "" : std::string_view(args[0]);
    const std::string_view name = program.substr(program.rfind('/') + 1);
    if (!hasExec || name != "zarvella" || args.size() < 2 || args.size() > 3 ||
        (args[1] != "--idle" && args[1] != "-idle"))
        return run;
    std::string error;
    if (args.size() == 3 && !(run.seconds = ParseIdleTime(args[2], error))) {
        run.seconds = kDefaultIdleSeconds;
        return run;
    }
    run.kind = off ? IdleEntryRun::Kind::OursOff : IdleEntryRun::Kind::Ours;
    return run;
}

IdleRowState DecideIdleRow(const IdleRowFacts& facts) {
    IdleRowState row;
    row.shown = facts.host == SaverHost::None;
    if (!row.shown) return row;
    if (facts.entryPath.empty()) {
        row.line = "zarvella: neither XDG_CONFIG_HOME nor HOME names a folder";
        return row;
    }
    if (facts.entry == IdleRowFacts::Entry::Unreadable) {
        row.line = facts.entryText;
        return row;
    }
    int seconds = kDefaultIdleSeconds;
    if (facts.entry == IdleRowFacts::Entry::Read) {
        const IdleEntryRun run = ReadIdleEntry(facts.entryText);
        if (run.kind == IdleEntryRun::Kind::Foreign) {
            row.line = "zarvella: " + facts.entryPath +
                       " runs another program: it is kept, and this row stays off";
            return row;
        }
        row.checked = run.kind == IdleEntryRun::Kind::Ours;
        seconds = run.seconds;
        row.minutes = std::clamp((seconds + 30) / 60, kIdleRowMinMinutes, kIdleRowMaxMinutes);
    }
    row.enabled = facts.choice.source != IdleSource::None;
    if (!facts.fault.empty())
        row.line = facts.fault;
    else if (!row.enabled)
        row.line = facts.choice.error;
    else if (!facts.sessionBus)
        row.line = kNoSessionBus;
    else if (row.checked)
        row.line = "On: --idle " + FormatIdleTime(seconds) + " runs now and at each login. " +
                   WhatItDoesHere(facts.choice.source);
    else
        row.line = "Runs --idle now and at each login. " + WhatItDoesHere(facts.choice.source);
    return row;
}

PixelSize SettingsLayoutWithIdleRow(bool shown) {
    return {kSettingsWindowWidth, kSettingsWindowHeight + (shown ? kIdleRowHeight : 0)};
}

PixelSize SettingsClientSizeWithIdleRow(PixelSize available, PixelSize frame, bool shown) {
    if (frame == PixelSize{}) frame = kUntoldFrame;
    return FitWithin(SettingsLayoutWithIdleRow(shown),
                     {available.width - frame.width, available.height - frame.height});
}

}  // namespace zarvella
