#include "tools/ffmpeg_adapter/relay_loop.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "tools/ffmpeg_adapter/kib_rewriter.h"

namespace ffmpeg_adapter {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long a possible "KiB" may wait for its last letters before it is sent as it is.
constexpr milliseconds kHold{50};
// How long FFmpeg may take to end once it has been asked to stop, before it is killed: time to
// close its output file, not to finish the job.
constexpr milliseconds kGrace = std::chrono::seconds(3);
// How long a killed FFmpeg may take to be gone before we leave without it.
constexpr milliseconds kReap = std::chrono::seconds(1);

int MillisecondsUntil(Clock::time_point when) {
    const auto left = std::chrono::duration_cast<milliseconds>(when - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

}  // namespace

Ending Relay(RelayedChild& child, MissingEncoderWatch& watch) {
    KibRewriter rewriter;
    bool readerThere = true;
    auto forward = [&](const std::string& bytes) {
        if (readerThere && !bytes.empty())
            readerThere = child.Forward(bytes);
    };
    bool outputOpen = true;
    std::optional<Clock::time_point> flushAt;  // when held bytes go out as they are
    std::optional<Clock::time_point> giveUpAt;
    Ending ending;
    for (;;) {
        if (!outputOpen && child.Exited()) {
            ending.exited = true;
            return ending;
        }
        if (!giveUpAt && child.StopRequested()) {
            child.PassStopOn();
            giveUpAt = Clock::now() + kGrace;
        }
        if (giveUpAt && Clock::now() >= *giveUpAt) {
            if (ending.killed)
                return ending;  // not gone even so: leave without it
            child.Kill();
            ending.killed = true;
            giveUpAt = Clock::now() + kReap;
        }
        if (flushAt && Clock::now() >= *flushAt) {
            forward(rewriter.Flush());
            flushAt.reset();
        }

        int limit = -1;
        for (const auto& when : {flushAt, giveUpAt})
            if (when)
                limit = limit < 0 ? MillisecondsUntil(*when)
                                  : std::min(limit, MillisecondsUntil(*when));
        std::string_view piece;
        const RelayedChild::Event event = child.Wait(limit, outputOpen, &piece);
        if (event == RelayedChild::Event::OutputClosed) {
            outputOpen = false;
            forward(rewriter.Flush());
            flushAt.reset();
        }
        if (event != RelayedChild::Event::Output)
            continue;
        watch.Feed(piece);
        forward(rewriter.Feed(piece));
        if (!rewriter.Holding())
            flushAt.reset();
        else if (!flushAt)
            flushAt = Clock::now() + kHold;
    }
}

}  // namespace ffmpeg_adapter
