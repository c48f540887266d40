// The job list: every row from Add to the end of a batch and across batches, in the order the
// user sees them. The window and vantrel-cli show it and send it commands; which rows may run,
// and how, is decided here alone, by Plan. A JobList belongs to one thread (the front end's);
// a running Batch works on copies of the rows and its events are applied back with Apply.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/job.h"

namespace engine {

// What to do with a target that already exists.
enum class ExistingTargets {
    Ask,      // the window: the user decides (a row keeps the answer as its replaceStamp)
    Skip,     // vantrel-cli: the job is skipped
    Replace,  // vantrel-cli --overwrite
};

struct PlanOptions {
    std::string folder;  // the output folder the targets go to
    ExistingTargets existing = ExistingTargets::Ask;
    // When not empty, only these rows (indexes) are to run, even when Complete: "Convert
    // again". The other rows still count for the rules that compare rows.
    std::vector<int> only;
};

enum class Verdict {
    Run,     // convert it
    Ask,     // its target exists and the user has not agreed to replace that very file
    Keep,    // nothing to do: Complete with its result still at the target, or not chosen
    Listed,  // its source is the same file as an earlier row's
    Skip,    // it must not run; `reason` says why
};

struct PlanEntry {
    Verdict verdict = Verdict::Run;
    std::string target;         // in the planned folder
    std::string reason;         // for Listed and Skip
    bool targetExists = false;  // skipped only because its target exists
};

struct Plan {
    // Why the output folder cannot take results, or "": then nothing runs.
    std::string folderProblem;
    std::vector<PlanEntry> rows;  // one per row, in order
};

// What makes two spellings of a path the same file: its device and inode when it exists,
// else its text.
std::string FileIdentity(const std::string& path);

// Every job rule, in one place: for each row in order, its target in `options.folder` and
// whether it runs. A source that is the same file (device and inode, whatever its spelling)
// as an earlier row's is Listed; a relative source, a target an earlier row writes (letter
// case aside, since vfat, exFAT and NTFS take those for one file) and a ".part" name that is
// another row's source are Skip; a Complete row whose target still holds its result is Keep;
// an existing target follows `options.existing`. Looks at each source and target once.
Plan PlanJobs(const std::vector<Job>& rows, const PlanOptions& options);

class JobList {
public:
    const std::vector<Job>& Rows() const { return rows_; }
    int Count() const { return static_cast<int>(rows_.size()); }
    const Job& Row(int row) const { return rows_.at(row); }

    // New rows at `at` (0: on top), in the order given, with their status Ready.
    void Insert(int at, std::vector<Job> jobs);
    // Removes the rows at these indexes (any order, each once).
    void Remove(std::vector<int> rows);
    void Clear();
    // Replaces the whole list (a list read back at start).
    void Assign(std::vector<Job> rows);

    // Sets one row's fields that are not a batch's: its Length, what the user agreed to.
    void SetLength(int row, const std::string& length);
    void SetReplaceStamp(int row, const std::string& stamp);
    // A row that was not run, with the reason shown for it.
    void SetFailed(int row, const std::string& reason);

    // A batch's word about one of its jobs, `job` being the batch's copy of row `row`: the
    // state, progress, reason and exit status, the times of its start and end, and when it
    // completes, its result's stamp. True when the row's status changed (worth saving).
    bool Apply(int row, const Job& job);

    Plan PlanAll(const PlanOptions& options) const { return PlanJobs(rows_, options); }

    // Called after every change but progress: the front end saves the list there.
    std::function<void()> onChange;

private:
    void Changed() const;
    std::vector<Job> rows_;
};

// Rows read back from a saved list: rows that were converting when Vantrel ended are "Stop",
// with their partial output removed, since no conversion survives its program.
void RecoverInterruptedRows(std::vector<Job>& rows);

}  // namespace engine
