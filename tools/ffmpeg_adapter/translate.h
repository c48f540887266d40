// Turning Vantrel's legacy encoder command lines into today's FFmpeg syntax.
#pragma once

#include <string>
#include <vector>

namespace ffmpeg_adapter {

// The arguments for today's FFmpeg (without the program name) for `legacy`, the arguments the
// adapter was given. "-nostdin" comes first, so that a stray key on standard input can never
// end a conversion early, then "-loglevel level+info", so that every line FFmpeg logs carries
// its level ("[error] ...", "[fatal] ...") and its errors can be told from the rest. Then, in
// order:
//   -title T      -> -metadata title=T   (the option is gone from FFmpeg)
//   -acodec mp3   -> -c:a libmp3lame     (other codecs keep their name)
//   -vcodec C     -> -c:v C
//   -vprofile P   -> -profile:v P
//   -ab N         -> -b:a Nk             (N is kbit/s; FFmpeg reads a bare number as bit/s)
//   -b N          -> -b:v Nk
//   -fit WxH      -> -vf scale=w=W:h=H:force_original_aspect_ratio=decrease:force_divisible_by=2
//                    (the largest size inside WxH with the source's aspect, even sides)
// Everything else is passed on unchanged, and so is an option whose value it cannot read.
// Option values are never taken for options, so a title or a path that reads "-b" stays what
// it is.
std::vector<std::string> TranslateArguments(const std::vector<std::string>& legacy);

}  // namespace ffmpeg_adapter
