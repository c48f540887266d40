// FFmpeg as a child process: one pipe for its output, signals passed on, its status returned.
#include "tools/ffmpeg_adapter/relay_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <atomic>
#include <cerrno>
#include <cstring>

#include "tools/ffmpeg_adapter/kib_rewriter.h"

namespace ffmpeg_adapter {

namespace {

// How long a possible "KiB" may wait for its last letters before it is sent as it is.
constexpr int kHoldMs = 50;

constexpr int kForwardedSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The running FFmpeg, for the signal handler; 0 when there is none.
std::atomic<pid_t> g_child{0};
static_assert(std::atomic<pid_t>::is_always_lock_free, "used from a signal handler");

extern "C" void ForwardSignal(int signal) {
    const int savedErrno = errno;
    const pid_t child = g_child.load();
    if (child > 0)
        ::kill(child, signal);
    errno = savedErrno;
}

void Report(const std::string& message) {
    const std::string line = message + "\n";
    (void)!::write(STDERR_FILENO, line.data(), line.size());
}

// False once the reader of our output is gone (or writing fails otherwise).
bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

int ExitCodeOf(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 1;
}

// Passes FFmpeg's output on until it closes it. When our reader has gone, the output is still
// drained so that FFmpeg is never blocked on a full pipe.
void Relay(int from) {
    KibRewriter rewriter;
    bool readerThere = true;
    auto forward = [&](const std::string& bytes) {
        if (readerThere && !bytes.empty())
            readerThere = WriteAll(STDOUT_FILENO, bytes);
    };
    char buffer[4096];
    for (;;) {
        if (rewriter.Holding()) {
            pollfd ready{from, POLLIN, 0};
            const int r = ::poll(&ready, 1, kHoldMs);
            if (r < 0 && errno == EINTR)
                continue;
            if (r == 0) {
                forward(rewriter.Flush());
                continue;
            }
        }
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        forward(rewriter.Feed(std::string_view(buffer, static_cast<std::size_t>(n))));
    }
    forward(rewriter.Flush());
}

// Waits for FFmpeg to exit, leaving it unreaped so that its pid cannot be reused while the
// signal handler may still use it; then stops forwarding and reaps it.
int WaitAndReap(pid_t child) {
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT) != 0 &&
           errno == EINTR) {
    }
    g_child.store(0);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return 1;
    }
    return ExitCodeOf(status);
}

}  // namespace

int RunAndRelay(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const std::string execFailed = "vantrel: cannot run " + program + "\n";

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        Report(std::string("vantrel: cannot create a pipe for FFmpeg: ") + std::strerror(errno));
        return 1;
    }

    // Signals that arrive before FFmpeg's pid is known stay pending until it is.
    sigset_t forwarded;
    sigset_t previous;
    sigemptyset(&forwarded);
    for (int signal : kForwardedSignals) sigaddset(&forwarded, signal);
    ::sigprocmask(SIG_BLOCK, &forwarded, &previous);
    struct sigaction action {};
    action.sa_handler = ForwardSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : kForwardedSignals) ::sigaction(signal, &action, nullptr);
    // A reader that goes away must not kill us before FFmpeg has been reaped.
    ::signal(SIGPIPE, SIG_IGN);

    const pid_t adapter = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls from here to exec.
#ifdef __linux__
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != adapter)
            ::_exit(128 + SIGTERM);
#endif
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::signal(SIGPIPE, SIG_DFL);
        ::sigprocmask(SIG_SETMASK, &previous, nullptr);
        ::execv(program.c_str(), argv.data());
        (void)!::write(STDERR_FILENO, execFailed.data(), execFailed.size());
        ::_exit(127);
    }
    const int forkErrno = errno;
    ::close(pipeFds[1]);
    if (child < 0) {
        ::close(pipeFds[0]);
        ::sigprocmask(SIG_SETMASK, &previous, nullptr);
        Report(std::string("vantrel: cannot start FFmpeg: ") + std::strerror(forkErrno));
        return 1;
    }
    g_child.store(child);
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);

    Relay(pipeFds[0]);
    ::close(pipeFds[0]);
    return WaitAndReap(child);
}

}  // namespace ffmpeg_adapter
