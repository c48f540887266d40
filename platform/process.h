// ChildProcess: one run of another program, started from an argument vector without a shell,
// with its standard output and standard error on one pipe that we read and its standard input
// a pipe that we never write. The program runs in a process group of its own, so ending it
// ends whatever it started too.
//
// A ChildProcess belongs to the thread that uses it; it has no locks. Every run is reaped and
// every descriptor closed by Stop or, at the latest, by the destructor.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// Set to "stdin" in the environment of every program a ChildProcess starts: its standard input
// is a pipe whose other end only the starting process holds and never writes, so end-of-file
// there tells the program that the process that started it has gone, however it died.
inline constexpr char kParentPipeVariable[] = "VANTREL_PARENT_PIPE";
inline constexpr char kParentPipeStdin[] = "stdin";

// How a started program ended.
struct ExitStatus {
    enum class Kind {
        NotStarted,  // there was no run, it is not reaped yet, or its status was lost
        Exited,      // it returned `code`
        Signaled,    // it died of `signal`
    };
    Kind kind = Kind::NotStarted;
    int code = -1;
    int signal = 0;
};

// One step of the stop sequence.
enum class StopAction {
    Wait,       // give the program time to exit by itself
    Terminate,  // send SIGTERM to its group, then wait
    Kill,       // send SIGKILL to its group, then wait
};

struct StopStep {
    StopAction action;
    int timeoutMs;
};

struct StopResult {
    ExitStatus status;
    bool forced = false;  // the program was still running when a signal was sent to it
};

class ChildProcess {
public:
    enum class StartError {
        None,
        OutputPipe,  // the output pipe could not be created
        InputPipe,   // the input pipe could not be created
        Spawn,       // the program could not be started (missing, not executable, no memory)
    };

    struct StartResult {
        StartError error = StartError::None;
        int errorNumber = 0;  // errno of the failed call
        bool Ok() const { return error == StartError::None; }
    };

    enum class ReadResult {
        Data,     // bytes were read
        Timeout,  // nothing arrived within the time-out
        Ended,    // the program closed its output (or the read failed, or nothing runs)
    };

    ChildProcess();
    // A run that is still open is killed at once (no grace period), reaped and closed.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts args[0] (a path; no search along PATH) with `args` as its argument vector and our
    // environment and working folder. On failure nothing is left open. A run that is still
    // open is killed first.
    StartResult Start(const std::vector<std::string>& args);

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // Waits at most `timeoutMs` (0: do not wait) for output and reads at most `maxBytes` of it
    // into `data` (replacing its content). Output that is already waiting is returned at once.
    ReadResult Read(int timeoutMs, std::size_t maxBytes, std::string* data);

    // Waits at most `timeoutMs` for the program to exit. True once it has exited; it is not
    // reaped until Stop.
    bool WaitForExit(int timeoutMs);

    // Sends SIGTERM or SIGKILL to the program's whole process group.
    void Terminate();
    void Kill();

    // Runs `steps` in order until the program has exited, kills its group when it is still
    // running after the last step, then reaps it and closes every descriptor of the run.
    // Whatever the program left behind in its group is killed as well. Safe to call again:
    // later calls return the first result.
    StopResult Stop(const std::vector<StopStep>& steps);

private:
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

}  // namespace platform
