#include "engine/duration_probe.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/command_line.h"
#include "engine/encoder_process.h"
#include "engine/job_verdict.h"
#include "engine/output_scanner.h"
#include "platform/path_info.h"

namespace engine {
namespace {

using Clock = std::chrono::steady_clock;

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

ProbeResult Probe(const std::string& file, const ProbeOptions& options,
                  const std::atomic<bool>& stop) {
    ProbeResult result;
    result.problem = SourceProblem(file, platform::Inspect(file));
    if (!result.problem.empty())
        return result;

    const CommandLine command = BuildProbeCommand(file);
    EncoderProcess tool;
    result.alert = StartFailureText(tool.Start(command, options.toolFolder));

    const auto deadline = Clock::now() + options.limit;
    OutputScanner scanner;
    std::string chunk;
    bool gaveUp = false;
    for (;;) {
        const auto read = tool.ReadChunk(kProbeReadPauseMs, kProbeChunkSize, &chunk);
        if (read == EncoderProcess::ReadStatus::Chunk)
            scanner.Feed(chunk);
        if (read == EncoderProcess::ReadStatus::Ended) {
            scanner.Finish();
            break;
        }
        if (stop.load() || Clock::now() >= deadline) {
            result.overran = !stop.load();
            gaveUp = true;
            break;
        }
    }
    const EncoderProcess::Outcome finished = gaveUp ? tool.Abort() : tool.Finish();
    result.length = scanner.DurationText().value_or("");
    if (result.alert.empty() && !gaveUp)
        result.toolFailure = ToolFailure(command, finished, scanner);
    if (result.length.empty() && result.toolFailure.empty())
        result.problem = result.overran                  ? "the encoder took too long"
                         : !scanner.ErrorLines().empty() ? scanner.ErrorLines().back()
                                                         : "no duration found";
    return result;
}

}  // namespace

ProbeResult DurationProbeProc(const std::string& file, const ProbeOptions& options,
                              const std::atomic<bool>& stop) {
    try {
        return Probe(file, options, stop);
    } catch (const std::exception& e) {
        ProbeResult failed;
        failed.problem = e.what();
        return failed;
    } catch (...) {
        ProbeResult failed;
        failed.problem = "the probe failed";
        return failed;
    }
}

void ProbeFiles(const std::vector<std::string>& files, int parallel, const ProbeOptions& options,
                const std::atomic<bool>& stop, ProbeEvents& events) {
    std::mutex mutex;  // guards `next` and the events
    std::size_t next = 0;
    auto work = [&] {
        for (;;) {
            std::size_t index;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (stop.load() || next == files.size())
                    return;
                index = next++;
            }
            const ProbeResult result = DurationProbeProc(files[index], options, stop);
            std::lock_guard<std::mutex> lock(mutex);
            events.ProbeEnded(static_cast<int>(index), result);
        }
    };
    const int threads =
        static_cast<int>(std::min<std::size_t>(std::max(parallel, 1), files.size()));
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // no more threads to be had: fewer probes at once
        }
    }
    if (threads > 0)
        work();
    for (std::thread& helper : helpers) helper.join();
}

}  // namespace engine
