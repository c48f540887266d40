#include "terminal_host.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "engine/time_left.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "printable.h"
#include "progress_line.h"

namespace cli {
namespace {

constexpr std::size_t kDefaultColumns = 80;
constexpr char kWipeLine[] = "\r\033[K";

// The width of the terminal on standard error, else $COLUMNS, else 80.
std::size_t TerminalColumns() {
    if (const int columns = platform::TerminalColumns(platform::StdStream::Error); columns > 0)
        return static_cast<std::size_t>(columns);
    if (const char* columns = std::getenv("COLUMNS")) {
        const long value = std::strtol(columns, nullptr, 10);
        if (value > 0)
            return static_cast<std::size_t>(value);
    }
    return kDefaultColumns;
}

std::string FileNameOf(const std::string& path) {
    return platform::path::FileName(path);
}

}  // namespace

void Warn(const std::string& text) {
    std::fprintf(stderr, "vantrel-cli: %s\n", Printable(text).c_str());
    std::fflush(stderr);
}

void WarnSkipped(const std::string& name, const engine::Job& job) {
    Warn("skipping " + name + ": " + job.reason +
         (job.targetExists ? " (--overwrite converts anyway)" : ""));
}

TerminalHost::TerminalHost(std::vector<std::string> names, int toRun, bool showProgress)
    : names_(std::move(names)), showProgress_(showProgress), toRun_(toRun) {}

void TerminalHost::JobStarted(int index, const engine::Job&) {
    running_[index] = 0;
    DrawProgress();
}

void TerminalHost::JobProgress(int index, const engine::Job& job, int batchPercent) {
    running_[index] = job.progress;
    batchPercent_ = batchPercent;
    DrawProgress();
}

void TerminalHost::JobEnded(int index, const engine::Job& job, int batchPercent) {
    ClearProgress();
    const std::string& name = names_.at(index);
    if (job.state == engine::JobState::Skipped) {
        WarnSkipped(name, job);  // not a failure: the job was not meant to run
    } else {
        running_.erase(index);
        ++done_;
        batchPercent_ = batchPercent;
        std::printf("%s\t%s\n", engine::StatusWord(job.state), Printable(name).c_str());
        std::fflush(stdout);
        if (job.state == engine::JobState::Error)
            Warn(name + ": " + job.reason);
    }
    DrawProgress();
}

void TerminalHost::Alert(const std::string& text) {
    ClearProgress();
    Warn(text);
    DrawProgress();
}

void TerminalHost::BatchEnded(const engine::BatchSummary& summary) {
    summary_ = summary;
    ClearProgress();
}

void TerminalHost::DrawProgress() {
    if (!showProgress_ || running_.empty())
        return;
    std::vector<RunningJob> running;
    for (const auto& [index, percent] : running_)
        running.push_back({Printable(FileNameOf(names_.at(index))), percent});
    // Leave the last column free, or the terminal may wrap the line.
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const std::optional<double> left = engine::SecondsLeft(elapsed, batchPercent_);
    const std::string line =
        ProgressLine(done_, toRun_, batchPercent_, running, TerminalColumns() - 1,
                     left ? engine::DurationText(*left) : std::string());
    if (progressShown_ && line == lastDrawn_)
        return;
    std::fprintf(stderr, "%s%s", kWipeLine, line.c_str());
    std::fflush(stderr);
    lastDrawn_ = line;
    progressShown_ = true;
}

void TerminalHost::ClearProgress() {
    if (!progressShown_)
        return;
    std::fputs(kWipeLine, stderr);
    std::fflush(stderr);
    progressShown_ = false;
}

}  // namespace cli
