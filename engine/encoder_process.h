// EncoderProcess: one run of the encoder tool as a hidden child process whose console output
// is handed back in raw chunks.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "engine/command_line.h"

namespace platform {
class ChildProcess;
}

namespace engine {

class EncoderProcess {
public:
    enum class StartStatus {
        Started,
        OutPipeFailed,    // "Can't create out pipe"
        InputPipeFailed,  // "Can't create input pipe"
        NotStarted,       // the tool could not be started (missing, not executable)
    };

    enum class ReadStatus {
        Chunk,     // `chunk` holds the bytes of this read
        NoOutput,  // the pause ran out with nothing to read; the caller may look at its stop flag
        Ended,     // the tool closed its output (or the read failed)
    };

    struct Outcome {
        bool started = false;     // the tool ran at all
        bool terminated = false;  // it had to be killed after the two waits
        bool exited = false;      // it exited by itself (not by a signal)
        int exitCode = -1;        // its exit status when `exited`
        // True only for a tool that ran, exited by itself and returned 0.
        bool Succeeded() const { return started && !terminated && exited && exitCode == 0; }
    };

    EncoderProcess();
    // Kills a run that is still open at once (no waits) and reaps it; call Finish first to give
    // the tool its two waits.
    ~EncoderProcess();
    EncoderProcess(const EncoderProcess&) = delete;
    EncoderProcess& operator=(const EncoderProcess&) = delete;

    // Starts the tool without a shell. A relative args[0] is resolved against `toolFolder`.
    // A run that is still open is killed first, as by the destructor. When a pipe cannot be
    // created the tool is not started at all.
    StartStatus Start(const CommandLine& command, const std::string& toolFolder);

    // Waits at most `pauseMs` for output, then reads at most `chunkSize` bytes. Output that is
    // already waiting is returned at once.
    ReadStatus ReadChunk(int pauseMs, std::size_t chunkSize, std::string* chunk);

    // Waits twice 1000 ms for the tool to exit, kills it (and everything it started) when it
    // has not, reaps it and closes every handle of the run. Safe to call more than once.
    Outcome Finish();

    // Ends a run whose result is no longer wanted (Stop, a tool gone silent): asks the tool to
    // end at once (SIGTERM), kills it when it has not within two seconds, reaps it and closes
    // every handle. Safe to call more than once, and after Finish.
    Outcome Abort();

private:
    Outcome End(bool abort);

    std::unique_ptr<platform::ChildProcess> child_;
    Outcome outcome_;
    bool finished_ = true;
};

// The message shown for a failed start, or "" for Started and NotStarted.
const char* StartFailureText(EncoderProcess::StartStatus status);

}  // namespace engine
