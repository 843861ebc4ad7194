// The lock that keeps one --idle per session, and the pid in it that lets
// another program end that --idle (--disable-idle, the settings window).
#pragma once

#include <string>
#include <string_view>

namespace zarvella {

// What lstat says of a folder.
struct FolderFacts {
    bool exists = false;
    bool directory = false;  // a folder itself, not a link to one
    unsigned owner = 0;
    unsigned mode = 0;  // the permission bits
};

// The user's own runtime folder as systemd makes it: /run/user/UID.
std::string IdleRunUserFolder(unsigned userId);
// The lock's folder: XDG_RUNTIME_DIR when it names one; else /run/user/UID
// when it is the user's alone (so that an --idle started without the
// variable finds the same lock); else /tmp/zarvella-UID, `shared`: the shell
// makes it with mode 0700 and checks it with IdlePrivateFolderProblem.
struct IdleLockFolderChoice {
    std::string path;
    bool shared = false;
};
IdleLockFolderChoice IdleLockFolder(std::string runtimeDir, unsigned userId,
                                    const FolderFacts& runUser);
// Why a folder in a shared place cannot hold the lock (another user could
// take or plant it), as one line; empty when it is the user's alone.
std::string IdlePrivateFolderProblem(const std::string& folder, const FolderFacts& facts,
                                     unsigned userId);

// The lock file in `folder` for the session's display, keyed on the display
// itself whatever its spelling: ":0", ":0.0" and "unix:0" are one X display;
// a Wayland socket's absolute path in `folder` is its name there.
// Characters other than letters, digits, '-', '_' and '.' become '_'.
// `kind` "saver": the lock a full-screen saver (/s) holds while it shows, so
// that a second one (xautolock's and --idle's) does not start over it.
std::string IdleLockPath(const std::string& folder, const std::string& display, bool wayland,
                         std::string_view kind = "idle");
// A process's display from its environment (/proc/PID/environ: NUL-separated
// NAME=VALUE): WAYLAND_DISPLAY in a Wayland session, else DISPLAY; empty
// when it has none.
std::string EnvironmentDisplay(std::string_view environ, bool wayland);

inline constexpr const char* kIdleAlreadyRuns = "zarvella: --idle already runs in this session";

// The pid a running --idle writes into its lock: one decimal line. 0 when
// the text is not one (an old or foreign file).
int ParseIdlePid(std::string_view text);

}  // namespace zarvella
