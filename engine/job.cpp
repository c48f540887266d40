#include "engine/job.h"

#include "platform/path_info.h"

namespace engine {

const char* StatusWord(JobState state) {
    switch (state) {
        case JobState::Ready:
            return kStatusReady;
        case JobState::Converting:
            return kStatusConverting;
        case JobState::Complete:
            return kStatusComplete;
        case JobState::Stop:
            return kStatusStop;
        case JobState::Error:
        case JobState::Skipped:
            break;
    }
    return kStatusError;
}

std::string FileStamp(const std::string& path) {
    const platform::PathInfo info = platform::Inspect(path);
    if (info.kind == platform::PathInfo::Kind::Missing)
        return "";
    return std::to_string(info.device) + ":" + std::to_string(info.inode) + ":" +
           std::to_string(info.size) + ":" + std::to_string(info.modified);
}

bool MayReplaceTarget(const Job& job, bool overwrite) {
    return overwrite || (!job.replaceStamp.empty() && FileStamp(job.target) == job.replaceStamp);
}

std::string PartPathOf(const std::string& target) {
    return target + ".part";
}

}  // namespace engine
