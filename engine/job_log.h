// Each job's log: the encoder's whole output of its last run, kept beside the job list so that
// "Show log" can show why a job failed in FFmpeg's own words. One file per source, replaced by
// the next run; the folder is pruned to kMaxLogBytes, oldest files first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/job.h"

namespace engine {

inline constexpr std::uintmax_t kMaxLogBytes = 20 * 1024 * 1024;

// The log of `source`'s job in `folder`: named after a hash of the source path, so that any
// front end finds it from the row alone.
std::string JobLogPath(const std::string& folder, const std::string& source);

class JobLog {
public:
    // The log of `source`, replaced by the first Append; with `folder` "" nothing is written.
    JobLog(const std::string& folder, const std::string& source);
    ~JobLog();
    JobLog(const JobLog&) = delete;
    JobLog& operator=(const JobLog&) = delete;

    bool IsWanted() const { return !folder_.empty(); }
    void Append(const std::string& text);
    // Ends the log with how the job ended, and prunes the folder.
    void Close(JobState state, const std::string& reason);

private:
    bool Open();

    std::FILE* file_ = nullptr;
    bool opened_ = false;  // tried already
    std::string folder_;
    std::string source_;
};

// Removes the oldest logs in `folder` until they take at most `maxBytes` together.
void PruneLogs(const std::string& folder, std::uintmax_t maxBytes = kMaxLogBytes);

}  // namespace engine
