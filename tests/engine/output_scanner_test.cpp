#include "engine/output_scanner.h"

#include <gtest/gtest.h>

#include <string>

using engine::OutputScanner;
using engine::ParseClock;

namespace {

const std::string kProbeOutput =
    "Input #0, avi, from 'clip.avi':\n"
    "  Duration: 00:03:25.47, start: 0.000000, bitrate: 1205 kb/s\n"
    "  Stream #0:0: Video: mpeg4\n"
    "At least one output file must be specified\n";

const std::string kProgressLine =
    "frame=  120 fps=0.0 q=2.0 size=     512kB time=00:00:05.00 bitrate= 838.9kbits/s\r";

OutputScanner ScanInTwo(const std::string& text, std::size_t split) {
    OutputScanner scanner;
    scanner.Feed(std::string_view(text).substr(0, split));
    scanner.Feed(std::string_view(text).substr(split));
    scanner.Finish();
    return scanner;
}

}  // namespace

TEST(OutputScannerTest, FindsTheDurationWhereverTheReadsSplitIt) {
    for (std::size_t split = 0; split <= kProbeOutput.size(); ++split) {
        const OutputScanner scanner = ScanInTwo(kProbeOutput, split);
        ASSERT_TRUE(scanner.DurationText()) << "split at " << split;
        EXPECT_EQ(*scanner.DurationText(), "00:03:25.4") << "split at " << split;
        EXPECT_DOUBLE_EQ(*scanner.DurationSeconds(), 205.47);
    }
}

TEST(OutputScannerTest, FindsMarkersAtTheVeryStartOfARead) {
    OutputScanner scanner;
    scanner.Feed("Duration: 00:00:10.00, start: 0\n");
    scanner.Feed("size=      20kB time=00:00:01.00\r");
    scanner.Feed("frame decoding failed: invalid data\n");
    EXPECT_EQ(scanner.DurationText().value_or(""), "00:00:10.0");
    EXPECT_EQ(scanner.SizeKb().value_or(-1), 20);
    EXPECT_TRUE(scanner.DecodeFailed());
}

TEST(OutputScannerTest, TakesTheTenCharactersAfterTheMarkerWhateverTheyAre) {
    OutputScanner na;
    na.Feed("  Duration: N/A, start: 0.000000, bitrate: N/A\n");
    EXPECT_EQ(na.DurationText().value_or("-"), "N/A, start");
    EXPECT_FALSE(na.DurationSeconds());

    OutputScanner shortLine;
    shortLine.Feed("  Duration: 00:01\n");
    EXPECT_EQ(shortLine.DurationText().value_or("-"), "00:01");

    OutputScanner unfinished;
    unfinished.Feed("  Duration: 00:00:");
    EXPECT_FALSE(unfinished.DurationText());
    unfinished.Finish();
    EXPECT_EQ(unfinished.DurationText().value_or("-"), "00:00:");
}

TEST(OutputScannerTest, LaterDurationReplacesAnEarlierOne) {
    OutputScanner scanner;
    scanner.Feed("Duration: 00:00:01.00\nDuration: 00:00:02.00\n");
    EXPECT_EQ(*scanner.DurationText(), "00:00:02.0");
}

TEST(OutputScannerTest, ReadsSizeAndTimeOfProgressLinesSplitAnywhere) {
    const std::string text = "Duration: 00:00:10.00, start: 0\n" + kProgressLine;
    for (std::size_t split = 0; split <= text.size(); ++split) {
        const OutputScanner scanner = ScanInTwo(text, split);
        EXPECT_EQ(scanner.SizeKb().value_or(-1), 512) << "split at " << split;
        EXPECT_DOUBLE_EQ(scanner.TimeSeconds().value_or(-1), 5.0) << "split at " << split;
    }
}

TEST(OutputScannerTest, ProgressIsElapsedTimeOverDurationWhenBothAreKnown) {
    OutputScanner scanner;
    scanner.Feed("  Duration: 00:00:10.00, start: 0.000000\n");
    scanner.Feed(kProgressLine);
    // 5 s of 10 s, although 512 kB is far less than half of a 100 000 kB source.
    EXPECT_EQ(scanner.Progress(100000), 50);
}

