// Reading a finished result back before its job says "Complete": the encoder decodes the whole
// file to nothing ("-i RESULT -f null -"), which fails on a file it cannot read, and the media
// time it reaches is compared with the time the conversion itself reached in the source (its
// last "time=", not the source's header, which a VOB or a live recording may state wrongly).
// An exit status of 0 and "it plays" both accept an FLV cut short; this does not.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

#include "engine/command_line.h"

namespace engine {

// The check's command: the tool, "-i", the result, "-f", "null", "-".
CommandLine BuildVerifyCommand(const std::string& result);

// A result that ends this much before the source's time is cut: a second, or 2 % of a longer
// source, allows for the last frame's length and for audio and video ending apart.
double VerifyTolerance(double sourceSeconds);

// Judges a read-back run: why the result is not whole, or "". `readBack` is the media time the
// decoding reached (none when it reported none), `sourceSeconds` the conversion's.
std::string ResultShortfall(std::optional<double> readBack, std::optional<double> sourceSeconds);

// "HH:MM:SS" of whole seconds, as the reasons show times.
std::string ClockText(double seconds);

struct VerifyOutcome {
    bool stopped = false;  // Stop came during the check
    std::string failure;   // why the result is not whole and readable, "" when it is
};

// Runs the check on `result` with the tool in `toolFolder`. Stops as soon as `stop` is set,
// and ends a tool silent for `silenceLimit`. Never throws.
VerifyOutcome VerifyResult(const std::string& result, std::optional<double> sourceSeconds,
                           const std::string& toolFolder, const std::atomic<bool>& stop,
                           std::chrono::milliseconds silenceLimit);

}  // namespace engine
