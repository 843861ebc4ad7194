#include "startup/xscreensaver_list.h"

namespace zarvella {

namespace {

// "zarvella" as a program's name: after a blank, a slash, a colon or a
// quote, and before a blank or the line's end.
bool NamesZarvella(std::string_view line) {
    constexpr std::string_view kName = "zarvella";
    for (size_t at = line.find(kName); at != std::string_view::npos;
         at = line.find(kName, at + 1)) {
        const char before = at ? line[at - 1] : ' ';
        const size_t end = at + kName.size();
        const char after = end < line.size() ? line[end] : ' ';
        const bool starts =
            before == ' ' || before == '\t' || before == '/' || before == ':' || before == '"';
        if (starts && (after == ' ' || after == '\t' || after == '\\')) return true;
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
    constexpr std::string_view kKey = "programs:";
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        if (end == std::string_view::npos) end = file.size();
        std::string_view line = file.substr(start, end - start);
        if (line.substr(0, kKey.size()) == kKey) {
            // The list runs on while a line ends with a backslash.
            for (size_t s = start, e = end;; s = e + 1, e = file.find('\n', s)) {
                if (e == std::string_view::npos) e = file.size();
                const std::string_view part = file.substr(s, e - s);
                if (NamesZarvella(s == start ? part.substr(kKey.size()) : part)) {
                    edit.result = ProgramsListResult::AlreadyListed;
                    edit.message = "zarvella: ~/.xscreensaver lists Zarvella already";
                    return edit;
                }
                if (part.empty() || part.back() != '\\' || e >= file.size()) break;
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
        start = end + 1;
    }
    return edit;
}

}  // namespace zarvella
