#include "engine/batch.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <set>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "engine/command_line.h"
#include "engine/job_list.h"
#include "engine/job_log.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/path_info.h"

namespace engine {

Batch::Batch(const std::vector<std::string>& sources, BatchOptions options, std::atomic<bool>& stop)
    : options_(std::move(options)), stop_(stop) {
    Plan(sources);
}

// The job list's rules decide which jobs run; a job that must not run is skipped with the
// reason.
void Batch::Plan(const std::vector<std::string>& sources) {
    jobs_.reserve(sources.size());
    for (const std::string& source : sources) {
        Job job;
        job.source = source;
        jobs_.push_back(std::move(job));
    }
    PlanOptions planOptions;
    planOptions.folder = options_.folder;
    planOptions.existing = options_.overwrite ? ExistingTargets::Replace : ExistingTargets::Skip;
    const engine::Plan plan = PlanJobs(jobs_, planOptions);
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
        const PlanEntry& entry = plan.rows[i];
        Job& job = jobs_[i];
        job.target = entry.target;
        if (entry.verdict != Verdict::Run) {
            job.state = JobState::Skipped;
            job.reason = entry.reason;
            job.targetExists = entry.targetExists;
            job.duplicate = entry.verdict == Verdict::Listed;
        }
    }
    CountRunnable();
}

Batch::Batch(std::vector<Job> jobs, BatchOptions options, std::atomic<bool>& stop)
    : options_(std::move(options)), stop_(stop), jobs_(std::move(jobs)) {
    CountRunnable();
}

void Batch::CountRunnable() {
    for (const Job& job : jobs_) sourceIds_.insert(FileIdentity(job.source));
    runnable_ = static_cast<int>(std::count_if(
        jobs_.begin(), jobs_.end(), [](const Job& job) { return job.state != JobState::Skipped; }));
}

// The partial files that runs killed before they ended left in the output folder: only files
// with Vantrel's partial names that no live run holds, and never one of this batch's sources.
void Batch::RemoveAbandonedPartFiles() const {
    if (!platform::path::IsAbsolute(options_.folder))
        return;
    for (const std::string& name : platform::FolderNames(options_.folder)) {
        const std::string path = platform::path::Join(options_.folder, name);
        if (IsPartFileName(name) && sourceIds_.count(FileIdentity(path)) == 0)
            platform::RemoveIfUnlocked(path);
    }
}

std::vector<Job> Batch::Jobs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return jobs_;
}

int Batch::BatchPercentLocked() const {
    return runnable_ == 0 ? 100 : static_cast<int>(percentSum_ / runnable_);
}

// What a job adds to the batch's per cent: a whole 100 once it has ended.
int Batch::ShareOf(const Job& job) {
    return job.Ended() ? 100 : std::clamp(job.progress, 0, 100);
}

int Batch::TakeNext() {
    // The caller holds the lock.
    if (stop_.load())
        return -1;
    while (next_ < jobs_.size() && jobs_[next_].state != JobState::Ready) ++next_;
    if (next_ == jobs_.size())
        return -1;
    jobs_[next_].state = JobState::Converting;
    return static_cast<int>(next_++);
}

void Batch::EndJob(BatchEvents& events, int index, JobLog& log, const ConvertResult& result) {
    log.Close(result.state, result.reason);
    std::lock_guard<std::mutex> lock(mutex_);
    Job& ended = jobs_[index];
    percentSum_ -= ShareOf(ended);
    ended.state = result.state;
    ended.reason = result.reason;
    ended.exitCode = result.exitCode;
    ended.progress = result.state == JobState::Complete ? 100 : 0;
    percentSum_ += ShareOf(ended);
    events.JobEnded(index, ended, BatchPercentLocked());
}

namespace {

// Runs a job's finishing step, which must not throw, as a result.
ConvertResult RunFinishStep(const FinishStep& finish) {
    try {
        return finish();
    } catch (const std::exception& e) {
        return {JobState::Error, std::string("the conversion failed: ") + e.what(), -1};
    } catch (...) {
        return {JobState::Error, "the conversion failed", -1};
    }
}

}  // namespace

