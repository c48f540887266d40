// Reads the encoder tool's console output as a stream: chunks are joined and split into lines
// (FFmpeg ends progress lines with "\r", other lines with "\n"), so a marker at the start of a
// read or split across two reads is still found.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class OutputScanner {
public:
    // Examines every line that `chunk` completes; an unfinished line is kept for the next call.
    void Feed(std::string_view chunk);

    // The output has ended: examines the unfinished line, if any.
    void Finish();

    // The 10 characters after the last "Duration: " seen (fewer when the line ends sooner).
    const std::optional<std::string>& DurationText() const { return durationText_; }
    // The same duration in seconds, when it reads as HH:MM:SS.ff.
    const std::optional<double>& DurationSeconds() const { return durationSeconds_; }
    // Kilobytes written so far, from the last "size=" ... "kB" progress line.
    const std::optional<long>& SizeKb() const { return sizeKb_; }
    // Media time converted so far, from the last "time=HH:MM:SS.ff".
    const std::optional<double>& TimeSeconds() const { return timeSeconds_; }
    // "frame decoding failed:" was seen.
    bool DecodeFailed() const { return decodeFailed_; }
    // The last non-empty line, for telling the user why a run failed.
    const std::string& LastLine() const { return lastLine_; }
    // The tool's own account of what went wrong, oldest first, each once, the last few only:
    // the lines FFmpeg tags "[error]" or "[fatal]" (without the tag and what precedes it) and
    // the adapter's lines, which start with "vantrel: ".
    const std::vector<std::string>& ErrorLines() const { return errorLines_; }

    // The job's progress in per cent: elapsed media time over the input's duration when the tool
    // has reported both, otherwise kilobytes written over the source's size in kB (0 when the
    // source is smaller than 1 kB). May exceed 100, but stays within 0 to kMaxProgress
    // whatever the tool prints.
    int Progress(unsigned long sourceKb) const;

    static constexpr int kMaxProgress = 1000000;

private:
    void ScanLine(std::string_view line);

    std::string partial_;
    std::optional<std::string> durationText_;
    std::optional<double> durationSeconds_;
    std::optional<long> sizeKb_;
    std::optional<double> timeSeconds_;
    bool decodeFailed_ = false;
    std::string lastLine_;
    std::vector<std::string> errorLines_;
};

// "HH:MM:SS.ff" (hours may have more digits) as seconds; nothing for "N/A" or other text.
std::optional<double> ParseClock(std::string_view text);

}  // namespace engine
