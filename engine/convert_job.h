// One conversion: the encoder run that turns a job's source into its target. The tool writes
// to the target's partial file (PartPathOf), which the run creates and holds a lock on for as
// long as it runs, so that no other run can write or remove it; it is renamed onto the target
// only when the whole file is there. A failed or stopped run removes it and leaves an earlier
// target as it was; one left by a killed run is removed by the next run in that folder.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "engine/command_line.h"
#include "engine/job.h"

namespace engine {

// Pause before each read of the tool's output, and the most read at once.
inline constexpr int kWorkerReadPauseMs = 100;
inline constexpr int kWorkerChunkSize = 256;

// A tool that prints nothing for this long is taken to hang and is ended.
inline constexpr std::chrono::milliseconds kDefaultSilenceLimit = std::chrono::minutes(5);

struct ConvertSettings {
    std::string folder;  // the output folder, absolute
    int profile = 0;     // the output profile list's index
    std::string toolFolder;
    std::chrono::milliseconds silenceLimit = kDefaultSilenceLimit;
    bool overwrite = true;  // false: a target that appears while the job runs is kept
    // The custom profile's choices, read once for the batch; none: read for each job.
    std::optional<CustomSelection> custom;
    bool verify = false;  // read the result back before it is published (result_check.h)
};

struct ConvertCallbacks {
    // The job's progress in per cent, 1 to 100, whenever it changes.
    std::function<void(int percent)> progress;
    // A failure the user must see at once ("Can't create out pipe").
    std::function<void(const std::string& text)> alert;
    // Everything the tool prints, as it comes (for the job's log).
    std::function<void(const std::string& chunk)> output;
};

struct ConvertResult {
    JobState state = JobState::Error;  // Complete, Error or Stop
    std::string reason;
    int exitCode = -1;
};

// The command that converts `job`: the profile's command line with the job's partial file as
// the output. A dry run prints it; ConvertJob runs it.
CommandLine JobCommand(const Job& job, const std::string& folder, int profile,
                       const CustomSelection* custom = nullptr);

// The end of a conversion whose tool ended well: its result read back, then published. It
// holds the partial file's lock until it has run, and may run on another thread. Never
// throws.
using FinishStep = std::function<ConvertResult()>;

// Converts `job.source` into `job.target`. Returns Stop as soon as `stop` is seen set (the
// flag is left for the caller to clear). Fails, touching nothing, when another live run is
// writing the same target, and fails when the source changed while it was converted. With
// `finish` given and the check on, a run that ended well returns Converting and leaves the
// read-back and the publishing to `*finish`, which the caller runs once (while it converts
// the next job, say). Never throws.
ConvertResult ConvertJob(const Job& job, const ConvertSettings& settings,
                         const std::atomic<bool>& stop, const ConvertCallbacks& callbacks,
                         FinishStep* finish = nullptr);

}  // namespace engine
