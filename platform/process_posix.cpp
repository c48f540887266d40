#include "platform/process.h"

#include "platform/kernel.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string_view>
#include <thread>

extern char** environ;

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

void CloseFd(int& fd) {
    if (fd >= 0) {
        // Not retried on EINTR: on Linux the descriptor is gone either way.
        ::close(fd);
        fd = -1;
    }
}

// Milliseconds left until `deadline`, never negative.
int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// poll() on one descriptor for `events`, restarted after signals with the time that is left.
// Returns poll's result (1 ready, 0 time-out, -1 error).
int PollOne(int fd, short events, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd entry{fd, events, 0};
    for (;;) {
        const int rc = ::poll(&entry, 1, RemainingMs(deadline));
        if (rc >= 0 || errno != EINTR)
            return rc;
    }
}

// A descriptor numbered 0, 1 or 2 would be overwritten (or keep its close-on-exec flag) when
// the child's standard streams are set up, so pipe ends are moved above them.
bool MoveAboveStandardStreams(int& fd) {
    if (fd > 2)
        return true;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (moved < 0)
        return false;
    ::close(fd);
    fd = moved;
    return true;
}

// A pipe whose two ends are close-on-exec and above the standard streams. False with errno set.
bool MakePipe(int ends[2]) {
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    if (MoveAboveStandardStreams(ends[0]) && MoveAboveStandardStreams(ends[1]))
        return true;
    const int saved = errno;
    CloseFd(ends[0]);
    CloseFd(ends[1]);
    errno = saved;
    return false;
}

// We never write to the tool, but should any code of ours write to a pipe whose reader is
// gone, the write must fail with EPIPE instead of ending the program. Children get the default
// action back (see the spawn attributes).
void IgnoreSigpipeOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            sigemptyset(&ignore.sa_mask);
            ::sigaction(SIGPIPE, &ignore, nullptr);
        }
    });
}

// The child's stdin from `stdinFd`, stdout and stderr both to `stdoutFd`, nothing else open.
// Returns 0 or an errno.
int SetUpStreams(posix_spawn_file_actions_t* actions, int stdinFd, int stdoutFd) {
    if (int rc = posix_spawn_file_actions_adddup2(actions, stdinFd, 0))
        return rc;
    if (int rc = posix_spawn_file_actions_adddup2(actions, stdoutFd, 1))
        return rc;
    if (int rc = posix_spawn_file_actions_adddup2(actions, stdoutFd, 2))
        return rc;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Descriptors that other code opened without close-on-exec stay out of the tool as well.
    if (int rc = posix_spawn_file_actions_addclosefrom_np(actions, 3))
        return rc;
#endif
    return 0;
}

// The child leads a process group of its own, starts with no blocked signals and with every
// signal at its default action (an ignored SIGPIPE would otherwise be inherited through exec).
int SetUpAttributes(posix_spawnattr_t* attr) {
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t allSignals;
    sigfillset(&allSignals);
    const short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (int rc = posix_spawnattr_setflags(attr, flags))
        return rc;
    if (int rc = posix_spawnattr_setpgroup(attr, 0))
        return rc;
    if (int rc = posix_spawnattr_setsigmask(attr, &noSignals))
        return rc;
    return posix_spawnattr_setsigdefault(attr, &allSignals);
}

