// FFmpeg as a child process: one pipe for its output, stop signals passed on with a grace
// period, its status returned.
#include "tools/ffmpeg_adapter/relay_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/process.h"
#include "tools/ffmpeg_adapter/missing_encoder.h"
#include "tools/ffmpeg_adapter/relay_loop.h"

namespace ffmpeg_adapter {

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Shared with the signal handlers. g_child is the running FFmpeg (0 when there is none),
// g_stopSignal the first stop signal received (0 before). g_wakeWrite, the write end of a pipe
// that the main loop polls, is set before any handler is installed and never changes after.
std::atomic<pid_t> g_child{0};
std::atomic<int> g_stopSignal{0};
int g_wakeWrite = -1;
static_assert(std::atomic<pid_t>::is_always_lock_free, "used from a signal handler");
static_assert(std::atomic<int>::is_always_lock_free, "used from a signal handler");

void WakeMainLoop() {
    const char byte = 0;
    (void)!::write(g_wakeWrite, &byte, 1);  // a full pipe is awake already
}

// SIGTERM, SIGINT, SIGHUP: passed on to FFmpeg; the main loop starts the grace period.
extern "C" void OnStopSignal(int signal) {
    const int savedErrno = errno;
    int none = 0;
    g_stopSignal.compare_exchange_strong(none, signal);
    const pid_t child = g_child.load();
    if (child > 0)
        ::kill(child, signal);
    WakeMainLoop();
    errno = savedErrno;
}

// SIGCHLD: the main loop looks whether FFmpeg has ended.
extern "C" void OnChildEvent(int) {
    const int savedErrno = errno;
    WakeMainLoop();
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

// True once FFmpeg has exited. It stays unreaped, so that its pid cannot be reused while the
// signal handler may still use it.
bool HasExited(pid_t child) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == child;
}

// FFmpeg behind a pipe for its output. A stop signal reaches it from our handler at once; its
// exit and the signals wake the poll through the wake pipe.
class PosixChild : public RelayedChild {
public:
    // `lifeline` (or -1) is a pipe our parent holds: its end means the parent is gone, which
    // counts as SIGTERM.
    PosixChild(pid_t child, int from, int wake, int lifeline)
        : child_(child), from_(from), wake_(wake), lifeline_(lifeline) {}

    bool Exited() override { return HasExited(child_); }
    bool StopRequested() override { return g_stopSignal.load() != 0; }
    void PassStopOn() override {}  // OnStopSignal passed the signal on already
    void Kill() override { ::kill(child_, SIGKILL); }
    bool Forward(const std::string& bytes) override { return WriteAll(STDOUT_FILENO, bytes); }

    Event Wait(int limitMs, bool outputOpen, std::string_view* piece) override {
        pollfd ready[3] = {
            {wake_, POLLIN, 0}, {outputOpen ? from_ : -1, POLLIN, 0}, {lifeline_, POLLIN, 0}};
        if (::poll(ready, 3, limitMs) <= 0)
            return Event::Nothing;  // a timeout or a signal
        if (ready[0].revents != 0) {
            while (::read(wake_, buffer_, sizeof buffer_) > 0) {
            }
        }
        if (ready[2].revents != 0) {
            const ssize_t got = ::read(lifeline_, buffer_, sizeof buffer_);
            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
                lifeline_ = -1;
                OnStopSignal(SIGTERM);
            }
        }
        if (ready[1].revents == 0)
            return Event::Nothing;
        const ssize_t n = ::read(from_, buffer_, sizeof buffer_);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return Event::Nothing;
        if (n <= 0)
            return Event::OutputClosed;
        *piece = std::string_view(buffer_, static_cast<std::size_t>(n));
        return Event::Output;
    }

private:
    pid_t child_;
    int from_;
    int wake_;
    int lifeline_;
    char buffer_[4096];
};

}  // namespace

// True when Vantrel started us with a pipe as standard input that it holds and never writes:
// its end is our parent's death. The variable goes no further than us.
bool TakeParentPipe() {
    const char* value = std::getenv(platform::kParentPipeVariable);
    const bool told = value != nullptr && std::strcmp(value, platform::kParentPipeStdin) == 0;
    ::unsetenv(platform::kParentPipeVariable);
    struct stat st {};
    return told && ::fstat(STDIN_FILENO, &st) == 0 && S_ISFIFO(st.st_mode);
}

namespace {

// True when the pipe our parent holds has already ended.
bool ParentPipeEnded() {
    pollfd entry{STDIN_FILENO, POLLIN, 0};
    char byte;
    return ::poll(&entry, 1, 0) == 1 && ::read(STDIN_FILENO, &byte, 1) == 0;
}

}  // namespace

// When the program that started us dies, we get SIGTERM and stop FFmpeg as for any stop signal.
// The parent may have died before we could ask for that, even before we could read its id, so
// a parent already gone is seen through its pipe (or, without one, by a new parent id).
void EndWithParent(bool parentPipe) {
#ifdef __linux__
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        std::exit(128 + SIGTERM);
#endif
    if (parentPipe && ParentPipeEnded())
        std::exit(128 + SIGTERM);
}

int RunAndRelay(const std::string& program, const std::vector<std::string>& args, bool parentPipe) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const std::string execFailed = "vantrel: cannot run " + program + "\n";

    int pipeFds[2];
    int wakeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0 || ::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        Report(std::string("vantrel: cannot create a pipe for FFmpeg: ") + std::strerror(errno));
        return 1;
    }
    g_wakeWrite = wakeFds[1];

    // Signals that arrive before FFmpeg's pid is known stay pending until it is.
    sigset_t handled;
    sigset_t previous;
    sigemptyset(&handled);
    for (int signal : kStopSignals) sigaddset(&handled, signal);
    sigaddset(&handled, SIGCHLD);
    ::sigprocmask(SIG_BLOCK, &handled, &previous);
    struct sigaction action {};
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnStopSignal;
    for (int signal : kStopSignals) ::sigaction(signal, &action, nullptr);
    action.sa_handler = OnChildEvent;
    ::sigaction(SIGCHLD, &action, nullptr);
    // A reader that goes away must not kill us before FFmpeg has been reaped.
    ::signal(SIGPIPE, SIG_IGN);

    const pid_t adapter = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls from here to exec. Should we die without stopping
        // FFmpeg ourselves (SIGKILL, a crash), nobody would be left to time its end: it is
        // killed at once.
#ifdef __linux__
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != adapter)
            ::_exit(128 + SIGKILL);
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

    MissingEncoderWatch watch;
    PosixChild relayed(child, pipeFds[0], wakeFds[0], parentPipe ? STDIN_FILENO : -1);
    const Ending ending = Relay(relayed, watch);
    ::close(pipeFds[0]);
    g_child.store(0);  // from here on the handlers leave FFmpeg alone
    int code = 128 + g_stopSignal.load();
    if (ending.exited) {
        int status = 0;
        pid_t reaped;
        while ((reaped = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
        }
        if (!ending.killed)
            code = reaped == child ? ExitCodeOf(status) : 1;
    }
    if (code != 0 && watch.Seen())
        Report(kNoH264Message);
    return code;
}

}  // namespace ffmpeg_adapter
