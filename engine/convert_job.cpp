#include "engine/convert_job.h"

#include "engine/command_line.h"
#include "engine/encoder_process.h"
#include "engine/job_verdict.h"
#include "engine/output_scanner.h"
#include "platform/path_info.h"

namespace engine {
namespace {

using Clock = std::chrono::steady_clock;
using Kind = platform::PathInfo::Kind;

ConvertResult Failed(std::string reason, int exitCode = -1) {
    return {JobState::Error, std::move(reason), exitCode};
}

// Why the source cannot be converted, or "". Nothing is opened: a FIFO or a device would
// block the opener, and the encoder with it.
std::string SourceProblem(const Job& job, const platform::PathInfo& source) {
    if (source.kind == Kind::Missing)
        return "the source file cannot be read: " + platform::ErrorText(source.error);
    if (source.kind != Kind::Regular)
        return "the source is not a regular file";
    if (int error = 0; !platform::CanRead(job.source, &error))
        return "the source file cannot be read: " + platform::ErrorText(error);
    const platform::PathInfo target = platform::Inspect(job.target);
    if (target.kind != Kind::Missing && target.device == source.device &&
        target.inode == source.inode)
        return "the output file would replace its own source";
    return "";
}

// Moves a finished run's output onto the target; why that failed, or "".
std::string Publish(const std::string& part, const std::string& target) {
    if (const std::string why = OutputFailure(platform::Inspect(part), part); !why.empty())
        return why;
    if (int error = 0; !platform::RenameFile(part, target, &error))
        return "the result could not be saved as " + target + ": " + platform::ErrorText(error);
    const platform::PathInfo saved = platform::Inspect(target);
    if (saved.kind != Kind::Regular)
        return "the result is gone from " + target;
    return "";
}

}  // namespace

CommandLine JobCommand(const Job& job, const std::string& folder, int profile) {
    CommandLine command = BuildConvertCommand(job.source, folder, profile);
    command.args.back() = PartPathOf(job.target);  // the output path is always the last argument
    return command;
}

ConvertResult ConvertJob(const Job& job, const ConvertSettings& settings,
                         const std::atomic<bool>& stop, const ConvertCallbacks& callbacks) {
    const platform::PathInfo source = platform::Inspect(job.source);
    if (const std::string why = SourceProblem(job, source); !why.empty())
        return Failed(why);

    // A ".part" left by a run that was killed is replaced; whatever stands there (a link to
    // someone else's file, say) is removed first, never written through.
    const std::string part = PartPathOf(job.target);
    if (platform::Inspect(part).kind == Kind::Folder || !platform::RemoveFile(part))
        return Failed("the temporary output " + part + " cannot be replaced");

    const CommandLine command = JobCommand(job, settings.folder, settings.profile);
    EncoderProcess tool;
    const EncoderProcess::StartStatus started = tool.Start(command, settings.toolFolder);
    if (const char* text = StartFailureText(started); *text && callbacks.alert)
        callbacks.alert(text);

    const unsigned long sourceKb = static_cast<unsigned long>(source.size / 1000);
    OutputScanner scanner;
    int progress = 0;
    bool stopped = false;
    bool silent = false;
    auto lastOutput = Clock::now();
    std::string chunk;
    for (;;) {
        const EncoderProcess::ReadStatus read =
            tool.ReadChunk(kWorkerReadPauseMs, kWorkerChunkSize, &chunk);
        if (stop.load()) {
            stopped = true;
            break;
        }
        if (read == EncoderProcess::ReadStatus::Ended) {
            scanner.Finish();
            break;
        }
        if (read == EncoderProcess::ReadStatus::NoOutput) {
            if (Clock::now() - lastOutput >= settings.silenceLimit) {
                silent = true;
                break;
            }
            continue;
        }
        lastOutput = Clock::now();
        scanner.Feed(chunk);
        if (scanner.DecodeFailed())
            break;
        const int now = scanner.Progress(sourceKb);
        if (now >= 1 && now != progress && callbacks.progress)
            callbacks.progress(now);
        progress = now;
    }
    // A Stop that arrived while the output was ending still counts.
    stopped = stopped || stop.load();

    const EncoderProcess::Outcome outcome = stopped || silent ? tool.Abort() : tool.Finish();
    const int exitCode = outcome.exited ? outcome.exitCode : -1;
    std::string why;
    if (stopped) {
        platform::RemoveFile(part);
        return {JobState::Stop, "stopped", exitCode};
    }
    if (silent) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(settings.silenceLimit).count();
        why =
            "the encoder printed nothing for " + std::to_string(seconds) + " seconds and was ended";
    } else if (!outcome.started && *StartFailureText(started)) {
        why = StartFailureText(started);
    } else if (!outcome.started) {
        why = "the encoder " + command.args.front() + " could not be started";
    } else {
        why = RunFailure(outcome, {scanner.ErrorLines(), scanner.LastLine()}, part);
    }
    if (why.empty())
        why = Publish(part, job.target);
    if (!why.empty()) {
        platform::RemoveFile(part);
        return Failed(why, exitCode);
    }
    return {JobState::Complete, "", exitCode};
}

}  // namespace engine
