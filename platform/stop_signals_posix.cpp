#include "platform/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <initializer_list>

namespace platform {
namespace {

// The pipe's write end for the handler; -1 until set up.
std::atomic<int> g_notifyFd{-1};
int g_readFd = -1;
static_assert(std::atomic<int>::is_always_lock_free, "used from a signal handler");

extern "C" void NotifyStop(int) {
    const int savedErrno = errno;
    const int fd = g_notifyFd.load();
    if (fd >= 0) {
        const char byte = 1;
        (void)!::write(fd, &byte, 1);  // a full pipe already holds a notice
    }
    errno = savedErrno;
}

}  // namespace

int WatchStopSignals() {
    if (g_readFd >= 0)
        return g_readFd;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    g_readFd = fds[0];
    g_notifyFd.store(fds[1]);
    struct sigaction action {};
    action.sa_handler = NotifyStop;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
    return g_readFd;
}

void ConsumeStopSignals() {
    char buffer[64];
    while (g_readFd >= 0 && ::read(g_readFd, buffer, sizeof buffer) > 0) {
    }
}

}  // namespace platform
