// What a test hears of the engine: a recorder of a batch's events, and ways to run a batch or
// look at the processes it started.
#pragma once

#include <unistd.h>

#include "process_checks.h"

#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/batch.h"
#include "fake_tool.h"
#include "support/temp_folder.h"

namespace testing_support {

class RecordingEvents : public engine::BatchEvents {
public:
    std::vector<int> started;                   // job indexes, in the order they started
    std::vector<std::pair<int, int>> progress;  // (job, per cent), in order
    std::vector<int> batchPercents;             // with every progress and end event
    std::map<int, engine::Job> ended;
    std::vector<std::string> alerts;
    std::optional<engine::BatchSummary> summary;
    int running = 0;
    int mostRunning = 0;
    bool overlapped = false;  // two events were delivered at once
    // Called inside the events, to let a test react (press Stop, say).
    std::function<void(int job)> onStarted;
    std::function<void(int job)> onEnded;
    std::function<void(int job)> onProgress;

    engine::JobState State(int job) const {
        const auto found = ended.find(job);
        return found == ended.end() ? engine::JobState::Ready : found->second.state;
    }
    std::string Reason(int job) const {
        const auto found = ended.find(job);
        return found == ended.end() ? "" : found->second.reason;
    }

    void JobStarted(int index, const engine::Job&) override {
        Enter();
        started.push_back(index);
        mostRunning = std::max(mostRunning, ++running);
        if (onStarted)
            onStarted(index);
        Leave();
    }
    void JobProgress(int index, const engine::Job& job, int batchPercent) override {
        Enter();
        progress.emplace_back(index, job.progress);
        batchPercents.push_back(batchPercent);
        if (onProgress)
            onProgress(index);
        Leave();
    }
    void JobEnded(int index, const engine::Job& job, int batchPercent) override {
        Enter();
        --running;
        ended[index] = job;
        batchPercents.push_back(batchPercent);
        if (onEnded)
            onEnded(index);
        Leave();
    }
    void Alert(const std::string& text) override { alerts.push_back(text); }
    void BatchEnded(const engine::BatchSummary& result) override { summary = result; }

private:
    void Enter() { overlapped = overlapped || inside_.exchange(true); }
    void Leave() { inside_.store(false); }
    std::atomic<bool> inside_{false};
};

// A batch into folders.Out() with the fake encoder, profile 3, one job at a time.
inline engine::BatchOptions FakeOptions(const EngineFolders& folders) {
    engine::BatchOptions options;
    options.folder = folders.Out();
    options.profile = 3;
    options.toolFolder = folders.Tool();
    return options;
}

// Runs a batch to its end on the calling thread.
inline void RunBatch(const std::vector<std::string>& sources, const engine::BatchOptions& options,
                     RecordingEvents& events, std::atomic<bool>& stop) {
    engine::Batch batch(sources, options, stop);
    engine::ConvertWorkerProc(batch, events);
}

// True while a process with this pid exists (and is not a zombie of ours).
inline bool ProcessAlive(pid_t pid) {
    if (pid <= 0)
        return false;
#ifdef _WIN32
    return IsAlive(pid);
#endif
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
