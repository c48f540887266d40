// ChildProcess: one run of another program, started from an argument vector without a shell,
// with its standard output and standard error on one pipe that we read and its standard input
// a pipe that we hold. The program runs apart with whatever it starts (a process group of its
// own on POSIX, a job object on Windows), so ending it ends all of that too.
//
// On Windows a program in a console has no signal a window can send it, so a polite stop is a
// line on its standard input instead (see StopAction::Terminate), which Vantrel's encoder
// adapter answers by asking FFmpeg to stop.
//
// A ChildProcess belongs to the thread that uses it; it has no locks. Every run is reaped and
// every handle closed by Stop or, at the latest, by the destructor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
    Terminate,  // ask it to end (SIGTERM to its group; on Windows kStopRequest on its stdin)
    Kill,       // end it and everything it started at once, then wait
};

// What Terminate writes to the program's standard input on Windows.
inline constexpr char kStopRequest[] = "stop\n";

struct StopStep {
    StopAction action;
    int timeoutMs;
};

struct StopResult {
    ExitStatus status;
    bool forced = false;  // the program was still running when it was asked or made to end
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
        int errorNumber = 0;  // errno of the failed call (on Windows, its system error code)
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

    bool Started() const;
    // The system's id of the running program; -1 when there is none.
    std::int64_t Id() const;

    // Waits at most `timeoutMs` (0: do not wait) for output and reads at most `maxBytes` of it
    // into `data` (replacing its content). Output that is already waiting is returned at once.
    ReadResult Read(int timeoutMs, std::size_t maxBytes, std::string* data);

    // Waits at most `timeoutMs` for the program to exit. True once it has exited; it is not
    // reaped until Stop.
    bool WaitForExit(int timeoutMs);

    // Asks the program to end (as StopAction::Terminate does) or ends it and everything it
    // started at once.
    void Terminate();
    void Kill();

    // Runs `steps` in order until the program has exited, kills its group when it is still
    // running after the last step, then reaps it and closes every descriptor of the run.
    // Whatever the program left behind in its group is killed as well. Safe to call again:
    // later calls return the first result.
    StopResult Stop(const std::vector<StopStep>& steps);

private:
    struct Impl;  // the system's handles of one run, in process_<system>.cpp
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
