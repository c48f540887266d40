#include "engine/job_list.h"

#include <algorithm>
#include <ctime>
#include <unordered_map>

#include "engine/batch.h"
#include "engine/command_line.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/path_info.h"

namespace engine {
namespace {

// Targets that a case-insensitive file system (vfat, exFAT, NTFS) takes for one file.
std::string TargetKey(std::string target) {
    for (char& c : target) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return target;
}

bool Chosen(const PlanOptions& options, int row) {
    return options.only.empty() ||
           std::find(options.only.begin(), options.only.end(), row) != options.only.end();
}

// The rule for a target that exists (or not) for a row that is to run.
void ApplyExistingTarget(const Job& row, const PlanOptions& options, PlanEntry& entry) {
    const std::string stamp = FileStamp(entry.target);
    if (stamp.empty() || options.existing == ExistingTargets::Replace)
        return;
    if (options.existing == ExistingTargets::Skip) {
        entry.verdict = Verdict::Skip;
        entry.reason = entry.target + " exists";
        entry.targetExists = true;
    } else if (stamp != row.replaceStamp) {
        entry.verdict = Verdict::Ask;
    }
}

// On Windows, why the source or the target would name another file than it seems to (a
// device, a stream, a name Windows cuts); "" elsewhere. Long paths are fine: the platform
// functions and FFmpeg hand them to Windows in the form without a length limit.
std::string WindowsNameProblem(const std::string& source, const std::string& target) {
    if (std::string problem = platform::path::WindowsProblem(source); !problem.empty())
        return "the source cannot be used: " + problem;
    if (std::string problem = platform::path::WindowsProblem(target); !problem.empty())
        return "the target cannot be written: " + problem;
    return {};
}

std::int64_t Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace

std::string FileIdentity(const std::string& path) {
    const platform::PathInfo status = platform::Inspect(path);
    if (status.kind == platform::PathInfo::Kind::Missing)
        return "path:" + path;
    return std::to_string(status.device) + ":" + std::to_string(status.inode);
}

Plan PlanJobs(const std::vector<Job>& rows, const PlanOptions& options) {
    Plan plan;
    plan.folderProblem = OutputFolderProblem(options.folder);
    plan.rows.resize(rows.size());
    std::unordered_map<std::string, std::size_t> sourceOwner;
    std::unordered_map<std::string, std::size_t> targetOwner;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Job& row = rows[i];
        PlanEntry& entry = plan.rows[i];
        entry.target = OutputPathOf(row.source, options.folder);
        const int index = static_cast<int>(i);
        if (!platform::path::IsAbsolute(row.source) ||
            !platform::path::IsAbsolute(options.folder)) {
            entry.verdict = Verdict::Skip;
            entry.reason = "the path is not absolute";
        } else if (std::string problem = WindowsNameProblem(row.source, entry.target);
                   !problem.empty()) {
            entry.verdict = Verdict::Skip;
            entry.reason = std::move(problem);
        } else if (const auto [first, added] = sourceOwner.emplace(FileIdentity(row.source), i);
                   !added) {
            entry.verdict = Verdict::Listed;
            entry.reason = "it is named more than once; it is converted once";
        } else if (const auto [owner, free] = targetOwner.emplace(TargetKey(entry.target), i);
                   !free) {
            entry.verdict = Verdict::Skip;
            entry.reason = "its target " + entry.target + " is also the target of " +
                           rows[owner->second].source;
        } else if (!Chosen(options, index)) {
            entry.verdict = Verdict::Keep;
        } else if (options.only.empty() && row.state == JobState::Complete &&
                   !row.resultStamp.empty() && FileStamp(entry.target) == row.resultStamp) {
            entry.verdict = Verdict::Keep;
        } else {
            ApplyExistingTarget(row, options, entry);
        }
    }
    // A job removes whatever stands at its ".part" name before it runs: never another row's
    // source ("clip.flv.part" listed beside "clip.avi").
    for (PlanEntry& entry : plan.rows) {
        if (entry.verdict != Verdict::Run && entry.verdict != Verdict::Ask)
            continue;
        const std::string part = PartPathOf(entry.target);
        if (const auto owner = sourceOwner.find(FileIdentity(part)); owner != sourceOwner.end()) {
            entry.verdict = Verdict::Skip;
            entry.reason =
                "its temporary output " + part + " is the source " + rows[owner->second].source;
        }
    }
    return plan;
}

void JobList::Changed() const {
    if (onChange)
        onChange();
}

void JobList::Insert(int at, std::vector<Job> jobs) {
    at = std::clamp(at, 0, Count());
    for (Job& job : jobs) {
        job.state = JobState::Ready;
        job.progress = 0;
    }
    rows_.insert(rows_.begin() + at, std::make_move_iterator(jobs.begin()),
                 std::make_move_iterator(jobs.end()));
    Changed();
}

void JobList::Remove(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (*row >= 0 && *row < Count())
            rows_.erase(rows_.begin() + *row);
    }
    Changed();
}

void JobList::Clear() {
    rows_.clear();
    Changed();
}

void JobList::Assign(std::vector<Job> rows) {
    rows_ = std::move(rows);
    Changed();
}

void JobList::SetLength(int row, const std::string& length) {
    rows_.at(row).length = length;
    Changed();
}

void JobList::SetReplaceStamp(int row, const std::string& stamp) {
    rows_.at(row).replaceStamp = stamp;
    Changed();
}

void JobList::SetFailed(int row, const std::string& reason) {
    Job& job = rows_.at(row);
    job.state = JobState::Error;
    job.progress = 0;
    job.reason = reason;
    job.resultStamp.clear();
    Changed();
}

bool JobList::Apply(int row, const Job& job) {
    Job& kept = rows_.at(row);
    // A job the batch skipped did not convert: the list shows it as an error.
    const JobState state = job.state == JobState::Skipped ? JobState::Error : job.state;
    const bool changed = kept.state != state || kept.reason != job.reason;
    kept.progress = job.progress;
    if (!changed)
        return false;
    kept.state = state;
    kept.reason = job.reason;
    kept.exitCode = job.exitCode;
    kept.target = job.target;
    if (state == JobState::Converting) {
        kept.started = Now();
        kept.ended = 0;
        kept.resultStamp.clear();
    } else if (kept.Ended()) {
        kept.ended = Now();
        kept.resultStamp = state == JobState::Complete ? FileStamp(kept.target) : std::string();
        // The target is now this row's own result, or as it was: a new run asks again.
        if (state == JobState::Complete)
            kept.replaceStamp.clear();
    }
    Changed();
    return true;
}

void RecoverInterruptedRows(std::vector<Job>& rows) {
    for (Job& row : rows) {
        row.progress = 0;
        if (row.state != JobState::Converting)
            continue;
        row.state = JobState::Stop;
        row.reason = "Vantrel ended while it was converting";
        // Unless a live run (another Vantrel) holds it.
        if (!row.target.empty())
            platform::RemoveIfUnlocked(PartPathOf(row.target));
    }
}

}  // namespace engine
