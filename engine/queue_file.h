// The job list kept between runs: written on every change, read back at start. The format is
// JSON (nlohmann-json, Debian's well-kept reader) with a version number, so that a newer
// Vantrel's file is recognised and set aside rather than misread.
#pragma once

#include <string>
#include <vector>

#include "engine/job.h"

namespace engine {

inline constexpr int kQueueFormatVersion = 1;

// The rows as the file's text.
std::string QueueText(const std::vector<Job>& rows);

struct QueueRead {
    std::vector<Job> rows;
    // Why the text is no list this Vantrel can read ("" when it is one): damaged, from a
    // newer version. Nothing of such a text is used.
    std::string problem;
};

// Reads a text that QueueText wrote. Never throws, whatever the text.
QueueRead ReadQueueText(const std::string& text);

struct QueueLoad {
    std::vector<Job> rows;
    // When the file could not be used: what happened to it, for one message; "" otherwise.
    std::string message;
};

// Reads the list saved at `path`; no file is an empty list. A file that cannot be read or used
// is renamed beside itself ("queue.json.unreadable-<time>") and the list starts empty. Rows that
// were converting come back as "Stop" (RecoverInterruptedRows).
QueueLoad LoadQueue(const std::string& path);

// Replaces the file at `path` atomically; "" or why it failed.
std::string SaveQueue(const std::string& path, const std::vector<Job>& rows);

}  // namespace engine
