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

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/process.h"
#include "tools/ffmpeg_adapter/kib_rewriter.h"
#include "tools/ffmpeg_adapter/missing_encoder.h"

namespace ffmpeg_adapter {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long a possible "KiB" may wait for its last letters before it is sent as it is.
constexpr milliseconds kHold{50};
// How long FFmpeg may take to end once it has been asked to stop, before it is killed: time to
// close its output file, not to finish the job.
constexpr milliseconds kGrace = std::chrono::seconds(3);
// How long a killed FFmpeg may take to be gone before we leave without it.
constexpr milliseconds kReap = std::chrono::seconds(1);

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

int MillisecondsUntil(Clock::time_point when) {
    const auto left = std::chrono::duration_cast<milliseconds>(when - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

// What became of FFmpeg.
struct Ending {
    bool exited = false;  // it exited and is still to be reaped
    bool killed = false;  // it did not stop within the grace period and was sent SIGKILL
};

// Passes FFmpeg's output on until FFmpeg has closed it and exited. When our reader has gone,
// the output is still drained so that FFmpeg is never blocked on a full pipe. Once a stop
// signal has come, FFmpeg has kGrace to end before it is killed.
// `lifeline` (or -1) is a pipe our parent holds: its end means the parent is gone, which
// counts as SIGTERM.
Ending Relay(pid_t child, int from, int wake, int lifeline, MissingEncoderWatch& watch) {
    KibRewriter rewriter;
    bool readerThere = true;
    auto forward = [&](const std::string& bytes) {
        if (readerThere && !bytes.empty())
            readerThere = WriteAll(STDOUT_FILENO, bytes);
    };
    bool outputOpen = true;
    std::optional<Clock::time_point> flushAt;  // when held bytes go out as they are
    std::optional<Clock::time_point> giveUpAt;
    Ending ending;
    char buffer[4096];
    for (;;) {
        if (!outputOpen && HasExited(child)) {
            ending.exited = true;
            return ending;
        }
        if (!giveUpAt && g_stopSignal.load() != 0)
            giveUpAt = Clock::now() + kGrace;
        if (giveUpAt && Clock::now() >= *giveUpAt) {
            if (ending.killed)
                return ending;  // not gone even so: leave without it
            ::kill(child, SIGKILL);
            ending.killed = true;
            giveUpAt = Clock::now() + kReap;
        }
        if (flushAt && Clock::now() >= *flushAt) {
            forward(rewriter.Flush());
            flushAt.reset();
        }

        int timeout = -1;
        for (const auto& when : {flushAt, giveUpAt})
            if (when)
                timeout = timeout < 0 ? MillisecondsUntil(*when)
                                      : std::min(timeout, MillisecondsUntil(*when));
        pollfd ready[3] = {
            {wake, POLLIN, 0}, {outputOpen ? from : -1, POLLIN, 0}, {lifeline, POLLIN, 0}};
        if (::poll(ready, 3, timeout) <= 0)
            continue;  // a timeout or a signal: looked at above
        if (ready[0].revents != 0) {
            while (::read(wake, buffer, sizeof buffer) > 0) {
            }
        }
        if (ready[2].revents != 0) {
            const ssize_t got = ::read(lifeline, buffer, sizeof buffer);
            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
                lifeline = -1;
                OnStopSignal(SIGTERM);
            }
        }
        if (ready[1].revents == 0)
            continue;
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            outputOpen = false;
            forward(rewriter.Flush());
            flushAt.reset();
            continue;
        }
        const std::string_view piece(buffer, static_cast<std::size_t>(n));
        watch.Feed(piece);
        forward(rewriter.Feed(piece));
        if (!rewriter.Holding())
            flushAt.reset();
        else if (!flushAt)
            flushAt = Clock::now() + kHold;
    }
}

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
    const Ending ending =
        Relay(child, pipeFds[0], wakeFds[0], parentPipe ? STDIN_FILENO : -1, watch);
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
