#include "engine/time_left.h"

#include <cmath>
#include <cstdio>

namespace engine {

std::optional<double> SecondsLeft(double elapsed, int percent) {
    if (percent < 1 || percent >= 100 || !(elapsed >= 0))
        return std::nullopt;
    return elapsed * (100 - percent) / percent;
}

std::string DurationText(double seconds) {
    const long long whole =
        std::isfinite(seconds) && seconds > 0 ? static_cast<long long>(std::ceil(seconds)) : 0;
    char text[40];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

}  // namespace engine
