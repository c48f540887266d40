// The duration probe: asks the encoder tool to describe a source file and keeps the text that
// follows "Duration: " as the job's Length. Several files are probed at once.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace engine {

inline constexpr int kProbeReadPauseMs = 500;
inline constexpr int kProbeChunkSize = 1024;

// A probe still running after this long gives up and its tool is ended: 30 s, and 20 s more.
inline constexpr std::chrono::milliseconds kDefaultProbeLimit{30000 + 20000};

struct ProbeOptions {
    std::string toolFolder;  // the folder against which "DLL/ffmpeg" is resolved
    std::chrono::milliseconds limit = kDefaultProbeLimit;
};

struct ProbeResult {
    std::string length;       // the 10 characters after "Duration: ", "" when none was found
    std::string problem;      // why a file got no Length when the reason is known, or ""
    std::string toolFailure;  // why the tool itself could not run (not found, FFmpeg missing)
    std::string alert;        // a failure to show at once ("Can't create out pipe"), or ""
    bool overran = false;     // the probe ran out of time
};

// Probes one file on the calling thread. A file that is not a regular file gets no Length at
// once, without running the tool, so nothing ever blocks on opening it. Gives up when `stop`
// is set or the time limit has passed; its tool is then ended. Never throws.
ProbeResult DurationProbeProc(const std::string& file, const ProbeOptions& options,
                              const std::atomic<bool>& stop);

// What a front end hears of ProbeFiles: each file's result as it ends, one call at a time.
class ProbeEvents {
public:
    virtual ~ProbeEvents() = default;
    virtual void ProbeEnded(int index, const ProbeResult& result) = 0;
};

// Probes `files` with up to `parallel` at once, taking them in order, and returns when each has
// ended, or when `stop` is set and the running ones have given up (files not started by then
// get no event).
void ProbeFiles(const std::vector<std::string>& files, int parallel, const ProbeOptions& options,
                const std::atomic<bool>& stop, ProbeEvents& events);

}  // namespace engine
