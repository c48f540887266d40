// Turning Vantrel's legacy encoder command lines into today's FFmpeg syntax.
#pragma once

#include <string>
#include <vector>

namespace ffmpeg_adapter {

// The arguments for today's FFmpeg (without the program name) for `legacy`, the arguments the
// adapter was given. "-nostdin" comes first, so that a stray key on standard input can never
// end a conversion early. Then, in order:
//   -title T      -> -metadata title=T   (the option is gone from FFmpeg)
//   -ab N         -> -b:a Nk             (N is kbit/s; FFmpeg reads a bare number as bit/s)
//   -b N          -> -b:v Nk
//   -acodec mp3   -> -c:a libmp3lame
// Everything else is passed on unchanged. Option values are never taken for options, so a
// title or a path that reads "-b" stays what it is.
std::vector<std::string> TranslateArguments(const std::vector<std::string>& legacy);

}  // namespace ffmpeg_adapter
