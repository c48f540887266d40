#include "engine/batch.h"

#include <algorithm>
#include <exception>
#include <set>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "engine/command_line.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/path_info.h"

namespace engine {
namespace {

// What makes two spellings of a path the same file: its device and inode when it exists,
// else its text.
std::string IdentityOf(const std::string& path) {
    const platform::PathInfo status = platform::Inspect(path);
    if (status.kind == platform::PathInfo::Kind::Missing)
        return "path:" + path;
    return std::to_string(status.device) + ":" + std::to_string(status.inode);
}

// On Windows, why the source or the target would name another file than it seems to (a
// device, a stream, a name Windows cuts), or be too long for FFmpeg; "" elsewhere.
std::string WindowsNameProblem(const std::string& source, const std::string& target) {
    if (std::string problem = platform::path::WindowsProblem(source); !problem.empty())
        return "the source cannot be used: " + problem;
    if (std::string problem = platform::path::WindowsProblem(target); !problem.empty())
        return "the target cannot be written: " + problem;
    return {};
}

}  // namespace

Batch::Batch(const std::vector<std::string>& sources, BatchOptions options, std::atomic<bool>& stop)
    : options_(std::move(options)), stop_(stop) {
    Plan(sources);
}

// One look at each source and each target, so that planning stays linear in the number of
// jobs however many there are.
void Batch::Plan(const std::vector<std::string>& sources) {
    std::unordered_map<std::string, std::size_t> sourceOwner;
    std::unordered_map<std::string, std::size_t> targetOwner;
    jobs_.reserve(sources.size());
    for (const std::string& source : sources) {
        Job job;
        job.source = source;
        job.target = OutputPathOf(source, options_.folder);
        auto skip = [&job](std::string reason) {
            job.state = JobState::Skipped;
            job.reason = std::move(reason);
        };
        if (!platform::path::IsAbsolute(source) || !platform::path::IsAbsolute(options_.folder)) {
            skip("the path is not absolute");
        } else if (const std::string problem = WindowsNameProblem(source, job.target);
                   !problem.empty()) {
            skip(problem);
        } else if (const auto [first, added] =
                       sourceOwner.emplace(IdentityOf(source), jobs_.size());
                   !added) {
            skip("it is named more than once; it is converted once");
            job.duplicate = true;
        } else if (const auto [owner, free] = targetOwner.emplace(job.target, jobs_.size());
                   !free) {
            skip("its target " + job.target + " is also the target of " +
                 jobs_[owner->second].source);
        } else if (!options_.overwrite && platform::PathExists(job.target)) {
            skip(job.target + " exists");
            job.targetExists = true;
        }
        jobs_.push_back(std::move(job));
    }
    // A job removes whatever stands at its ".part" name before it runs: never another job's
    // source ("clip.flv.part" converted in the same batch as "clip.avi").
    for (Job& job : jobs_) {
        if (job.state != JobState::Ready)
            continue;
        const std::string part = PartPathOf(job.target);
        if (const auto owner = sourceOwner.find(IdentityOf(part)); owner != sourceOwner.end()) {
            job.state = JobState::Skipped;
            job.reason =
                "its temporary output " + part + " is the source " + jobs_[owner->second].source;
        }
    }
    for (const auto& source : sourceOwner) sourceIds_.insert(source.first);
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
        if (IsPartFileName(name) && sourceIds_.count(IdentityOf(path)) == 0)
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

void Batch::RunJobs(BatchEvents& events) {
    const ConvertSettings settings{options_.folder,       options_.profile,   options_.toolFolder,
                                   options_.silenceLimit, options_.overwrite, custom_};
    for (;;) {
        Job job;
        int index;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            index = TakeNext();
            if (index < 0)
                return;
            job = jobs_[index];
            events.JobStarted(index, job);
        }
        ConvertCallbacks callbacks;
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
        ConvertResult result;
        try {
            result = ConvertJob(job, settings, stop_, callbacks);
        } catch (const std::exception& e) {
            result = {JobState::Error, std::string("the conversion failed: ") + e.what(), -1};
        } catch (...) {
            result = {JobState::Error, "the conversion failed", -1};
        }
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
