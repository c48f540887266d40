#include "engine/job.h"

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

std::string PartPathOf(const std::string& target) {
    return target + ".part";
}

}  // namespace engine
