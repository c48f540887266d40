// Test helper: runs a program as a child with an environment of the test's choosing and
// collects its standard output and standard error apart, its exit status, and whether it had
// to be killed. Arguments go to the program as they are; no shell is involved.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// An environment as NAME=value entries, starting from the test's own.
class Environment {
public:
    Environment();
    Environment& Set(const std::string& name, const std::string& value);
    Environment& Unset(const std::string& name);
    const std::vector<std::string>& Entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
};

struct ChildResult {
    bool started = false;
    bool timedOut = false;    // it ran past its time and was killed
    int exitCode = -1;        // its exit status when it exited by itself
    int signal = 0;           // the signal that ended it, 0 when it exited
    bool outputOpen = false;  // something it started still held its output open afterwards
    std::string out;
    std::string err;
};

// One running child. It runs in a process group of its own, as a terminal's foreground job
// does, so that SignalGroup reaches it the way Ctrl-C would.
class RunningChild {
public:
    // args[0] is the program's path. `workDir` "" keeps the test's folder. With
    // `errToTerminal` its standard error is a pseudo-terminal (read back as `err`).
    RunningChild(const std::vector<std::string>& args, const Environment& env,
                 const std::string& workDir = "", bool errToTerminal = false);
    // Kills a child that is still running and reaps it.
    ~RunningChild();
    RunningChild(const RunningChild&) = delete;
    RunningChild& operator=(const RunningChild&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // Sends `signal` to the child's process group.
    void SignalGroup(int signal);

    // What it has written to standard output so far.
    std::string OutSoFar();

    // Waits for it to end; after `limit` it is killed and the result says so.
    ChildResult Wait(std::chrono::milliseconds limit);

private:
    void ReadOutput(int outFd, int errFd);

    pid_t pid_ = -1;
    bool reaped_ = false;
    std::thread reader_;
    std::atomic<bool> abandonReading_{false};
    std::atomic<bool> readingDone_{false};
    std::mutex mutex_;
    std::string out_;
    std::string err_;
};

// Runs `args` to its end (killed after `limit`).
ChildResult RunChild(const std::vector<std::string>& args, const Environment& env,
                     std::chrono::milliseconds limit = std::chrono::seconds(60),
                     const std::string& workDir = "");

}  // namespace testing_support
