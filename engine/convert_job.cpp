#include "engine/convert_job.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "engine/command_line.h"
#include "engine/encoder_process.h"
#include "engine/job_verdict.h"
#include "engine/output_scanner.h"
#include "engine/result_check.h"
#include "platform/fs.h"
#include "platform/path_info.h"

namespace engine {
namespace {

using Clock = std::chrono::steady_clock;
using Kind = platform::PathInfo::Kind;

ConvertResult Failed(std::string reason, int exitCode = -1) {
    return {JobState::Error, std::move(reason), exitCode};
}

// Moves a finished run's output onto the target; why that failed, or "". Without `overwrite`
// a target that appeared while the job ran (another run's, say) is kept.
std::string Publish(const std::string& part, const std::string& target, bool overwrite) {
    if (const std::string why = OutputFailure(platform::Inspect(part), part); !why.empty())
        return why;
    const platform::FileStatus renamed = platform::RenameFile(
        part, target,
        overwrite ? platform::ExistingTarget::Replace : platform::ExistingTarget::Keep);
    if (renamed.Error() == EEXIST && !overwrite)
        return target + " appeared while the job ran and is kept";
    if (!renamed)
        return "the result could not be saved: " + renamed.Message();
    if (platform::Inspect(target).kind != Kind::Regular)
        return "the result is gone from " + target;
    return "";
}

// A source that is not the file it was when the job started (another file in its place, or the
// same one grown, cut or rewritten) gave an output of no one file.
bool SourceChanged(const platform::PathInfo& before, const platform::PathInfo& after) {
    return !before.SameFileAs(after) || before.size != after.size ||
           before.modified != after.modified;
}

// The end of a run that went well: the result read back when the check is on, then renamed
// onto the target (a target that appeared meanwhile is replaced only as the job allows); a
// result that fails is removed.
ConvertResult FinishRun(const std::string& part, const Job& job, std::optional<double> seconds,
                        int exitCode, const ConvertSettings& settings,
                        const std::atomic<bool>& stop) {
    std::string why;
    if (settings.verify) {
        const VerifyOutcome verified =
            VerifyResult(part, seconds, settings.toolFolder, stop, settings.silenceLimit);
        if (verified.stopped) {
            platform::RemoveFile(part);
            return {JobState::Stop, "stopped", exitCode};
        }
        why = verified.failure;
    }
    if (why.empty())
        why = Publish(part, job.target, MayReplaceTarget(job, settings.overwrite));
    if (!why.empty()) {
        platform::RemoveFile(part);
        return Failed(why, exitCode);
    }
    return {JobState::Complete, "", exitCode};
}

}  // namespace

CommandLine JobCommand(const Job& job, const std::string& folder, int profile,
                       const CustomSelection* custom) {
    CommandLine command = BuildConvertCommand(job.source, folder, profile, custom);
    command.args.back() = PartPathOf(job.target);  // the output path is always the last argument
    return command;
}

ConvertResult ConvertJob(const Job& job, const ConvertSettings& settings,
                         const std::atomic<bool>& stop, const ConvertCallbacks& callbacks,
                         FinishStep* finish) {
    const platform::PathInfo source = platform::Inspect(job.source);
    if (const std::string why = SourceProblem(job.source, source); !why.empty())
        return Failed(why);
    const platform::PathInfo target = platform::Inspect(job.target);
    if (source.SameFileAs(target))
        return Failed("the output file would replace its own source");
    if (target.kind == Kind::Folder)
        return Failed("a folder stands at the target " + job.target);

    // The partial file is this run's alone: created new and locked. A partial file of a run
    // that was killed is removed first; one that a live run holds means that run writes the
    // same target, and this job leaves everything to it.
    const std::string part = PartPathOf(job.target);
    platform::FileLock::Claim claim = platform::FileLock::Claim::Failed;
    platform::FileStatus claimStatus;
    platform::FileLock owned = platform::FileLock::Create(part, &claim, &claimStatus);
    if (claim == platform::FileLock::Claim::Busy)
        return Failed("another run of Vantrel is writing " + job.target + " now");
    if (claim != platform::FileLock::Claim::Created)
        return Failed("the temporary output cannot be created: " + claimStatus.Message());

    const CommandLine command = JobCommand(job, settings.folder, settings.profile,
                                           settings.custom ? &*settings.custom : nullptr);
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
        if (callbacks.output)
            callbacks.output(chunk);
        scanner.Feed(chunk);
        if (scanner.DecodeFailed())
            break;
        // Past 100 (an output larger than its source) shows as a full bar.
        const int now = std::min(scanner.Progress(sourceKb), 100);
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
    if (why.empty() && SourceChanged(source, platform::Inspect(job.source)))
        why = "the source changed during the conversion";
    if (!why.empty()) {
        platform::RemoveFile(part);
        return Failed(why, exitCode);
    }
    // The partial file stays locked until its result is published or removed.
    const auto lock = std::make_shared<platform::FileLock>(std::move(owned));
    FinishStep rest = [part, job, seconds = scanner.TimeSeconds(), exitCode, settings, &stop,
                       lock] { return FinishRun(part, job, seconds, exitCode, settings, stop); };
    if (finish == nullptr || !settings.verify)
        return rest();
    *finish = std::move(rest);
    return {JobState::Converting, "", exitCode};
}

}  // namespace engine
