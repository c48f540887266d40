#include "engine/convert_worker.h"

#include <optional>
#include <string>

#include "engine/command_line.h"
#include "engine/encoder_process.h"
#include "engine/job_row.h"
#include "engine/output_scanner.h"
#include "platform/fs.h"

namespace engine {
namespace {

// Reads the flag and clears it in one step, so a request is honoured exactly once.
bool TakeStop(std::atomic<bool>& stop) {
    return stop.exchange(false);
}

struct JobResult {
    bool stopped = false;
    JobReport report;
};

JobReport Report(const char* status, std::string reason, int exitCode = -1) {
    return JobReport{status, std::move(reason), exitCode};
}

std::string ExitReason(const EncoderProcess::Outcome& outcome, const OutputScanner& scanner) {
    std::string reason;
    if (outcome.terminated)
        reason = "the encoder did not exit and was ended";
    else if (outcome.exited)
        reason = "the encoder exited with status " + std::to_string(outcome.exitCode);
    else
        reason = "the encoder was ended by a signal";
    if (!scanner.LastLine().empty())
        reason += ": " + scanner.LastLine();
    return reason;
}

// One job: runs the tool on `source` and reads its output until it ends or Stop is asked for.
JobResult ConvertJob(WorkerHost& host, int row, const std::string& source,
                     const std::string& folder, int profile) {
    const std::string output = OutputPathOf(source, folder);
    const std::optional<std::uint64_t> sourceBytes = platform::FileSize(source);

    host.SelectRow(row);
    host.SetRowStatus(row, kStatusConverting);

    // Sound behaviour before the tool ever runs: an unreadable source cannot convert, and a
    // job whose output is its own source would overwrite it (or delete it on Stop).
    if (!sourceBytes)
        return {false, Report(kStatusError, "the source file cannot be read")};
    if (platform::SameFile(source, output))
        return {false, Report(kStatusError, "the output file would replace its own source")};

    const unsigned long sourceKb = static_cast<unsigned long>(*sourceBytes / 1000);
    const CommandLine command = BuildConvertCommand(source, folder, profile);

    EncoderProcess tool;
    const EncoderProcess::StartStatus started = tool.Start(command, host.ToolFolder());
    if (const char* text = StartFailureText(started); *text)
        host.ShowError(text);

    OutputScanner scanner;
    int progress = 0;
    bool stopped = false;
    std::string chunk;
    for (;;) {
        const EncoderProcess::ReadStatus read =
            tool.ReadChunk(kWorkerReadPauseMs, kWorkerChunkSize, &chunk);
        if (host.StopFlag().load()) {
            stopped = true;
            break;
        }
        if (read == EncoderProcess::ReadStatus::Ended) {
            scanner.Finish();
            break;
        }
        if (read == EncoderProcess::ReadStatus::NoOutput)
            continue;

        scanner.Feed(chunk);
        progress = scanner.Progress(sourceKb);
        if (scanner.DecodeFailed())
            break;
        if (progress >= 1)
            host.SetProgressPos(progress);
    }
    // A Stop that arrived while the output was ending still counts.
    if (!stopped && host.StopFlag().load())
        stopped = true;

    if (stopped) {
        host.SetRowStatus(row, kStatusStop);
        tool.Finish();
        platform::DeleteFile(output);
        host.SetProgressPos(0);
        return {true, Report(kStatusStop, "stopped")};
    }

    host.SetProgressPos(0);
    const EncoderProcess::Outcome outcome = tool.Finish();
    if (!outcome.started) {
        const std::string why = *StartFailureText(started) ? StartFailureText(started)
                                                           : "the encoder " + command.args.front() +
                                                                 " could not be started";
        return {false, Report(kStatusError, why)};
    }
    if (!outcome.Succeeded())
        return {false, Report(kStatusError, ExitReason(outcome, scanner),
                              outcome.exited ? outcome.exitCode : -1)};
    return {false, Report(kStatusComplete, "", 0)};
}

}  // namespace

int ConvertWorkerProc(WorkerHost& host) {
    host.SetProgressRange(1, 100);
    const std::string folder = host.OutputFolder();
    const int profile = host.ProfileIndex();

    bool stopped = false;
    for (int row = 0; row < host.RowCount(); ++row) {
        if (TakeStop(host.StopFlag())) {
            stopped = true;
            break;
        }
        const std::string source = host.RowPath(row);
        const JobResult result = ConvertJob(host, row, source, folder, profile);
        // A stopped job showed "Stop" before its tool was ended.
        if (!result.stopped)
            host.SetRowStatus(row, result.report.status);
        host.JobFinished(row, result.report);
    }
    // A Stop during the last job is honoured here.
    if (TakeStop(host.StopFlag()))
        stopped = true;

    if (!stopped)
        host.OpenFolder(folder);
    host.EnableControls();
    return 1;
}

}  // namespace engine
