// The duration probe: asks the encoder tool to describe a source file and keeps the text that
// follows "Duration: " as the job's Length.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

namespace engine {

inline constexpr int kProbeReadPauseMs = 500;
inline constexpr int kProbeChunkSize = 1024;

// What the probe reads and writes of the window that runs it.
class ProbeHost {
public:
    virtual ~ProbeHost() = default;
    // m_strProbeFile: the file to examine.
    virtual std::string ProbeFile() = 0;
    // m_strDuration: written when the tool reports a duration.
    virtual void SetDuration(const std::string& text) = 0;
    // m_bStop: the probe gives up when it is set, and clears it.
    virtual std::atomic<bool>& StopFlag() = 0;
    // The folder against which "DLL/ffmpeg" is resolved.
    virtual std::string ToolFolder() = 0;
};

struct ProbeOutcome {
    bool overran = false;      // the probe outlived both waits and was made to give up
    std::string startFailure;  // "Can't create out pipe" and the like, or ""
    // Why the tool itself could not do its work (not found, or FFmpeg missing behind it),
    // or "". A file the tool cannot read is not a tool failure: its Length is just empty.
    std::string toolFailure;
};

// Runs one probe on the calling thread and returns 1. It also gives up when `abandon` (if
// given) becomes true; its tool is then ended. Failures are returned in `outcome` (when
// given) for the caller to show on its own thread.
int DurationProbeProc(ProbeHost& host, const std::atomic<bool>* abandon = nullptr,
                      ProbeOutcome* outcome = nullptr);

struct ProbeWait {
    std::chrono::milliseconds first{30000};
    std::chrono::milliseconds second{20000};
    // Called about every 50 ms while waiting, so that a window can repaint.
    std::function<void()> whileWaiting;
};

// Runs DurationProbeProc on a thread of its own and waits for it: `first`, then `second`
// more. A probe still running after both waits is made to give up, which ends its tool;
// no thread is killed and nothing is left running when this returns.
ProbeOutcome RunDurationProbe(ProbeHost& host, const ProbeWait& wait);

}  // namespace engine
