// The worker's and the probe's host for a terminal: the job list is the files given on the
// command line, statuses go to standard output, progress to standard error.
#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/duration_probe.h"
#include "engine/worker_host.h"

namespace cli {

class TerminalHost final : public engine::WorkerHost, public engine::ProbeHost {
public:
    // `showProgress`: draw a progress bar on standard error (only sensible on a terminal).
    TerminalHost(std::vector<std::string> sources, std::string folder, int profile,
                 std::atomic<bool>& stop, bool showProgress);

    // WorkerHost
    int RowCount() override { return static_cast<int>(sources_.size()); }
    std::string RowPath(int row) override { return sources_.at(row); }
    void SetRowStatus(int row, const std::string& status) override;
    void SelectRow(int row) override { current_ = row; }
    void SetProgressRange(int, int) override {}
    void SetProgressPos(int pos) override;
    std::string OutputFolder() override { return folder_; }
    int ProfileIndex() override { return profile_; }
    std::atomic<bool>& StopFlag() override { return stop_; }
    void EnableControls() override {}
    void OpenFolder(const std::string&) override {}  // a script wants no window
    void ShowError(const std::string& text) override;
    std::string ToolFolder() override;
    void JobFinished(int row, const engine::JobReport& report) override;

    // ProbeHost
    std::string ProbeFile() override { return probeFile_; }
    void SetDuration(const std::string& text) override { duration_ = text; }

    // Probes one file: `length` is its Length text, "" when none was found. False (with a
    // message on standard error) when the encoder itself could not run.
    bool Probe(const std::string& source, std::string* length);

    const std::vector<std::string>& Statuses() const { return statuses_; }

private:
    void ClearProgressLine();

    std::vector<std::string> sources_;
    std::vector<std::string> statuses_;
    std::string folder_;
    int profile_;
    std::atomic<bool>& stop_;
    bool showProgress_;
    bool progressShown_ = false;
    int current_ = -1;
    std::string probeFile_;
    std::string duration_;
};

}  // namespace cli
