#include "startup/xscreensaver_list.h"

#include <vector>

namespace zarvella {

namespace {

constexpr std::string_view kKey = "programs:";
constexpr std::string_view kMarker = "-xscreensaver";
constexpr std::string_view kOffHint =
    "tick it in xscreensaver-settings' list (or delete the \"-\" before its line)";

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// `word` standing on its own: after a blank (or a dash: --xscreensaver), and
// before a blank, a backslash or the end.
bool HasWord(std::string_view text, std::string_view word, std::string_view before) {
    for (size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
        const char previous = at ? text[at - 1] : ' ';
        const size_t end = at + word.size();
        const char next = end < text.size() ? text[end] : ' ';
        if (before.find(previous) != std::string_view::npos && (Blank(next) || next == '\\'))
            return true;
    }
    return false;
}

// "zarvella" as a program's name: after a blank, a slash, a colon or a quote.
bool NamesZarvella(std::string_view entry) {
    return HasWord(entry, "zarvella", " \t\n/:\"");
}

// Turned off in XScreenSaver's dialog: a "-" before the entry, past blanks
// and the backslashes that continue the list's lines.
bool TurnedOff(std::string_view entry) {
    for (size_t k = 0; k < entry.size(); ++k) {
        if (Blank(entry[k]) || (entry[k] == '\\' && k + 1 < entry.size() && entry[k + 1] == '\n'))
            continue;
        return entry[k] == '-';
    }
    return false;
}

}  // namespace

ProgramsListEdit AddToProgramsList(std::optional<std::string_view> given) {
    ProgramsListEdit edit;
    if (!given) {
        edit.message =
            "zarvella: there is no ~/.xscreensaver yet: run xscreensaver-settings once, then this "
            "again";
        return edit;
    }
    const std::string_view file = *given;
    edit.message =
        "zarvella: ~/.xscreensaver has no programs list as XScreenSaver writes it; add the line "
        "of /usr/share/doc/zarvella/README.Debian by hand";
    size_t start = 0;
    while (start < file.size() && file.substr(start, kKey.size()) != kKey) {
        const size_t next = file.find('\n', start);
        start = next == std::string_view::npos ? file.size() : next + 1;
    }
    if (start >= file.size()) return edit;
    size_t end = file.find('\n', start);
    if (end == std::string_view::npos) end = file.size();
    const std::string_view line = file.substr(start, end - start);

    // The list runs on while a line ends with a backslash; its entries end
    // with "\n".
    size_t listEnd = end;
    while (listEnd < file.size() && listEnd > 0 && file[listEnd - 1] == '\\') {
        const size_t next = file.find('\n', listEnd + 1);
        listEnd = next == std::string_view::npos ? file.size() : next;
    }
    std::vector<size_t> markerAt;  // where entries without the marker get it
    bool listed = false, on = false;
    for (size_t s = start + kKey.size(); s < listEnd;) {
        size_t e = file.find("\\n", s);
        if (e == std::string_view::npos || e > listEnd) e = listEnd;
        const std::string_view entry = file.substr(s, e - s);
        if (NamesZarvella(entry)) {
            const bool marked = HasWord(entry, kMarker, " \t\n-");
            if (marked && !TurnedOff(entry)) {
                edit.result = ProgramsListResult::AlreadyListed;
                edit.message = "zarvella: ~/.xscreensaver lists Zarvella already";
                return edit;
            }
            listed = true;
            on = on || !TurnedOff(entry);
            size_t last = entry.find_last_not_of(" \t\n\\");
            if (!marked && last != std::string_view::npos) markerAt.push_back(s + last + 1);
        }
        s = e + 2;
    }
    if (!markerAt.empty()) {
        edit.result = ProgramsListResult::MarkerAdded;
        edit.message =
            "zarvella: added -xscreensaver to Zarvella's line in ~/.xscreensaver, so "
            "XScreenSaver's settings page takes effect";
        if (!on) edit.message += "; it is turned off there: " + std::string(kOffHint);
        size_t from = 0;
        for (size_t at : markerAt) {
            edit.text += file.substr(from, at - from);
            edit.text += ' ';
            edit.text += kMarker;
            from = at;
        }
        edit.text += file.substr(from);
        return edit;
    }
    if (listed) {
        edit.result = ProgramsListResult::TurnedOff;
        edit.message =
            "zarvella: ~/.xscreensaver lists Zarvella, but turned off: " + std::string(kOffHint);
        return edit;
    }
    if (line.empty() || line.back() != '\\' || end >= file.size()) return edit;
    edit.result = ProgramsListResult::Added;
    edit.message =
        "zarvella: added to the programs list in ~/.xscreensaver; pick Zarvella in "
        "xscreensaver-settings";
    edit.text = std::string(file.substr(0, end + 1));
    edit.text += kXScreenSaverProgramsLine;
    edit.text += '\n';
    edit.text += file.substr(end + 1);
    return edit;
}

InstallOutcome InstallIntoXScreenSaver(ListFileSystem& files, const char* home) {
    InstallOutcome outcome;
    if (!home || !*home) {
        outcome.message = "zarvella: HOME is not set, so there is no ~/.xscreensaver";
        return outcome;
    }
    if (home[0] != '/') {
        outcome.message = std::string("zarvella: HOME is \"") + home +
                          "\", not an absolute path, so ~/.xscreensaver cannot be found";
        return outcome;
    }
    const std::string path = std::string(home) + (home[1] ? "/" : "") + ".xscreensaver";
    const ListFileRead read = files.ReadListFile(path);
    using Kind = ListFileRead::Kind;
    if (read.kind == Kind::Folder) {
        outcome.message = "zarvella: " + path + " is a folder, not XScreenSaver's settings file";
        return outcome;
    }
    if (read.kind == Kind::Unreadable) {
        outcome.message = "zarvella: cannot read " + path + " (" + read.problem + ")";
        return outcome;
    }
    const ProgramsListEdit edit = AddToProgramsList(
        read.kind == Kind::Read ? std::optional<std::string_view>(read.text) : std::nullopt);
    outcome.message = edit.message;
    if (edit.result == ProgramsListResult::Refused) return outcome;
    if (!edit.text.empty()) {
        const std::string problem = files.WriteListFile(path, edit.text);
        if (!problem.empty()) {
            outcome.message =
                "zarvella: cannot write " + path + " (" + problem + "); it is as it was";
            return outcome;
        }
    }
    outcome.exitCode = 0;
    return outcome;
}

}  // namespace zarvella
