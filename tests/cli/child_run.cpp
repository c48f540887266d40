#include "child_run.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

namespace testing_support {
namespace {

// How long output may stay open after the child has ended (a grandchild still holding it).
constexpr auto kOutputGrace = std::chrono::seconds(3);

std::vector<char*> CStrings(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

void CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// A pseudo-terminal as a pipe: ends[0] the side we read, ends[1] the terminal the child gets.
bool OpenTerminal(int ends[2]) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return false;
    const char* name = nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        (name = ::ptsname(master)) == nullptr) {
        ::close(master);
        return false;
    }
    const int terminal = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0) {
        ::close(master);
        return false;
    }
    ends[0] = master;
    ends[1] = terminal;
    return true;
}

}  // namespace

Environment::Environment() {
    for (char** entry = environ; *entry != nullptr; ++entry) entries_.emplace_back(*entry);
}

Environment& Environment::Unset(const std::string& name) {
    const std::string prefix = name + "=";
    std::vector<std::string> kept;
    for (std::string& entry : entries_)
        if (entry.compare(0, prefix.size(), prefix) != 0)
            kept.push_back(std::move(entry));
    entries_ = std::move(kept);
    return *this;
}

Environment& Environment::Set(const std::string& name, const std::string& value) {
    Unset(name);
    entries_.push_back(name + "=" + value);
    return *this;
}

RunningChild::RunningChild(const std::vector<std::string>& args, const Environment& env,
                           const std::string& workDir, bool errToTerminal) {
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const bool errReady = errToTerminal ? OpenTerminal(err) : ::pipe2(err, O_CLOEXEC) == 0;
    if (args.empty() || in < 0 || ::pipe2(out, O_CLOEXEC) != 0 || !errReady) {
        CloseFd(in);
        CloseFd(out[0]);
        CloseFd(out[1]);
        CloseFd(err[0]);
        CloseFd(err[1]);
        return;
    }
    // Everything the child needs is prepared before fork: after it only exec-safe calls.
    std::vector<char*> argv = CStrings(args);
    std::vector<char*> envp = CStrings(env.Entries());
    const char* folder = workDir.empty() ? nullptr : workDir.c_str();

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        if (folder != nullptr && ::chdir(folder) != 0)
            ::_exit(126);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    CloseFd(in);
    CloseFd(out[1]);
    CloseFd(err[1]);
    if (pid < 0) {
        CloseFd(out[0]);
        CloseFd(err[0]);
        return;
    }
    ::setpgid(pid, pid);  // also here, so a signal sent right away finds the group
    pid_ = pid;
    reader_ = std::thread(&RunningChild::ReadOutput, this, out[0], err[0]);
}

RunningChild::~RunningChild() {
    if (pid_ > 0 && !reaped_) {
        ::kill(-pid_, SIGKILL);
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    abandonReading_.store(true);
    if (reader_.joinable())
        reader_.join();
}

void RunningChild::ReadOutput(int outFd, int errFd) {
    int fds[2] = {outFd, errFd};
    while (!abandonReading_.load() && (fds[0] >= 0 || fds[1] >= 0)) {
        pollfd ready[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
        const int rc = ::poll(ready, 2, 50);
        if (rc < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2 && rc > 0; ++i) {
            if (fds[i] < 0 || ready[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i], buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            // A pseudo-terminal whose other side is closed reads as EIO: its end.
            if (n <= 0) {
                CloseFd(fds[i]);
                continue;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            (i == 0 ? out_ : err_).append(buffer, static_cast<std::size_t>(n));
        }
    }
    CloseFd(fds[0]);
    CloseFd(fds[1]);
    readingDone_.store(true);
}

void RunningChild::SignalGroup(int signal) {
    if (pid_ > 0 && !reaped_)
        ::kill(-pid_, signal);
}

std::string RunningChild::OutSoFar() {
    std::lock_guard<std::mutex> lock(mutex_);
    return out_;
}

ChildResult RunningChild::Wait(std::chrono::milliseconds limit) {
    ChildResult result;
    if (pid_ <= 0)
        return result;
    result.started = true;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_)
            break;
        if (done < 0 && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            result.timedOut = true;
            ::kill(-pid_, SIGKILL);
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reaped_ = true;
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);

    const auto graceEnd = std::chrono::steady_clock::now() + kOutputGrace;
    while (!readingDone_.load() && std::chrono::steady_clock::now() < graceEnd)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    result.outputOpen = !readingDone_.load();
    abandonReading_.store(true);
    if (reader_.joinable())
        reader_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    result.out = out_;
    result.err = err_;
    return result;
}

ChildResult RunChild(const std::vector<std::string>& args, const Environment& env,
                     std::chrono::milliseconds limit, const std::string& workDir) {
    RunningChild child(args, env, workDir);
    return child.Wait(limit);
}

}  // namespace testing_support
