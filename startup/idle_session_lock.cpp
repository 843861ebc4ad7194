#include "startup/idle_session_lock.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace zarvella {

namespace {

bool Private(const FolderFacts& f, unsigned userId) {
    return f.exists && f.directory && f.owner == userId && (f.mode & 077) == 0;
}

// ":N", ":N.S", "unix:N" and "unix:N.S" (the local socket): ":N".
std::string LocalXDisplay(std::string_view display) {
    if (display.starts_with("unix:")) display.remove_prefix(4);
    if (!display.starts_with(':')) return {};
    unsigned number = 0, screen = 0;
    const char* end = display.data() + display.size();
    auto result = std::from_chars(display.data() + 1, end, number);
    if (result.ec != std::errc() || result.ptr == display.data() + 1) return {};
    if (result.ptr != end && *result.ptr == '.') {
        const char* screenStart = result.ptr + 1;
        result = std::from_chars(screenStart, end, screen);
        if (result.ec != std::errc() || result.ptr == screenStart) return {};
    }
    if (result.ptr != end) return {};
    std::string local = std::to_string(number);  // appended: "+" trips GCC 12's -Wrestrict
    local.insert(local.begin(), ':');
    return local;
}

}  // namespace

std::string IdleRunUserFolder(unsigned userId) {
    return "/run/user/" + std::to_string(userId);
}

IdleLockFolderChoice IdleLockFolder(std::string runtimeDir, unsigned userId,
                                    const FolderFacts& runUser) {
    while (runtimeDir.size() > 1 && runtimeDir.ends_with('/')) runtimeDir.pop_back();
    if (runtimeDir.starts_with('/')) return {runtimeDir};
    if (Private(runUser, userId)) return {IdleRunUserFolder(userId)};
    return {"/tmp/zarvella-" + std::to_string(userId), true};
}

std::string IdlePrivateFolderProblem(const std::string& folder, const FolderFacts& facts,
                                     unsigned userId) {
    if (Private(facts, userId)) return {};
    const char* why = !facts.exists           ? "cannot be made"
                      : !facts.directory      ? "is not a folder"
                      : facts.owner != userId ? "belongs to another user"
                                              : "is open to other users (not mode 0700)";
    return "zarvella: " + folder + " " + why + ": --idle keeps its lock nowhere else";
}

std::string IdleLockPath(const std::string& folder, const std::string& display, bool wayland,
                         std::string_view kind) {
    std::string name = display;
    if (wayland && name.size() > folder.size() + 1 && name.starts_with(folder) &&
        name[folder.size()] == '/' && name.find('/', folder.size() + 1) == name.npos)
        name.erase(0, folder.size() + 1);
    const std::string x = wayland ? std::string() : LocalXDisplay(name);
    if (!x.empty()) name = x;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            c = '_';
    std::string path = folder + "/zarvella-";
    path.append(kind).append(".").append(name).append(".lock");
    return path;
}

std::string EnvironmentDisplay(std::string_view environ, bool wayland) {
    const std::string_view wanted = wayland ? "WAYLAND_DISPLAY=" : "DISPLAY=";
    while (!environ.empty()) {
        const size_t end = std::min(environ.find('\0'), environ.size());
        const std::string_view entry = environ.substr(0, end);
        if (entry.starts_with(wanted)) return std::string(entry.substr(wanted.size()));
        environ.remove_prefix(std::min(end + 1, environ.size()));
    }
    return {};
}

int ParseIdlePid(std::string_view text) {
    int pid = 0;
    const char* end = text.data() + text.size();
    const auto [rest, ec] = std::from_chars(text.data(), end, pid);
    if (ec != std::errc() || rest == text.data() || pid < 2) return 0;
    return rest + 1 == end && *rest == '\n' ? pid : 0;
}

}  // namespace zarvella
