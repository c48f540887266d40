// The streaming rewrite of FFmpeg 7's "KiB" into the "kB" that Vantrel reads.
#include "tools/ffmpeg_adapter/kib_rewriter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ffmpeg_adapter::KibRewriter;

std::string Rewritten(const std::string& text) {
    KibRewriter rewriter;
    return rewriter.Feed(text) + rewriter.Flush();
}

TEST(KibRewriter, ProgressLineUnitBecomesKiloBytes) {
    EXPECT_EQ(Rewritten("frame=   21 fps=0.0 q=2.0 size=     256KiB time=00:00:01.05 "
                        "bitrate= 410.0kbits/s"),
              "frame=   21 fps=0.0 q=2.0 size=     256kB time=00:00:01.05 bitrate= 410.0kbits/s");
    EXPECT_EQ(Rewritten("video:38KiB audio:13KiB subtitle:0KiB\n"),
              "video:38kB audio:13kB subtitle:0kB\n");
}

TEST(KibRewriter, LeavesEverythingElseAlone) {
    const std::string untouched[] = {
        "size=     256kB time=00:00:01.05",  // FFmpeg 5 output
        "Input #0, avi, from '/in/MyKiBook.avi':",
        "KiB at the start, K, Ki, 5Kx, 5KiX, 5 KiB",
        "",
    };
    for (const std::string& text : untouched) EXPECT_EQ(Rewritten(text), text);
}

TEST(KibRewriter, SplitsAtEveryPositionGiveTheSameText) {
    const std::string text = "size=  12KiB time=1 x 7KiB 9Ki 3K\nsize=4KiB";
    const std::string expected = "size=  12kB time=1 x 7kB 9Ki 3K\nsize=4kB";
    for (std::size_t first = 0; first <= text.size(); ++first) {
        for (std::size_t second = first; second <= text.size(); ++second) {
            KibRewriter rewriter;
            std::string out = rewriter.Feed(text.substr(0, first));
            out += rewriter.Feed(text.substr(first, second - first));
            out += rewriter.Feed(text.substr(second));
            out += rewriter.Flush();
            ASSERT_EQ(out, expected) << "split at " << first << " and " << second;
        }
    }
}

TEST(KibRewriter, ByteByByteGivesTheSameText) {
    const std::string text = "size=     256KiB time=00:00:01.05\r";
    KibRewriter rewriter;
    std::string out;
    for (char c : text) out += rewriter.Feed(std::string(1, c));
    out += rewriter.Flush();
    EXPECT_EQ(out, "size=     256kB time=00:00:01.05\r");
}

TEST(KibRewriter, HoldsBackOnlyWhatMayStillBecomeKiB) {
    KibRewriter rewriter;
    EXPECT_EQ(rewriter.Feed("size=     25"), "size=     25");  // no waiting for line ends
    EXPECT_FALSE(rewriter.Holding());
    EXPECT_EQ(rewriter.Feed("6K"), "6");
    EXPECT_TRUE(rewriter.Holding());
    EXPECT_EQ(rewriter.Feed("i"), "");
    EXPECT_EQ(rewriter.Feed("B "), "kB ");
    EXPECT_FALSE(rewriter.Holding());

    EXPECT_EQ(rewriter.Feed("4Ki"), "4");
    EXPECT_EQ(rewriter.Feed("x"), "Kix");
    EXPECT_EQ(rewriter.Feed("8K"), "8");
    EXPECT_EQ(rewriter.Flush(), "K");
    EXPECT_FALSE(rewriter.Holding());
    EXPECT_EQ(rewriter.Flush(), "");
}

TEST(KibRewriter, FlushedBytesStillCountAsForwarded) {
    // After a flush the figure's unit went out as it was; a later "B" is just a letter.
    KibRewriter rewriter;
    EXPECT_EQ(rewriter.Feed("5Ki"), "5");
    EXPECT_EQ(rewriter.Flush(), "Ki");
    EXPECT_EQ(rewriter.Feed("B"), "B");
    EXPECT_EQ(rewriter.Feed("7"), "7");
    EXPECT_EQ(rewriter.Feed("KiB"), "kB");
}

}  // namespace
