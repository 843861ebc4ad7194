#include "platform/posix/ending_signals.h"

#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace zarvella::posix {

namespace {

std::atomic<bool> gEnding{false};
std::atomic<int> gWake{-1};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void OnEndingSignal(int) {
    const int saved = errno;
    gEnding = true;
    const int fd = gWake;
    if (fd >= 0) shutdown(fd, SHUT_RDWR);
    errno = saved;
}

}  // namespace

void CatchEndingSignals() {
    struct sigaction action = {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    sigset_t ending;
    sigemptyset(&ending);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(s, &action, nullptr);
        sigaddset(&ending, s);
    }
    sigprocmask(SIG_UNBLOCK, &ending, nullptr);
}

bool EndingSignalled() {
    return gEnding;
}

void WakeOnEndingSignal(int socket) {
    gWake = socket;
    if (socket >= 0 && gEnding) shutdown(socket, SHUT_RDWR);  // a signal came first
}

}  // namespace zarvella::posix
