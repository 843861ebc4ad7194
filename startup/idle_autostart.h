// --enable-idle's XDG autostart entry: which path of the program it runs, and
// the entry itself.
#pragma once

#include <string>

namespace zarvella {

// What the shell found of the running program.
struct RunningProgram {
    std::string path;  // /proc/self/exe as read; empty when it cannot be read
    // That path is no longer this program's file: removed or replaced while it
    // ran (the kernel then adds " (deleted)" to the path).
    bool gone = false;
    // A name on the PATH that is this same file ("/usr/bin/zarvella", the
    // package's link to its hack in /usr/libexec/xscreensaver), or empty.
    std::string publicPath;
};

struct IdleAutostart {
    std::string entry;  // the file's text
    std::string error;  // set instead: the one line to print (exit code 1)
};

// The entry that runs `PROGRAM --idle TIME` at each login, PROGRAM being the
// public name when there is one (it stays right across upgrades that move
// the file behind it), with TryExec so that a runner skips the entry once
// the program is uninstalled.
IdleAutostart IdleAutostartFor(const RunningProgram& program, int seconds);

}  // namespace zarvella
