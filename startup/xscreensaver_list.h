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

enum class ProgramsListResult {
    Added,          // the line is new in the list
    AlreadyListed,  // an entry that is on and has -xscreensaver: nothing to do
    MarkerAdded,    // an entry lacked -xscreensaver, which is now added to it
    TurnedOff,      // listed with -xscreensaver, but turned off in XScreenSaver's dialog
    Refused,
};

struct ProgramsListEdit {
    ProgramsListResult result = ProgramsListResult::Refused;
    std::string text;     // when not empty: the whole new file, everything else kept byte for byte
    std::string message;  // the line to print: stdout, or stderr when Refused (exit 1)
};

// Adds the line as the list's first entry, right after "programs:". The
// list must be a continued one (its "programs:" line ends with a backslash,
// as XScreenSaver writes it); any other file, or none (nullopt), is refused,
// never guessed at. An entry of Zarvella's already there is kept: one
// without -xscreensaver gets it at its end (else XScreenSaver's settings page
// would not take effect); one turned off (a "-" before it) stays off, and the
// message says how to turn it on.
ProgramsListEdit AddToProgramsList(std::optional<std::string_view> file);

// What reading ~/.xscreensaver found.
struct ListFileRead {
    enum class Kind { Read, Missing, Folder, Unreadable } kind = Kind::Missing;
    std::string text;     // Read
    std::string problem;  // Unreadable: why ("Permission denied", "it is not a regular file")
};

// The files under -install-xscreensaver: the Linux shell's, a fake in the tests.
class ListFileSystem {
  public:
    virtual ~ListFileSystem() = default;
    // Reads only a regular file, and never waits for one (a named pipe is
    // Unreadable).
    virtual ListFileRead ReadListFile(const std::string& path) = 0;
    // Replaces the file atomically with the owner, group and mode it had;
    // empty when done, else why not (the file is then as it was).
    virtual std::string WriteListFile(const std::string& path, std::string_view text) = 0;
};

struct InstallOutcome {
    int exitCode = 1;
    std::string message;  // one line: standard output when exitCode is 0, else standard error
};

// The whole of -install-xscreensaver: ~/.xscreensaver from `home` (HOME, or
// null when unset), read, edited by AddToProgramsList and written back.
// Every refusal names its true cause.
InstallOutcome InstallIntoXScreenSaver(ListFileSystem& files, const char* home);

}  // namespace zarvella
