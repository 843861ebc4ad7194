#include "platform/linux/settings_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zarvella::linux_shell {

namespace {

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    if (const passwd* entry = getpwuid(getuid())) return entry->pw_dir;
    return "/";
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

namespace {

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

// The settings folder of `path` when a file (or anything but a folder) is
// there instead; otherwise empty. Folders further up are the user's own.
std::string FileInPlaceOfFolder(const std::string& path) {
    const std::string folder = Folder(path);
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) ? folder : "";
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

// The user's "do not change": no write permission for us, or none for
// anyone (which root, who may write anyway, must respect as well).
bool ReadOnly(const std::string& path, const struct stat& info) {
    return (info.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
}

bool ReadOnlyFile(const std::string& link) {
    std::string path;
    struct stat info;
    return FollowLinks(link, path) && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ReadOnly(path, info);
}

}  // namespace

// Not QStandardPaths: the store is Qt-free (tests, fuzzers), and this also
// falls back to the password database when HOME is unset.
std::string DefaultSettingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base = (config && config[0] == '/') ? config : HomeFolder() + "/.config";
    return base + "/zarvella/" + kSettingsFileName;
}

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
    if (keepMode && ReadOnly(path, old)) {
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

std::string MoveAside(const std::string& path) {
    for (int n = 1; n <= 100; ++n) {
        const std::string name = path + ".damaged" + (n == 1 ? "" : "-" + std::to_string(n));
        struct stat info;
        if (lstat(name.c_str(), &info) == 0 || errno != ENOENT) continue;
        return rename(path.c_str(), name.c_str()) == 0 ? name : "";
    }
    return "";
}

std::string DamagedFileMessage(const std::string& path, int line, const std::string& error) {
    return "The settings file '" + path + "' cannot be read: line " + std::to_string(line) + ": " +
           error + ". It has been left as it is.";
}

FileSettingsStore::FileSettingsStore(std::string path, ErrorSink& errors)
    : path_(std::move(path)), errors_(errors) {}

void FileSettingsStore::Report(const std::string& content, const std::string& text) {
    // LoadSettings opens the key twice on a first run; say it once.
    if (reported_ && content == reportedContent_) return;
    reported_ = true;
    reportedContent_ = content;
    errors_.ShowError(text);
}

FileSettingsStore::LoadState FileSettingsStore::Load() {
    document_ = regfile::RegDocument{};
    std::string content, problem;
    switch (ReadRegularFile(path_, content, problem)) {
        case ReadOutcome::Missing:
            return LoadState::Missing;
        case ReadOutcome::Folder:
        case ReadOutcome::Failed: {
            const std::string text = "The settings file '" + path_ +
                                     "' cannot be read: " + problem +
                                     ". It has been left as it is.";
            Report(text, text);
            return LoadState::Failed;
        }
        case ReadOutcome::Read:
            break;
    }
    // An empty file holds no values, as a new one.
    if (content.empty()) return LoadState::Loaded;
    regfile::ParseResult parsed = regfile::ParseRegFile(content);
    if (!parsed.ok) {
        Report(content, DamagedFileMessage(path_, parsed.errorLine, parsed.error));
        return LoadState::Failed;
    }
    document_ = std::move(parsed.document);
    return LoadState::Loaded;
}

bool FileSettingsStore::OpenKey(bool create) {
    CloseKey();
    const LoadState state = Load();
    if (state == LoadState::Failed) {
        if (!(create && userSave_)) return false;
        replaceUnreadable_ = true;
    }
    const bool hasKey = state == LoadState::Loaded && regfile::HasKey(document_, kSettingsKey);
    if (!hasKey) {
        if (!create) return false;
        regfile::AddKey(document_, kSettingsKey);
        // A user save writes at the flush, where a failure is reported.
        if (userSave_) {
            changed_ = true;
        } else if (!WriteFileAtomically(path_, regfile::WriteRegFile(document_))) {
            return false;
        }
    }
    open_ = true;
    return true;
}

ReadResult FileSettingsStore::ReadValue(const char* name, uint32_t& value) {
    if (!open_) return ReadResult::Missing;
    const regfile::RegData* data = regfile::FindValue(document_, kSettingsKey, name);
    if (!data || data->kind == regfile::DataKind::Delete) return ReadResult::Missing;
    // What RegQueryValueEx with a 4-byte buffer would give.
    if (regfile::DataSize(*data) > 4) return ReadResult::Missing;
    if (data->kind == regfile::DataKind::Dword) {
        value = data->dword;
        return ReadResult::Ok;
    }
    if (data->kind == regfile::DataKind::Hex && data->hexType == regfile::kRegDword) {
        uint8_t bytes[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < data->bytes.size(); ++i) bytes[i] = data->bytes[i];
        value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
        return ReadResult::Ok;
    }
    return ReadResult::OtherType;
}

bool FileSettingsStore::WriteValue(const char* name, uint32_t value) {
    if (!open_) return false;
    regfile::SetDword(document_, kSettingsKey, name, value);
    changed_ = true;
    return true;
}

bool FileSettingsStore::FlushKey() {
    if (!open_) return false;
    if (!changed_) return true;
    const std::string content = regfile::WriteRegFile(document_);
    if (!(userSave_ ? WriteUserSave(content) : WriteFileAtomically(path_, content))) return false;
    changed_ = false;
    return true;
}

// The user is never trapped by a file that cannot be read, or by a file where
// the settings folder belongs: it is kept beside under another name, and the
// new file takes its place.
bool FileSettingsStore::WriteUserSave(const std::string& content) {
    std::string kept, what = "The settings file '" + path_ + "' could not be read";
    if (replaceUnreadable_) {
        // A read-only file stays, damaged or not.
        if (ReadOnlyFile(path_)) return false;
        kept = MoveAside(path_);
        if (kept.empty()) return false;
        replaceUnreadable_ = false;
    }
    bool written = WriteFileAtomically(path_, content);
    if (!written && kept.empty()) {
        const std::string inTheWay = FileInPlaceOfFolder(path_);
        if (inTheWay.empty()) return false;
        kept = MoveAside(inTheWay);
        if (kept.empty()) return false;
        what = "'" + inTheWay + "' was a file where the settings folder belongs";
        written = WriteFileAtomically(path_, content);
    }
    if (!kept.empty()) {
        errors_.ShowError(what + ". It has been kept as '" + kept + "'" +
                          (written ? ", and the settings were saved in '" + path_ + "'." : "."));
    }
    return written;
}

void FileSettingsStore::CloseKey() {
    open_ = false;
    changed_ = false;
    replaceUnreadable_ = false;
    document_ = regfile::RegDocument{};
}

}  // namespace zarvella::linux_shell
