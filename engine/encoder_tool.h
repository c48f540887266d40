// What Vantrel hands the encoder tool and which pieces of its output it relies on.
#pragma once

namespace engine {

// The tool, relative to the folder of the running program, as the system spells it.
#ifdef _WIN32
inline constexpr char kEncoderPath[] = "DLL\\ffmpeg.exe";
#else
inline constexpr char kEncoderPath[] = "DLL/ffmpeg";
#endif

// Output texts, searched as case-sensitive substrings.
inline constexpr char kDurationMarker[] = "Duration: ";
inline constexpr char kSizeMarker[] = "size=";
inline constexpr char kKiloBytesMarker[] = "kB";
inline constexpr char kTimeMarker[] = "time=";
inline constexpr char kDecodeFailedMarker[] = "frame decoding failed:";

// How many characters after "Duration: " make the Length text.
inline constexpr int kDurationTextLength = 10;

// The output target written into every job row.
inline constexpr char kTargetFormat[] = "flv";

}  // namespace engine
