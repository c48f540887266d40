// The duration probe with the real FFmpeg: the Length text of generated clips, and none for
// files FFmpeg cannot describe.
#include <gtest/gtest.h>

#include "engine/duration_probe.h"
#include "real_encoder.h"

using testing_support::ClipSpec;
using testing_support::RealEncoderTest;

namespace {

class ProbeE2eTest : public RealEncoderTest {
protected:
    std::string LengthOf(const std::string& file) {
        std::atomic<bool> stop{false};
        const engine::ProbeResult result =
            engine::DurationProbeProc(file, {testing_support::RealToolFolder()}, stop);
        EXPECT_FALSE(result.overran);
        EXPECT_EQ(result.alert, "");
        EXPECT_EQ(result.toolFailure, "");
        return result.length;
    }
};

}  // namespace

TEST_F(ProbeE2eTest, GivesTheLengthTextOfAGeneratedClip) {
    EXPECT_EQ(LengthOf(Clip("one.avi")), "00:00:01.0");

    ClipSpec longer;
    longer.seconds = 2.5;
    EXPECT_EQ(LengthOf(Clip("longer.avi", longer)), "00:00:02.5");
}

TEST_F(ProbeE2eTest, GivesNoLengthForAFileFfmpegCannotDescribe) {
    EXPECT_EQ(LengthOf(testing_support::WriteCorruptVideo(folders.In("noise.avi"))), "");
    EXPECT_EQ(LengthOf(folders.In("missing.avi")), "");
}
