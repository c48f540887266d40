// A batch of conversions: the engine owns its jobs (source, target, state, progress, reason),
// decides which of them run, runs up to N at once and tells a front end what happens through
// events. The window and vantrel-cli only display those events.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/convert_job.h"
#include "engine/job.h"

namespace engine {

class JobLog;

struct BatchOptions {
    std::string folder;     // the output folder, absolute
    int profile = 0;        // the output profile list's index
    int parallel = 1;       // conversions at once, 1 or more
    bool overwrite = true;  // false: a job whose target exists is skipped
    bool verify = false;    // each result is read back before its job completes
    std::string logFolder;  // where each job's log is kept (JobLogPath); "": no logs
    std::string toolFolder;
    std::chrono::milliseconds silenceLimit = kDefaultSilenceLimit;
};

struct BatchSummary {
    int complete = 0;
    int failed = 0;   // ended in Error
    int skipped = 0;  // never ran (see Batch)
    int stopped = 0;  // were running when Stop came
    bool wasStopped = false;
    // The first failed or skipped job's source and reason, "" when there is none.
    std::string firstFailure;
};

// What a front end hears of a running batch. Events come from the batch's threads, one at a
// time and never two at once, in the order things happened.
class BatchEvents {
public:
    virtual ~BatchEvents() = default;
    virtual void JobStarted(int /*index*/, const Job& /*job*/) {}
    // A started job ends once. A skipped one ends at the start of the batch, without a start;
    // after Stop, the jobs that never started get no event.
    // `job.progress` has changed; `batchPercent` is the whole batch's.
    virtual void JobProgress(int /*index*/, const Job& /*job*/, int /*batchPercent*/) {}
    virtual void JobEnded(int /*index*/, const Job& /*job*/, int /*batchPercent*/) {}
    // A failure the user must see at once ("Can't create out pipe"), each text once.
    virtual void Alert(const std::string& /*text*/) {}
    // Always the last event. The output folder is worth showing unless the batch was stopped.
    virtual void BatchEnded(const BatchSummary& /*summary*/) {}
};

class Batch {
public:
    // Plans the jobs, in the order given, by the job list's rules (PlanJobs): each source's
    // target in `options.folder`, and the jobs that will not run, with the reason; without
    // `overwrite`, a target that exists is skipped. `stop` is the front end's stop request;
    // the batch clears it when it honours it.
    Batch(const std::vector<std::string>& sources, BatchOptions options, std::atomic<bool>& stop);
    // Runs jobs a JobList has planned already: those Ready run, the others are Skipped.
    Batch(std::vector<Job> jobs, BatchOptions options, std::atomic<bool>& stop);

    // Runs the batch on the calling thread with up to `parallel` conversions at once, and
    // returns when every job has ended or Stop has ended the running ones. The jobs are taken
    // in order; after Stop no other job starts. First the partial files that killed runs left
    // in the output folder are removed, and the custom profile's choices are read, once.
    void Run(BatchEvents& events);

    // The jobs with their current state; safe to call from any thread.
    std::vector<Job> Jobs() const;
    const BatchOptions& Options() const { return options_; }

private:
    void Plan(const std::vector<std::string>& sources);
    void CountRunnable();
    void RemoveAbandonedPartFiles() const;
    void RunJobs(BatchEvents& events);
    // Records how the job at `index` ended, closes its log and tells the front end.
    void EndJob(BatchEvents& events, int index, JobLog& log, const ConvertResult& result);
    int BatchPercentLocked() const;
    static int ShareOf(const Job& job);
    // Takes the next job to run, or -1 when none is left or Stop was asked for.
    int TakeNext();

    const BatchOptions options_;
    std::atomic<bool>& stop_;
    mutable std::mutex mutex_;  // guards jobs_, next_ and the events
    std::vector<Job> jobs_;
    std::size_t next_ = 0;
    bool ran_ = false;
    std::unordered_set<std::string> sourceIds_;  // FileIdentity of every source
    std::optional<CustomSelection> custom_;      // set before the jobs run, read-only after
    std::set<std::string> alerted_;
    int runnable_ = 0;     // jobs that were not skipped
    long percentSum_ = 0;  // their shares of the batch's per cent, kept as they change
};

// Runs one batch on the calling thread (a front end gives it a thread of its own); returns 1
// when it has ended.
int ConvertWorkerProc(Batch& batch, BatchEvents& events);

// Why `folder` cannot take the batch's results, or "": it must be an existing folder we may
// write into.
std::string OutputFolderProblem(const std::string& folder);

}  // namespace engine
