// What vantrel-cli shows of a running batch: a status line on standard output as each job
// ends, warnings and failure reasons on standard error, and on a terminal a progress line of
// the whole batch that is wiped before anything else is written.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "engine/batch.h"

namespace cli {

class TerminalHost final : public engine::BatchEvents {
public:
    // `names`: each job's file as the user gave it, in the batch's order; `toRun`: how many
    // of them are not skipped. `showProgress`: draw the progress line on standard error (only
    // sensible on a terminal).
    TerminalHost(std::vector<std::string> names, int toRun, bool showProgress);

    void JobStarted(int index, const engine::Job& job) override;
    void JobProgress(int index, const engine::Job& job, int batchPercent) override;
    void JobEnded(int index, const engine::Job& job, int batchPercent) override;
    void Alert(const std::string& text) override;
    void BatchEnded(const engine::BatchSummary& summary) override;

    const engine::BatchSummary& Summary() const { return summary_; }

private:
    void DrawProgress();
    void ClearProgress();

    const std::vector<std::string> names_;
    const bool showProgress_;
    bool progressShown_ = false;
    std::string lastDrawn_;
    std::map<int, int> running_;  // job index to per cent
    const int toRun_;
    int done_ = 0;  // jobs that ran and ended
    int batchPercent_ = 0;
    engine::BatchSummary summary_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Writes "vantrel-cli: TEXT" on standard error, with TEXT made printable.
void Warn(const std::string& text);

// Warns that the job of file `name` is skipped, and why.
void WarnSkipped(const std::string& name, const engine::Job& job);

}  // namespace cli
