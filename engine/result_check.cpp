#include "engine/result_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/encoder_process.h"
#include "engine/encoder_tool.h"
#include "engine/job_verdict.h"
#include "engine/output_scanner.h"

namespace engine {

CommandLine BuildVerifyCommand(const std::string& result) {
    return {{kEncoderPath, "-i", result, "-f", "null", "-"}};
}

double VerifyTolerance(double sourceSeconds) {
    return std::max(1.0, sourceSeconds * 0.02);
}

std::string ClockText(double seconds) {
    const long whole = std::lround(std::max(0.0, std::floor(seconds)));
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

std::string ResultShortfall(std::optional<double> readBack, std::optional<double> sourceSeconds) {
    // Without the conversion's own time there is nothing to compare: a readable file passes.
    if (!sourceSeconds || !std::isfinite(*sourceSeconds) || *sourceSeconds <= 0)
        return "";
    const double reached = readBack && std::isfinite(*readBack) ? *readBack : 0.0;
    if (reached + VerifyTolerance(*sourceSeconds) >= *sourceSeconds)
        return "";
    return "the result stops at " + ClockText(reached) + " of " + ClockText(*sourceSeconds);
}

VerifyOutcome VerifyResult(const std::string& result, std::optional<double> sourceSeconds,
                           const std::string& toolFolder, const std::atomic<bool>& stop,
                           std::chrono::milliseconds silenceLimit) {
    using Clock = std::chrono::steady_clock;
    VerifyOutcome outcome;
    EncoderProcess tool;
    const EncoderProcess::StartStatus started = tool.Start(BuildVerifyCommand(result), toolFolder);
    OutputScanner scanner;
    bool silent = false;
    auto lastOutput = Clock::now();
    std::string chunk;
    for (;;) {
        const EncoderProcess::ReadStatus read = tool.ReadChunk(100, 4096, &chunk);
        if (stop.load()) {
            outcome.stopped = true;
            break;
        }
        if (read == EncoderProcess::ReadStatus::Ended) {
            scanner.Finish();
            break;
        }
        if (read == EncoderProcess::ReadStatus::NoOutput) {
            if (Clock::now() - lastOutput >= silenceLimit) {
                silent = true;
                break;
            }
            continue;
        }
        lastOutput = Clock::now();
        scanner.Feed(chunk);
    }
    const EncoderProcess::Outcome ended = outcome.stopped || silent ? tool.Abort() : tool.Finish();
    if (outcome.stopped)
        return outcome;
    std::string why;
    if (silent)
        why = "the check printed nothing for too long";
    else if (!ended.started)
        why = *StartFailureText(started) ? StartFailureText(started)
                                         : "the encoder could not be started";
    else
        why = RunFailure(ended, {scanner.ErrorLines(), scanner.LastLine()}, "");
    if (!why.empty()) {
        outcome.failure = "the result cannot be read: " + why;
        return outcome;
    }
    outcome.failure = ResultShortfall(scanner.TimeSeconds(), sourceSeconds);
    return outcome;
}

}  // namespace engine
