// Spotting, in FFmpeg's output, that it lacks the H.264 encoder that profiles ask for, so that
// the adapter can say what to do about it.
#pragma once

#include <string>
#include <string_view>

namespace ffmpeg_adapter {

// What the adapter adds when FFmpeg said it has no libx264.
inline constexpr char kNoH264Message[] =
    "vantrel: this FFmpeg has no H.264 encoder (libx264); install an FFmpeg built with it";

class MissingEncoderWatch {
public:
    // Looks through the next piece of output; the text may be split anywhere between pieces.
    void Feed(std::string_view data);

    // True once FFmpeg has said "Unknown encoder 'libx264'".
    bool Seen() const { return seen_; }

private:
    std::string tail_;  // the end of the output so far, too short to hold the whole text
    bool seen_ = false;
};

}  // namespace ffmpeg_adapter
