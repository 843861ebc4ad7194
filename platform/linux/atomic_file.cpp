#include "platform/linux/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zarvella::linux_shell {

bool ReadOnly(const std::string& path, mode_t mode) {
    return (mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
}

namespace {

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// mkdir -p; new folders get 0700 as the XDG base directory rules ask.
bool MakeFolders(const std::string& folder) {
    struct stat info;
    if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    const std::string parent = Folder(folder);
    if (parent != folder && !MakeFolders(parent)) return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The file a chain of symbolic links ends at (it need not exist yet); false
// for a loop or a chain too long.
bool FollowLinks(std::string path, std::string& target) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            target = path;
            return true;
        }
        std::string link(4096, '\0');
        const ssize_t n = readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<size_t>(n) >= link.size()) return false;
        link.resize(static_cast<size_t>(n));
        path = link[0] == '/' ? link : Folder(path) + "/" + link;
    }
    return false;
}

// Temporary files of saves that were killed before their rename: a name of
// ours whose process is gone.
void RemoveStaleTemporaries(const std::string& folder, const std::string& path) {
    const std::string prefix = path.substr(path.rfind('/') + 1) + ".tmp-";
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(prefix, 0) != 0) continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (pid <= 0 || *end != '-' || pid == getpid()) continue;
        if (kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH) {
            unlink((folder + "/" + name).c_str());
        }
    }
    closedir(dir);
}

}  // namespace

// Not QSaveFile: the store stays Qt-free (tests, fuzzers), and this also
// fsyncs the folder after the rename.
bool WriteFileAtomically(const std::string& link, std::string_view content) {
    std::string path;
    if (!FollowLinks(link, path)) {
        errno = ELOOP;
        return false;
    }
    const std::string folder = Folder(path);
    errno = 0;
    if (!MakeFolders(folder)) {
        if (errno == 0) errno = ENOTDIR;  // a file where a folder belongs
        return false;
    }

    // A name of our own next to the file; open() applies the umask to 0644,
    // as for any new file of the user's.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    // An existing file keeps its owner, group and permissions: root writing
    // into another user's home (sudo -E) must not take their file over. The
    // owner goes first, as a change of owner clears the set-id bits.
    struct stat old;
    const bool keepMode = stat(path.c_str(), &old) == 0;
    if (keepMode && ReadOnly(path, old.st_mode)) {
        close(fd);
        unlink(temporary.c_str());
        errno = EACCES;
        return false;
    }
    // A group we may not give (not one of ours) is the one thing let go.
    const bool ownerKept = !keepMode || (old.st_uid == geteuid() && old.st_gid == getegid()) ||
                           fchown(fd, old.st_uid, old.st_gid) == 0 || old.st_uid == geteuid();
    const bool written = ownerKept && (!keepMode || fchmod(fd, old.st_mode & 07777) == 0) &&
                         WriteAll(fd, content) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;  // for the caller's message
        unlink(temporary.c_str());
        errno = error;
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    RemoveStaleTemporaries(folder, path);
    return true;
}

}  // namespace zarvella::linux_shell
