// FFmpeg from VANTREL_FFMPEG or PATH, never the adapter itself.
#include "tools/ffmpeg_adapter/locate.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace ffmpeg_adapter {

namespace {

// Searched when PATH is not set at all.
constexpr char kDefaultPath[] = "/usr/local/bin:/usr/bin:/bin";

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool IsExecutableFile(const std::string& path, struct stat* info) {
    return ::stat(path.c_str(), info) == 0 && S_ISREG(info->st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::string> LocateFfmpeg(std::string* problem) {
    struct stat self {};
    const bool knowSelf = ::stat("/proc/self/exe", &self) == 0;

    const char* named = std::getenv("VANTREL_FFMPEG");
    if (named != nullptr && *named != '\0') {
        struct stat info {};
        if (!IsExecutableFile(named, &info)) {
            *problem = std::string("vantrel: VANTREL_FFMPEG names no executable program: ") + named;
            return std::nullopt;
        }
        if (knowSelf && SameFile(info, self)) {
            *problem =
                std::string("vantrel: VANTREL_FFMPEG names this adapter, not FFmpeg: ") + named;
            return std::nullopt;
        }
        return std::string(named);
    }

    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : kDefaultPath);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        // Relative entries (and the empty one, the current folder) depend on where we were
        // started from; they are not searched.
        if (folder.empty() || folder[0] != '/')
            continue;
        const std::string candidate = folder + "/ffmpeg";
        struct stat info {};
        if (!IsExecutableFile(candidate, &info))
            continue;
        if (knowSelf && SameFile(info, self))
            continue;
        return candidate;
    }
    *problem = kNotFoundMessage;
    return std::nullopt;
}

}  // namespace ffmpeg_adapter
