#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <initializer_list>
#include <thread>

#include "platform/stop_signals.h"
#include "platform/stop_signals_common.h"

namespace platform {
namespace {

// The pipe's write end for the handler; -1 until set up.
std::atomic<int> g_notifyFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "used from a signal handler");

extern "C" void NoteStopSignal(int) {
    const int savedErrno = errno;
    const int fd = g_notifyFd.load();
    if (fd >= 0) {
        const char byte = 1;
        (void)!::write(fd, &byte, 1);  // a full pipe already holds a notice
    }
    errno = savedErrno;
}

// Reads the notices as they come and passes each on; runs for the rest of the program.
void Watch(int readFd) {
    char buffer[64];
    for (;;) {
        const ssize_t n = ::read(readFd, buffer, sizeof buffer);
        if (n > 0)
            stop_signals::NotifyStopWatch();
        else if (n == 0 || errno != EINTR)
            return;
    }
}

// Installs the handlers and starts the watching thread, once per program.
bool CatchStopSignals() {
    static const bool caught = [] {
        int fds[2];
        // The handler's end never blocks; the watcher's end does.
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
        g_notifyFd.store(fds[1]);
        std::thread(Watch, fds[0]).detach();
        struct sigaction action {};
        action.sa_handler = NoteStopSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
        return true;
    }();
    return caught;
}

}  // namespace

StopSignalWatch::StopSignalWatch(std::function<void()> onStop) {
    stop_signals::SetCallee(this, std::move(onStop));
    active_ = CatchStopSignals();
}

StopSignalWatch::~StopSignalWatch() {
    stop_signals::ClearCallee(this);
}

}  // namespace platform
