#include "platform/linux/running_program.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvella::linux_shell {

RunningProgram ReadRunningProgram() {
    RunningProgram program;
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return program;
    program.path.assign(path, size_t(length));
    // /proc/self/exe reaches the file that runs, even once it is unlinked.
    struct stat self {};
    const bool known = stat("/proc/self/exe", &self) == 0;
    const auto same = [&](const char* name) {
        struct stat named {};
        return known && stat(name, &named) == 0 && named.st_dev == self.st_dev &&
               named.st_ino == self.st_ino;
    };
    program.gone = !same(program.path.c_str());
    // The package's name on the PATH (a link to its hack), or make install's.
    for (const char* name : {"/usr/bin/zarvella", "/usr/local/bin/zarvella"})
        if (same(name)) {
            program.publicPath = name;
            break;
        }
    return program;
}

}  // namespace zarvella::linux_shell
