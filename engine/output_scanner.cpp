#include "engine/output_scanner.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "engine/encoder_tool.h"
#include "settings/settings_file.h"

namespace engine {
namespace {

// A line longer than this without a line break is examined as it stands and dropped, so that
// binary garbage on the pipe cannot grow the carried text without bound.
constexpr std::size_t kMaxLineLength = 64 * 1024;

// How many error lines are kept, and how much of each.
constexpr std::size_t kMaxErrorLines = 4;
constexpr std::size_t kMaxErrorLineLength = 300;

// FFmpeg's level tags for lines that report a failure, and the adapter's own prefix.
constexpr std::string_view kErrorTags[] = {"[error] ", "[fatal] ", "[panic] "};
constexpr std::string_view kAdapterPrefix = "vantrel: ";

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// The message of an error line, or nothing when the line reports no failure. FFmpeg puts the
// level tag after the bracketed names of what logged the line ("[flv @ 0x5f] [error] ...");
// a tag further on is part of the text (a file name, say) and does not count.
std::optional<std::string_view> ErrorMessage(std::string_view line) {
    if (line.substr(0, kAdapterPrefix.size()) == kAdapterPrefix)
        return line;
    while (!line.empty() && line.front() == '[') {
        for (std::string_view tag : kErrorTags) {
            if (line.substr(0, tag.size()) == tag)
                return line.substr(tag.size());
        }
        const auto close = line.find("] ");
        if (close == std::string_view::npos)
            break;
        line.remove_prefix(close + 2);
    }
    return std::nullopt;
}

// A percentage as an int, whatever the doubles hold (huge, infinite or not a number).
int ClampedPercent(double percent) {
    if (!(percent > 0))
        return 0;
    return percent >= OutputScanner::kMaxProgress ? OutputScanner::kMaxProgress
                                                  : static_cast<int>(percent);
}

}  // namespace

std::optional<double> ParseClock(std::string_view text) {
    // [-]H+:MM:SS[.fraction]
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    double fields[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        std::size_t digits = 0;
        double value = 0;
        while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
            value = value * 10 + (text[digits] - '0');
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        fields[i] = value;
        text.remove_prefix(digits);
        if (i < 2) {
            if (text.empty() || text.front() != ':')
                return std::nullopt;
            text.remove_prefix(1);
        }
    }
    double seconds = fields[0] * 3600 + fields[1] * 60 + fields[2];
    if (!text.empty() && text.front() == '.') {
        text.remove_prefix(1);
        double scale = 0.1;
        while (!text.empty() && std::isdigit(static_cast<unsigned char>(text.front()))) {
            seconds += (text.front() - '0') * scale;
            scale /= 10;
            text.remove_prefix(1);
        }
    }
    return negative ? 0.0 : seconds;
}

void OutputScanner::Feed(std::string_view chunk) {
    while (!chunk.empty()) {
        const std::size_t end = chunk.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            partial_.append(chunk);
            if (partial_.size() > kMaxLineLength) {
                ScanLine(partial_);
                partial_.clear();
            }
            return;
        }
        if (partial_.empty()) {
            ScanLine(chunk.substr(0, end));
        } else {
            partial_.append(chunk.substr(0, end));
            ScanLine(partial_);
            partial_.clear();
        }
        chunk.remove_prefix(end + 1);
    }
}

void OutputScanner::Finish() {
    if (!partial_.empty())
        ScanLine(partial_);
    partial_.clear();
}

void OutputScanner::ScanLine(std::string_view line) {
    if (!Trimmed(line).empty())
        lastLine_ = std::string(Trimmed(line));
    if (const auto message = ErrorMessage(Trimmed(line)); message && !message->empty()) {
        std::string text(message->substr(0, kMaxErrorLineLength));
        errorLines_.erase(std::remove(errorLines_.begin(), errorLines_.end(), text),
                          errorLines_.end());
        errorLines_.push_back(std::move(text));
        if (errorLines_.size() > kMaxErrorLines)
            errorLines_.erase(errorLines_.begin());
    }

    if (const auto at = line.find(kDurationMarker); at != std::string_view::npos) {
        const std::string_view after = line.substr(at + sizeof kDurationMarker - 1);
        durationText_ = std::string(after.substr(0, kDurationTextLength));
        // The input's duration, for time-based progress; "N/A" leaves the last good value.
        if (auto seconds = ParseClock(after); seconds && *seconds > 0)
            durationSeconds_ = seconds;
    }

    if (const auto size = line.find(kSizeMarker); size != std::string_view::npos) {
        const std::size_t from = size + sizeof kSizeMarker - 1;
        const auto kb = line.find(kKiloBytesMarker, from);
        const std::string_view number =
            line.substr(from, kb == std::string_view::npos ? 0 : kb - from);
        sizeKb_ = settings::TextToInt(std::string(number));

        if (const auto time = line.find(kTimeMarker, from); time != std::string_view::npos) {
            if (auto seconds = ParseClock(line.substr(time + sizeof kTimeMarker - 1)))
                timeSeconds_ = seconds;
        }
    }

    if (line.find(kDecodeFailedMarker) != std::string_view::npos)
        decodeFailed_ = true;
}

int OutputScanner::Progress(unsigned long sourceKb) const {
    if (durationSeconds_ && timeSeconds_)
        return ClampedPercent(*timeSeconds_ / *durationSeconds_ * 100.0);
    if (!sizeKb_ || sourceKb == 0)
        return 0;
    return ClampedPercent(static_cast<double>(*sizeKb_) / static_cast<double>(sourceKb) * 100.0);
}

}  // namespace engine
