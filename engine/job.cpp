#include "engine/job.h"

#include <cstdint>

#include "platform/fs.h"
#include "platform/path.h"
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

namespace {

constexpr char kPartPrefix[] = ".vantrel-";
constexpr char kPartSuffix[] = ".part";
constexpr std::size_t kPartDigits = 16;

// FNV-1a: the same digits for the same name on every machine and in every build, so that runs
// on two hosts sharing a folder pick the same partial name.
std::uint64_t NameHash(const std::string& name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : name) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

std::string PartPathOf(const std::string& target) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::uint64_t hash = NameHash(platform::path::FileName(target));
    std::string digits(kPartDigits, '0');
    for (std::size_t i = kPartDigits; i-- > 0; hash >>= 4) digits[i] = kDigits[hash & 0xf];
    return platform::path::Join(platform::path::Parent(target), kPartPrefix + digits + kPartSuffix);
}

bool IsPartFileName(const std::string& name) {
    const std::size_t prefix = sizeof kPartPrefix - 1;
    const std::size_t suffix = sizeof kPartSuffix - 1;
    return name.size() == prefix + kPartDigits + suffix &&
           name.compare(0, prefix, kPartPrefix) == 0 &&
           name.compare(prefix + kPartDigits, suffix, kPartSuffix) == 0 &&
           name.find_first_not_of("0123456789abcdef", prefix) == prefix + kPartDigits;
}

}  // namespace engine