// Starts args[0] with our environment and working folder. Returns 0 or an errno; glibc reports
// a failed exec (missing file, no permission) as the result of posix_spawn itself.
int Spawn(const std::vector<std::string>& args, int stdinFd, int stdoutFd, pid_t* pid) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    // Our environment, saying what the child's standard input is.
    static const std::string parentPipe = std::string(kParentPipeVariable) + "=" + kParentPipeStdin;
    const std::string_view variable =
        std::string_view(parentPipe).substr(0, parentPipe.find('=') + 1);
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (std::string_view(*entry).substr(0, variable.size()) != variable)
            envp.push_back(*entry);
    envp.push_back(const_cast<char*>(parentPipe.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (int rc = posix_spawn_file_actions_init(&actions))
        return rc;
    posix_spawnattr_t attr;
    int rc = posix_spawnattr_init(&attr);
    if (rc != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return rc;
    }
    rc = SetUpStreams(&actions, stdinFd, stdoutFd);
    if (rc == 0)
        rc = SetUpAttributes(&attr);
    if (rc == 0)
        rc = posix_spawn(pid, argv[0], &actions, &attr, argv.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

}  // namespace

struct ChildProcess::Impl {
    ~Impl();
    StartResult Start(const std::vector<std::string>& args);
    ReadResult Read(int timeoutMs, std::size_t maxBytes, std::string* data);
    bool WaitForExit(int timeoutMs);
    StopResult Stop(const std::vector<StopStep>& steps);
    void SignalGroup(int signal);
    void ReapAndClose();

    pid_t pid_ = -1;
    int outRead_ = -1;  // our end of the program's stdout and stderr
    int inWrite_ = -1;  // our end of its stdin, held open and never written
    int pidFd_ = -1;    // readable once the program has exited (Linux 5.3+), else -1
    bool exited_ = false;
    bool reaped_ = false;
    StopResult result_;
};

ChildProcess::ChildProcess() : impl_(std::make_unique<Impl>()) {}

ChildProcess::~ChildProcess() = default;

ChildProcess::StartResult ChildProcess::Start(const std::vector<std::string>& args) {
    return impl_->Start(args);
}

bool ChildProcess::Started() const {
    return impl_->pid_ > 0;
}

std::int64_t ChildProcess::Id() const {
    return impl_->pid_ > 0 ? impl_->pid_ : -1;
}

ChildProcess::ReadResult ChildProcess::Read(int timeoutMs, std::size_t maxBytes,
                                            std::string* data) {
    return impl_->Read(timeoutMs, maxBytes, data);
}

bool ChildProcess::WaitForExit(int timeoutMs) {
    return impl_->WaitForExit(timeoutMs);
}

void ChildProcess::Terminate() {
    impl_->SignalGroup(SIGTERM);
}

void ChildProcess::Kill() {
    impl_->SignalGroup(SIGKILL);
}

StopResult ChildProcess::Stop(const std::vector<StopStep>& steps) {
    return impl_->Stop(steps);
}

ChildProcess::Impl::~Impl() {
    if (pid_ > 0 && !reaped_)
        SignalGroup(SIGKILL);
    ReapAndClose();
}

ChildProcess::StartResult ChildProcess::Impl::Start(const std::vector<std::string>& args) {
    if (pid_ > 0 && !reaped_)
        SignalGroup(SIGKILL);
    ReapAndClose();
    pid_ = -1;
    exited_ = false;
    reaped_ = false;
    result_ = StopResult{};

    StartResult result;
    if (args.empty() || args[0].empty()) {
        result.error = StartError::Spawn;
        result.errorNumber = ENOENT;
        return result;
    }
    IgnoreSigpipeOnce();

    int out[2] = {-1, -1};
    if (!MakePipe(out)) {
        result.error = StartError::OutputPipe;
        result.errorNumber = errno;
        return result;
    }
    int in[2] = {-1, -1};
    if (!MakePipe(in)) {
        result.error = StartError::InputPipe;
        result.errorNumber = errno;
        CloseFd(out[0]);
        CloseFd(out[1]);
        return result;
    }

    pid_t pid = -1;
    const int rc = Spawn(args, in[0], out[1], &pid);
    // The child's ends now belong to the child (or to nobody); our copies would keep the output
    // from ever reporting its end.
    CloseFd(out[1]);
    CloseFd(in[0]);
    if (rc != 0) {
        CloseFd(out[0]);
        CloseFd(in[1]);
        result.error = StartError::Spawn;
        result.errorNumber = rc;
        return result;
    }

    pid_ = pid;
    outRead_ = out[0];
    inWrite_ = in[1];
    pidFd_ = OpenExitDescriptor(pid);
    return result;
}

ChildProcess::ReadResult ChildProcess::Impl::Read(int timeoutMs, std::size_t maxBytes,
                                                  std::string* data) {
    data->clear();
    if (outRead_ < 0)
        return ReadResult::Ended;
    const int ready = PollOne(outRead_, POLLIN, std::max(timeoutMs, 0));
    if (ready == 0)
        return ReadResult::Timeout;
    if (ready < 0)
        return ReadResult::Ended;

    data->resize(std::max<std::size_t>(maxBytes, 1));
    ssize_t n;
    do {
        n = ::read(outRead_, &(*data)[0], data->size());
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        data->clear();
        return (n < 0 && errno == EAGAIN) ? ReadResult::Timeout : ReadResult::Ended;
    }
    data->resize(static_cast<std::size_t>(n));
    return ReadResult::Data;
}

bool ChildProcess::Impl::WaitForExit(int timeoutMs) {
    if (pid_ <= 0 || exited_ || reaped_)
        return true;
    timeoutMs = std::max(timeoutMs, 0);

    if (pidFd_ >= 0) {
        const int ready = PollOne(pidFd_, POLLIN, timeoutMs);
        if (ready > 0)
            exited_ = true;
        if (ready >= 0)
            return exited_;
        // poll failed for another reason: fall back to asking waitid.
    }

    // Without a pidfd: ask without reaping, sleeping a little longer between each question.
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto nap = std::chrono::milliseconds(1);
    for (;;) {
        siginfo_t info{};
        const int rc = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
        if (rc == 0 && info.si_pid == pid_)
            return exited_ = true;
        if (rc != 0 && errno != EINTR)
            return exited_ = true;  // not our child any more
        const int left = RemainingMs(deadline);
        if (left == 0)
            return false;
        std::this_thread::sleep_for(std::min(nap, std::chrono::milliseconds(left)));
        nap = std::min(nap * 2, std::chrono::milliseconds(50));
    }
}

void ChildProcess::Impl::SignalGroup(int signal) {
    if (pid_ <= 0 || reaped_)
        return;
    // Until it is reaped, the program's pid is still its group's id, so this cannot reach
    // anyone else's processes.
    if (::kill(-pid_, signal) != 0)
        ::kill(pid_, signal);
}

StopResult ChildProcess::Impl::Stop(const std::vector<StopStep>& steps) {
    if (pid_ <= 0 || reaped_) {
        ReapAndClose();
        return result_;
    }
    bool forced = false;
    for (const StopStep& step : steps) {
        if (WaitForExit(0))
            break;
        if (step.action == StopAction::Terminate) {
            forced = true;
            SignalGroup(SIGTERM);
        } else if (step.action == StopAction::Kill) {
            forced = true;
            SignalGroup(SIGKILL);
        }
        if (WaitForExit(step.timeoutMs))
            break;
    }
    if (!WaitForExit(0)) {
        forced = true;
        SignalGroup(SIGKILL);
    }
    // Whatever the program started and left in its group goes with it.
    SignalGroup(SIGKILL);
    ReapAndClose();
    result_.forced = forced;
    return result_;
}

void ChildProcess::Impl::ReapAndClose() {
    if (pid_ > 0 && !reaped_) {
        int status = 0;
        pid_t rc;
        do {
            rc = ::waitpid(pid_, &status, 0);
        } while (rc < 0 && errno == EINTR);
        reaped_ = true;
        exited_ = true;
        if (rc == pid_ && WIFEXITED(status)) {
            result_.status.kind = ExitStatus::Kind::Exited;
            result_.status.code = WEXITSTATUS(status);
        } else if (rc == pid_ && WIFSIGNALED(status)) {
            result_.status.kind = ExitStatus::Kind::Signaled;
            result_.status.signal = WTERMSIG(status);
        }
    }
    CloseFd(outRead_);
    CloseFd(inWrite_);
    CloseFd(pidFd_);
}

}  // namespace platform
