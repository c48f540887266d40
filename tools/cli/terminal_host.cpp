#include "terminal_host.h"

#include <algorithm>

#include "engine/tool_location.h"

namespace cli {
namespace {

constexpr int kBarWidth = 30;
constexpr std::size_t kNameWidth = 40;

// The file name, shortened from the left to fit the progress line.
std::string ShortName(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.size() > kNameWidth)
        name = "..." + name.substr(name.size() - (kNameWidth - 3));
    return name;
}

}  // namespace

TerminalHost::TerminalHost(std::vector<std::string> sources, std::string folder, int profile,
                           std::atomic<bool>& stop, bool showProgress)
    : sources_(std::move(sources)),
      statuses_(sources_.size()),
      folder_(std::move(folder)),
      profile_(profile),
      stop_(stop),
      showProgress_(showProgress) {}

void TerminalHost::SetRowStatus(int row, const std::string& status) {
    statuses_.at(row) = status;
    if (showProgress_ && status == "Converting")
        SetProgressPos(0);
}

void TerminalHost::SetProgressPos(int pos) {
    if (!showProgress_ || current_ < 0)
        return;
    const int percent = std::clamp(pos, 0, 100);
    const int filled = percent * kBarWidth / 100;
    std::fprintf(stderr, "\r\033[K%s [%s%s] %3d%%", ShortName(sources_[current_]).c_str(),
                 std::string(filled, '#').c_str(), std::string(kBarWidth - filled, '-').c_str(),
                 percent);
    std::fflush(stderr);
    progressShown_ = true;
}

void TerminalHost::ClearProgressLine() {
    if (!progressShown_)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    progressShown_ = false;
}

void TerminalHost::ShowError(const std::string& text) {
    ClearProgressLine();
    std::fprintf(stderr, "vantrel-cli: %s\n", text.c_str());
}

std::string TerminalHost::ToolFolder() {
    return engine::FindToolFolder();
}

void TerminalHost::JobFinished(int row, const engine::JobReport& report) {
    ClearProgressLine();
    statuses_.at(row) = report.status;
    std::fprintf(stdout, "%s\t%s\n", report.status.c_str(), sources_.at(row).c_str());
    std::fflush(stdout);
    if (!report.reason.empty() && report.status != "Stop")
        std::fprintf(stderr, "vantrel-cli: %s: %s\n", sources_.at(row).c_str(),
                     report.reason.c_str());
}

bool TerminalHost::Probe(const std::string& source, std::string* length) {
    probeFile_ = source;
    duration_.clear();
    const engine::ProbeOutcome outcome = engine::RunDurationProbe(*this, engine::ProbeWait{});
    *length = duration_;
    if (!outcome.startFailure.empty())
        ShowError(outcome.startFailure);
    else if (!outcome.toolFailure.empty())
        ShowError(source + ": " + outcome.toolFailure);
    return outcome.startFailure.empty() && outcome.toolFailure.empty();
}

}  // namespace cli
