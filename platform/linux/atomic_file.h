// A file replaced all at once: the settings file, --idle's autostart entry,
// ~/.xscreensaver. Plain C++ and POSIX, no Qt.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace zarvella::linux_shell {

// Writes a temporary file next to `path`, flushes it to disk and renames it
// over `path`, creating missing folders first. When `path` is a symbolic link
// (as dotfile managers make it) the file it points to is replaced and the link
// kept. An existing file keeps its owner, group and mode; when its owner
// cannot be kept (only root may give a file away) nothing is written (a
// group that is not ours is the one thing a user's own write lets go). A
// read-only file (no write permission) is refused: the user's way of keeping
// it as it is. On any failure the old file is untouched, the temporary file is
// removed, errno says why and the result is false.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// The user's "do not change" on the file at `path` of mode `mode`: no write
// permission for us, or none for anyone (which root, who may write anyway,
// must respect as well).
bool ReadOnly(const std::string& path, mode_t mode);

}  // namespace zarvella::linux_shell
