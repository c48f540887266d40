// Streams FFmpeg's output through, writing FFmpeg 7's "KiB" after a figure as "kB", the unit
// that Vantrel's progress reading looks for ("size=     256KiB" becomes "size=     256kB").
#pragma once

#include <string>
#include <string_view>

namespace ffmpeg_adapter {

class KibRewriter {
public:
    // The bytes to forward now for the next piece of output. Only a figure's unit that may
    // still become "KiB" ("5K" or "5Ki" at the very end) is held back for the next piece.
    std::string Feed(std::string_view data);

    // The held-back bytes, unchanged (the output ended, or nothing more came for a while).
    std::string Flush();

    // True while bytes are held back.
    bool Holding() const { return !held_.empty(); }

private:
    std::string held_;        // "K" or "Ki" that followed a digit
    char lastForwarded_ = 0;  // the byte before `held_` or the next piece
};

}  // namespace ffmpeg_adapter