TEST(OutputScannerTest, ProgressFallsBackToOutputSizeOverSourceSize) {
    OutputScanner scanner;
    scanner.Feed("frame=   10 size=     250kB time=N/A bitrate=N/A\r");
    EXPECT_EQ(scanner.Progress(1000), 25);
    EXPECT_EQ(scanner.Progress(3), 8333);  // output larger than the source: past 100
    EXPECT_EQ(scanner.Progress(0), 0);     // a source below 1 kB never moves the bar

    OutputScanner noDuration;
    noDuration.Feed("size=     250kB time=00:00:05.00 bitrate=1.0kbits/s\r");
    EXPECT_EQ(noDuration.Progress(1000), 25);
}

TEST(OutputScannerTest, KilobytesBeforeAnySizeAreNotProgress) {
    OutputScanner scanner;
    scanner.Feed("video:120kB audio:30kB subtitle:0kB other streams:0kB\n");
    EXPECT_FALSE(scanner.SizeKb());
    EXPECT_EQ(scanner.Progress(100), 0);

    OutputScanner sizeNa;
    sizeNa.Feed("size=N/A time=00:00:01.00 bitrate=N/A\r");
    EXPECT_EQ(sizeNa.SizeKb().value_or(-1), 0);
}

TEST(OutputScannerTest, RemembersTheLastLineToExplainFailures) {
    OutputScanner scanner;
    scanner.Feed("banner\nclip.avi: No such file or directory\n\n  \r");
    EXPECT_EQ(scanner.LastLine(), "clip.avi: No such file or directory");
}

TEST(OutputScannerTest, KeepsTheToolsLastFewErrorLinesWithoutTheirTags) {
    OutputScanner scanner;
    scanner.Feed(
        "[info] Input #0, avi, from '/in/[error] named.avi':\n"
        "[flv @ 0x5f1] [error] Failed to update header\n"
        "[error] av_interleaved_write_frame(): No space left on device\n"
        "[warning] something odd\n"
        "vantrel: this FFmpeg has no H.264 encoder\n"
        "[error] av_interleaved_write_frame(): No space left on device\n"
        "[fatal] Conversion failed!\n"
        "[info] frame=  1 size=   6kB time=00:00:00.00\r");
    EXPECT_EQ(scanner.ErrorLines(),
              (std::vector<std::string>{
                  "Failed to update header", "vantrel: this FFmpeg has no H.264 encoder",
                  "av_interleaved_write_frame(): No space left on device", "Conversion failed!"}));
}

TEST(OutputScannerTest, ProgressStaysInRangeWhateverTheToolPrints) {
    const std::pair<const char*, int> cases[] = {
        {"Duration: 00:00:00.01, \nsize=1kB time=99999999999:00:00.00\r", 1000000},
        {"Duration: 00:00:00.00, \nsize=2kB time=00:00:05.00\r", 200},  // no duration: size
        {"size=99999999999999999999kB\r", 1000000},
        {"size=-5kB\r", 0},
    };
    for (const auto& [output, percent] : cases) {
        OutputScanner scanner;
        scanner.Feed(output);
        EXPECT_EQ(scanner.Progress(1), percent) << output;
    }
}

TEST(OutputScannerTest, EndlessGarbageWithoutLineBreaksDoesNotHideLaterLines) {
    OutputScanner scanner;
    const std::string garbage(1 << 20, '\x01');
    for (int i = 0; i < 4; ++i) scanner.Feed(garbage);
    scanner.Feed("\nDuration: 00:00:07.00, start: 0\n");
    EXPECT_EQ(scanner.DurationText().value_or(""), "00:00:07.0");
}

TEST(ParseClockTest, ReadsFFmpegClockTexts) {
    EXPECT_DOUBLE_EQ(*ParseClock("00:03:25.47"), 205.47);
    EXPECT_DOUBLE_EQ(*ParseClock("100:00:00.5 bitrate"), 360000.5);
    EXPECT_DOUBLE_EQ(*ParseClock("00:00:01"), 1.0);
    EXPECT_DOUBLE_EQ(*ParseClock("-00:00:00.02"), 0.0);
    EXPECT_FALSE(ParseClock("N/A"));
    EXPECT_FALSE(ParseClock("12:34"));
    EXPECT_FALSE(ParseClock(""));
}
