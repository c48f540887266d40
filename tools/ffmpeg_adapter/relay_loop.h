// Relaying FFmpeg's output while it runs, the same on every system: the output rewritten on its
// way to our standard output, a stop request passed on, and FFmpeg killed when it has not ended
// within the grace period. relay_<system>.cpp starts FFmpeg and brings the system calls.
#pragma once

#include <string>
#include <string_view>

#include "tools/ffmpeg_adapter/missing_encoder.h"

namespace ffmpeg_adapter {

// The running FFmpeg, as the relay sees it.
class RelayedChild {
public:
    enum class Event {
        Output,        // FFmpeg wrote `piece`
        Nothing,       // the time is up, or something else happened: look again
        OutputClosed,  // FFmpeg's output has ended
    };

    virtual ~RelayedChild() = default;

    // True once FFmpeg has exited (it may stay unreaped).
    virtual bool Exited() = 0;
    // True once a stop request for FFmpeg has come.
    virtual bool StopRequested() = 0;
    // Asks FFmpeg to stop, once, after a stop request (where the request did not reach it
    // already).
    virtual void PassStopOn() = 0;
    // Ends FFmpeg at once.
    virtual void Kill() = 0;
    // Waits at most `limitMs` (-1: as long as it takes) for FFmpeg's output, read into `piece`,
    // for its end, for FFmpeg's exit or for a stop request; while `outputOpen` is false, only
    // for the last two.
    virtual Event Wait(int limitMs, bool outputOpen, std::string_view* piece) = 0;
    // Writes to our standard output; false once its reader is gone.
    virtual bool Forward(const std::string& bytes) = 0;
};

// What became of FFmpeg.
struct Ending {
    bool exited = false;  // it exited (and may still have to be reaped)
    bool killed = false;  // it did not stop within the grace period and was killed
};

// Passes FFmpeg's output on, rewritten by KibRewriter and looked through by `watch`, until
// FFmpeg has closed it and exited. When our reader has gone, the output is still drained so
// that FFmpeg is never blocked on a full pipe. Once a stop request has come, FFmpeg has a few
// seconds to end before it is killed; should it not be gone a second after that, we leave
// without it.
Ending Relay(RelayedChild& child, MissingEncoderWatch& watch);

}  // namespace ffmpeg_adapter
