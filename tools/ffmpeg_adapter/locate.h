// Finding the installed FFmpeg that the adapter hands its work to (locate_<system>.cpp).
#pragma once

#include <optional>
#include <string>

namespace ffmpeg_adapter {

// Set in FFmpeg's environment by the adapter. An adapter that finds it set was started by
// another adapter as its "FFmpeg" (a copy of the adapter on PATH) and refuses to go on.
inline constexpr char kNestedMarker[] = "VANTREL_ADAPTER_ACTIVE";

inline constexpr char kNotFoundMessage[] =
    "vantrel: FFmpeg not found; install ffmpeg or set VANTREL_FFMPEG";

// The program named by VANTREL_FFMPEG when it is set and not empty, else the first executable
// "ffmpeg" in an absolute PATH folder that is not this adapter itself. On Windows the FFmpeg
// shipped with Vantrel comes first (ffmpeg\ffmpeg.exe beside the adapter's DLL folder), and
// PATH is split on ';'. Nothing, with `problem` saying why, when there is none.
std::optional<std::string> LocateFfmpeg(std::string* problem);

}  // namespace ffmpeg_adapter
