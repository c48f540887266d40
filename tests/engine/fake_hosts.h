// Hosts for the worker and the probe that record what the engine did to the window.
#pragma once

#include <unistd.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/duration_probe.h"
#include "engine/worker_host.h"
#include "fake_tool.h"
#include "support/temp_folder.h"

namespace testing_support {

class FakeWorkerHost : public engine::WorkerHost {
public:
    std::vector<std::string> rows;
    std::vector<std::vector<std::string>> statusHistory;  // per row, every status set
    std::vector<int> selected;
    std::vector<int> progress;
    std::vector<std::string> opened;
    std::vector<std::string> errors;
    std::map<int, engine::JobReport> reports;
    int progressLow = -1, progressHigh = -1;
    int enableCount = 0;
    std::string folder;
    std::string toolFolder;
    int profile = 3;
    std::atomic<bool> stop{false};
    // Called after every status change, to let a test react (for example press Stop).
    std::function<void(int row, const std::string& status)> onStatus;
    std::function<void(int row)> onFinished;

    FakeWorkerHost(const EngineFolders& folders, std::vector<std::string> sources)
        : rows(std::move(sources)),
          statusHistory(rows.size()),
          folder(folders.Out()),
          toolFolder(folders.Tool()) {}

    std::string Status(int row) const {
        return statusHistory[row].empty() ? "Ready" : statusHistory[row].back();
    }

    int RowCount() override { return static_cast<int>(rows.size()); }
    std::string RowPath(int row) override { return rows.at(row); }
    void SetRowStatus(int row, const std::string& status) override {
        statusHistory.at(row).push_back(status);
        if (onStatus)
            onStatus(row, status);
    }
    void SelectRow(int row) override { selected.push_back(row); }
    void SetProgressRange(int low, int high) override {
        progressLow = low;
        progressHigh = high;
    }
    void SetProgressPos(int pos) override { progress.push_back(pos); }
    std::string OutputFolder() override { return folder; }
    int ProfileIndex() override { return profile; }
    std::atomic<bool>& StopFlag() override { return stop; }
    void EnableControls() override { ++enableCount; }
    void OpenFolder(const std::string& path) override { opened.push_back(path); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    std::string ToolFolder() override { return toolFolder; }
    void JobFinished(int row, const engine::JobReport& report) override {
        reports[row] = report;
        if (onFinished)
            onFinished(row);
    }
};

class FakeProbeHost : public engine::ProbeHost {
public:
    std::string file;
    std::string duration;
    std::string toolFolder;
    std::atomic<bool> stop{false};

    std::string ProbeFile() override { return file; }
    void SetDuration(const std::string& text) override { duration = text; }
    std::atomic<bool>& StopFlag() override { return stop; }
    std::string ToolFolder() override { return toolFolder; }
};

// True while a process with this pid exists (and is not a zombie of ours).
inline bool ProcessAlive(pid_t pid) {
    if (pid <= 0)
        return false;
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty())
        return false;
    const auto close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

inline pid_t ReadPid(const std::string& file) {
    const std::string text = ReadFile(file);
    return text.empty() ? -1 : static_cast<pid_t>(std::stol(text));
}

}  // namespace testing_support