void Batch::RunJobs(BatchEvents& events) {
    const ConvertSettings settings{options_.folder,       options_.profile,   options_.toolFolder,
                                   options_.silenceLimit, options_.overwrite, custom_,
                                   options_.verify};
    // A result is read back while this thread converts the next job, on a core the
    // conversion leaves free: the check then costs the batch little time. Jobs still end in
    // the order they started, since a job ends only after the check before it.
    std::thread checking;
    for (;;) {
        Job job;
        int index;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            index = TakeNext();
            if (index < 0)
                break;
            job = jobs_[index];
            events.JobStarted(index, job);
        }
        auto log = std::make_shared<JobLog>(options_.logFolder, job.source);
        ConvertCallbacks callbacks;
        if (log->IsWanted())
            callbacks.output = [&log](const std::string& chunk) { log->Append(chunk); };
        callbacks.progress = [&](int percent) {
            std::lock_guard<std::mutex> lock(mutex_);
            Job& running = jobs_[index];
            percentSum_ -= ShareOf(running);
            running.progress = percent;
            percentSum_ += ShareOf(running);
            events.JobProgress(index, running, BatchPercentLocked());
        };
        // Said once per batch: without pipes every job fails alike.
        callbacks.alert = [&](const std::string& text) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (alerted_.insert(text).second)
                events.Alert(text);
        };
        FinishStep finish;
        ConvertResult result;
        try {
            result = ConvertJob(job, settings, stop_, callbacks, &finish);
        } catch (const std::exception& e) {
            result = {JobState::Error, std::string("the conversion failed: ") + e.what(), -1};
        } catch (...) {
            result = {JobState::Error, "the conversion failed", -1};
        }
        if (checking.joinable())
            checking.join();
        if (!finish) {
            EndJob(events, index, *log, result);
            continue;
        }
        auto end = [this, &events, index, log, finish = std::move(finish)] {
            EndJob(events, index, *log, RunFinishStep(finish));
        };
        try {
            checking = std::thread(end);
        } catch (const std::system_error&) {
            end();  // no thread to be had: the check runs before the next job
        }
    }
    if (checking.joinable())
        checking.join();
}

void Batch::Run(BatchEvents& events) {
    int ready = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!ran_) {
            RemoveAbandonedPartFiles();
            if (options_.profile == kCustomProfile)
                custom_ = ReadCustomSelection();
            for (std::size_t i = 0; i < jobs_.size(); ++i) {
                if (jobs_[i].state == JobState::Ready)
                    ++ready;
                else if (jobs_[i].state == JobState::Skipped)
                    events.JobEnded(static_cast<int>(i), jobs_[i], BatchPercentLocked());
            }
        }
        ran_ = true;
    }
    const int threads = std::clamp(ready, 0, std::max(options_.parallel, 1));
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back([this, &events] { RunJobs(events); });
        } catch (const std::system_error&) {
            break;  // no more threads to be had: fewer jobs at once, this thread still runs them
        }
    }
    if (threads > 0)
        RunJobs(events);
    for (std::thread& helper : helpers) helper.join();

    std::lock_guard<std::mutex> lock(mutex_);
    BatchSummary summary;
    summary.wasStopped = stop_.exchange(false);
    for (const Job& job : jobs_) {
        if (job.state == JobState::Complete)
            ++summary.complete;
        else if (job.state == JobState::Stop)
            ++summary.stopped;
        else if (job.state == JobState::Error)
            ++summary.failed;
        else if (job.state == JobState::Skipped)
            ++summary.skipped;
        if ((job.state == JobState::Error || job.state == JobState::Skipped) &&
            summary.firstFailure.empty())
            summary.firstFailure = job.source + ": " + job.reason;
    }
    events.BatchEnded(summary);
}

int ConvertWorkerProc(Batch& batch, BatchEvents& events) {
    batch.Run(events);
    return 1;
}

std::string OutputFolderProblem(const std::string& folder) {
    if (!platform::path::IsAbsolute(folder))
        return "The output folder \"" + folder + "\" is not an absolute path.";
    const platform::PathInfo status = platform::Inspect(folder);
    if (status.kind == platform::PathInfo::Kind::Missing)
        return "The output folder " + folder + " does not exist (" +
               platform::ErrorText(status.error) + ").";
    if (status.kind != platform::PathInfo::Kind::Folder)
        return "The output folder " + folder + " is not a folder.";
    if (int error = 0; !platform::CanWriteInto(folder, &error))
        return "The output folder " + folder + " cannot be written to (" +
               platform::ErrorText(error) + ").";
    return "";
}

}  // namespace engine
