// Test helper: the installed FFmpeg tools, short clips made with their lavfi test sources,
// what ffprobe says about a result, and which processes still work on a test's files.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

// The full path of `name` in a folder of PATH, or "" when it is not installed.
std::string FindOnPath(const std::string& name);

// True when both ffmpeg and ffprobe are installed.
bool FfmpegInstalled();

struct ClipSpec {
    int width = 160;
    int height = 120;
    int rate = 25;
    // Played `loops` times in a row: a long clip costs little to make, being copied, but as
    // much as any to convert.
    double seconds = 1;
    int loops = 1;
    std::string videoCodec = "mpeg4";
    std::string pixelFormat = "";  // "" for the codec's own
};

// Writes an AVI clip (`videoCodec` video of testsrc, MP2 audio of a 440 Hz tone) to `path`.
// "" on success, else what FFmpeg said.
std::string MakeClip(const std::string& path, const ClipSpec& shape = {});

// `bytes` of fixed noise that no demuxer takes for a video, to name like one. Returns `path`.
std::string WriteCorruptVideo(const std::string& path, std::size_t bytes = 65536);

struct MediaInfo {
    std::string error;                          // "" when ffprobe read the file
    std::map<std::string, std::string> format;  // format_name, duration, tag:title
    std::map<std::string, std::string> video;   // codec_name, profile, width, height, pix_fmt,
                                                // r_frame_rate
    std::map<std::string, std::string> audio;   // codec_name, sample_rate, channels

    // One value, "" when ffprobe did not give it.
    std::string Format(const std::string& key) const { return Value(format, key); }
    std::string Video(const std::string& key) const { return Value(video, key); }
    std::string Audio(const std::string& key) const { return Value(audio, key); }

private:
    static std::string Value(const std::map<std::string, std::string>& fields,
                             const std::string& key) {
        const auto found = fields.find(key);
        return found == fields.end() ? "" : found->second;
    }
};

// ffprobe's account of a file's container and its first video and audio stream.
MediaInfo ProbeMedia(const std::string& path);

// The processes other than this one whose command line mentions `text` (a test's unique
// temporary folder, say).
std::vector<pid_t> ProcessesMentioning(const std::string& text);

// Waits up to `limit` for those processes to end; returns the ones still there.
std::vector<pid_t> ProcessesLeftAfter(const std::string& text, std::chrono::milliseconds limit);

}  // namespace testing_support
