#include "platform/linux/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zarvella::linux_shell {

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    if (const passwd* entry = getpwuid(getuid())) return entry->pw_dir;
    return "/";
}

// Keeps nothing, so one serves every store.
PosixSettingsFiles& PosixFiles() {
    static PosixSettingsFiles files;
    return files;
}

}  // namespace

// O_NONBLOCK keeps open() of a pipe without writer from blocking.
ReadOutcome ReadRegularFile(const std::string& path, std::string& content, std::string& problem) {
    content.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        problem = std::strerror(errno);
        return (errno == ENOENT || errno == ENOTDIR) ? ReadOutcome::Missing : ReadOutcome::Failed;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const bool folder = S_ISDIR(info.st_mode);
        problem = folder ? "it is a folder" : "it is not a regular file";
        close(fd);
        return folder ? ReadOutcome::Folder : ReadOutcome::Failed;
    }
    const std::string tooLarge =
        "it is larger than " + std::to_string(kMaxSettingsFileBytes >> 20) + " MiB";
    if (static_cast<uint64_t>(info.st_size) > kMaxSettingsFileBytes) {
        problem = tooLarge;
        close(fd);
        return ReadOutcome::Failed;
    }
    // The file may grow while we read it: one byte past the limit tells.
    content.resize(kMaxSettingsFileBytes + 1);
    size_t length = 0;
    while (length < content.size()) {
        const ssize_t n = read(fd, content.data() + length, content.size() - length);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            problem = std::strerror(errno);
            close(fd);
            return ReadOutcome::Failed;
        }
        length += static_cast<size_t>(n);
    }
    close(fd);
    if (length > kMaxSettingsFileBytes) {
        problem = tooLarge;
        return ReadOutcome::Failed;
    }
    content.resize(length);
    return ReadOutcome::Read;
}

// Not QStandardPaths: the store is Qt-free (tests, fuzzers), and this also
// falls back to the password database when HOME is unset.
std::string DefaultSettingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base = (config && config[0] == '/') ? config : HomeFolder() + "/.config";
    return base + "/zarvella/" + kSettingsFileName;
}

SettingsFileRead PosixSettingsFiles::Read(const std::string& path) {
    SettingsFileRead read;
    const ReadOutcome outcome = ReadRegularFile(path, read.text, read.problem);
    read.kind = outcome == ReadOutcome::Read      ? SettingsFileRead::Kind::Read
                : outcome == ReadOutcome::Missing ? SettingsFileRead::Kind::Missing
                                                  : SettingsFileRead::Kind::Unreadable;
    return read;
}

bool PosixSettingsFiles::Rename(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0;
}

bool PosixSettingsFiles::Taken(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

PathKind PosixSettingsFiles::Look(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return PathKind::Nothing;
    if (S_ISDIR(info.st_mode)) return PathKind::Folder;
    if (!S_ISREG(info.st_mode)) return PathKind::Other;
    return ReadOnly(path, info.st_mode) ? PathKind::ReadOnlyFile : PathKind::File;
}

FileSettingsStore::FileSettingsStore(std::string path, ErrorSink& errors)
    : SettingsFile(std::move(path), PosixFiles(), errors) {}

}  // namespace zarvella::linux_shell
