// -install-xscreensaver: the one step a package cannot take for its user,
// naming Zarvella in the programs list of ~/.xscreensaver.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zarvella {

// The line as README.Debian gives it, in the list's own continued form.
inline constexpr std::string_view kXScreenSaverProgramsLine =
    "  GL: zarvella -root -xscreensaver \\n\\";

enum class ProgramsListResult { Added, AlreadyListed, Refused };

struct ProgramsListEdit {
    ProgramsListResult result = ProgramsListResult::Refused;
    std::string text;     // Added: the whole file, everything else kept byte for byte
    std::string message;  // the line to print: stdout, or stderr when Refused (exit 1)
};

// Adds the line as the list's first entry, right after "programs:". The
// list must be a continued one (its "programs:" line ends with a backslash,
// as XScreenSaver writes it); any other file, or none (nullopt), is refused,
// never guessed at.
ProgramsListEdit AddToProgramsList(std::optional<std::string_view> file);

}  // namespace zarvella
