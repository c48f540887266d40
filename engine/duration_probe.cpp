#include "engine/duration_probe.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/command_line.h"
#include "engine/encoder_process.h"
#include "engine/output_scanner.h"

namespace engine {

namespace {

// The exit status by which a tool says that it could not run at all (the shell's "command not
// found", which the adapter also uses when FFmpeg is missing).
constexpr int kToolNotFoundStatus = 127;

std::string ToolFailure(const CommandLine& command, const EncoderProcess::Outcome& finished,
                        const OutputScanner& scanner) {
    if (!finished.started)
        return "the encoder " + command.args.front() + " could not be started";
    if (finished.exited && finished.exitCode == kToolNotFoundStatus)
        return scanner.LastLine().empty() ? "the encoder could not run" : scanner.LastLine();
    return "";
}

}  // namespace

int DurationProbeProc(ProbeHost& host, const std::atomic<bool>* abandon, ProbeOutcome* outcome) {
    const CommandLine command = BuildProbeCommand(host.ProbeFile());
    EncoderProcess tool;
    const auto started = tool.Start(command, host.ToolFolder());
    if (outcome)
        outcome->startFailure = StartFailureText(started);

    OutputScanner scanner;
    std::optional<std::string> reported;
    std::string chunk;
    for (;;) {
        const auto read = tool.ReadChunk(kProbeReadPauseMs, kProbeChunkSize, &chunk);
        if (read == EncoderProcess::ReadStatus::Chunk)
            scanner.Feed(chunk);
        if (read == EncoderProcess::ReadStatus::Ended)
            scanner.Finish();
        // Hand each new duration over as soon as it is seen, so a probe that is made to give
        // up still leaves what it found.
        if (scanner.DurationText() != reported) {
            reported = scanner.DurationText();
            host.SetDuration(*reported);
        }
        if (host.StopFlag().load()) {
            tool.Finish();
            host.StopFlag().store(false);
            return 1;
        }
        if (read == EncoderProcess::ReadStatus::Ended)
            break;
        if (abandon && abandon->load())
            break;
    }
    const EncoderProcess::Outcome finished = tool.Finish();
    if (outcome && outcome->startFailure.empty())
        outcome->toolFailure = ToolFailure(command, finished, scanner);
    return 1;
}

ProbeOutcome RunDurationProbe(ProbeHost& host, const ProbeWait& wait) {
    std::mutex mutex;
    std::condition_variable doneChanged;
    bool done = false;
    std::atomic<bool> abandon{false};
    ProbeOutcome outcome;

    std::thread probe([&] {
        DurationProbeProc(host, &abandon, &outcome);
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
        doneChanged.notify_all();
    });

    // Waits until the probe is done or `limit` has passed, calling whileWaiting now and then.
    auto waitFor = [&](std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        const auto step = wait.whileWaiting ? std::chrono::milliseconds(50) : limit;
        std::unique_lock<std::mutex> lock(mutex);
        while (!done && std::chrono::steady_clock::now() < deadline) {
            doneChanged.wait_until(lock,
                                   std::min(deadline, std::chrono::steady_clock::now() + step),
                                   [&] { return done; });
            if (!done && wait.whileWaiting) {
                lock.unlock();
                wait.whileWaiting();
                lock.lock();
            }
        }
        return done;
    };

    if (!waitFor(wait.first) && !waitFor(wait.second)) {
        outcome.overran = true;
        abandon.store(true);
        // The probe now ends its tool within a few seconds; keep the window painted meanwhile.
        waitFor(std::chrono::hours(1));
    }
    probe.join();
    return outcome;
}

}  // namespace engine
