#include "platform/linux/display_probes.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/linux/x11_window.h"

namespace zarvella::linux_shell {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

SessionEnvironment ReadSessionEnvironment() {
    SessionEnvironment env;
    env.display = Variable("DISPLAY");
    env.wayland = Variable("WAYLAND_DISPLAY");
    env.waylandSocket = Variable("WAYLAND_SOCKET");
    env.runtimeDir = Variable("XDG_RUNTIME_DIR");
    env.qtPlatform = Variable("QT_QPA_PLATFORM");
    return env;
}

bool SystemDisplayProbes::XOpens() {
    return DisplayOpens();
}

bool SystemDisplayProbes::WaylandOpens() {
    std::string path = env_.wayland;
    if (path.front() != '/') path = env_.runtimeDir + "/" + path;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool opens = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return opens;
}

Descriptor SystemDisplayProbes::Kind(int fd) {
    struct stat status {};
    if (fcntl(fd, F_GETFD) < 0 || fstat(fd, &status) != 0) return Descriptor::NotOpen;
    return S_ISSOCK(status.st_mode) ? Descriptor::Socket : Descriptor::Other;
}

void ApplyDisplayPlan(const DisplayPlan& plan) {
    if (plan.dropWaylandSocket) unsetenv("WAYLAND_SOCKET");
    if (!plan.qtPlatform.empty()) setenv("QT_QPA_PLATFORM", plan.qtPlatform.c_str(), 1);
}

}  // namespace zarvella::linux_shell
