#include "engine/job_log.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/fs.h"
#include "platform/path.h"

namespace engine {

std::string JobLogPath(const std::string& folder, const std::string& source) {
    // FNV-1a, 64 bits: stable across runs and builds, unlike std::hash.
    std::uint64_t hash = 1469598103934665603ULL;
    for (const unsigned char c : source) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.log", static_cast<unsigned long long>(hash));
    return platform::path::Join(folder, name);
}

JobLog::JobLog(const std::string& folder, const std::string& source)
    : folder_(folder), source_(source) {}

// Opened when there is something to write, so that a job takes no file descriptor for its log
// before its own partial file and pipes have theirs.
bool JobLog::Open() {
    if (file_ || opened_ || folder_.empty())
        return file_ != nullptr;
    opened_ = true;
    if (!platform::CreateFolderTree(folder_))
        return false;
    file_ = platform::OpenFile(JobLogPath(folder_, source_), "wb");
    if (file_)
        Append("Vantrel: the encoder's output for " + source_ + "\n\n");
    return file_ != nullptr;
}

JobLog::~JobLog() {
    if (file_)
        std::fclose(file_);
}

void JobLog::Append(const std::string& text) {
    if (Open())
        std::fwrite(text.data(), 1, text.size(), file_);
}

void JobLog::Close(JobState state, const std::string& reason) {
    if (!Open())
        return;
    Append(std::string("\n\nVantrel: ") + StatusWord(state) +
           (reason.empty() ? std::string() : ": " + reason) + "\n");
    std::fclose(file_);
    file_ = nullptr;
    PruneLogs(folder_);
}

void PruneLogs(const std::string& folder, std::uintmax_t maxBytes) {
    namespace fs = std::filesystem;
    struct Log {
        fs::path path;
        fs::file_time_type time;
        std::uintmax_t size;
    };
    std::vector<Log> logs;
    std::uintmax_t total = 0;
    std::error_code error;
    for (fs::directory_iterator it(fs::u8path(folder), error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().extension() != ".log" || !it->is_regular_file(error))
            continue;
        Log log{it->path(), it->last_write_time(error), it->file_size(error)};
        if (error)
            continue;
        total += log.size;
        logs.push_back(std::move(log));
    }
    std::sort(logs.begin(), logs.end(), [](const Log& a, const Log& b) { return a.time < b.time; });
    for (const Log& log : logs) {
        if (total <= maxBytes)
            break;
        if (fs::remove(log.path, error))
            total -= log.size;
    }
}

}  // namespace engine
