// The H.264 profiles end to end: vantrel-cli, the adapter and the FFmpeg on PATH convert
// generated clips, and ffprobe says what came out.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "child_run.h"
#include "media_tools.h"
#include "support/temp_folder.h"

namespace {

using testing_support::ChildResult;
using testing_support::ClipSpec;
using testing_support::Environment;
using testing_support::MediaInfo;
using testing_support::TempFolder;

constexpr char kCli[] = VANTREL_BIN_DIR "/vantrel-cli";
constexpr auto kRunLimit = std::chrono::seconds(90);

// vantrel-cli with a home and settings of its own.
Environment CliEnvironment(const TempFolder& temp) {
    Environment env;
    env.Set("HOME", temp / "home").Set("XDG_CONFIG_HOME", temp / "config");
    return env;
}

// Each clip with each profile: an FLV of H.264 (main profile, yuv420p whatever the source's)
// fitted inside the profile's size with the source's aspect, and AAC 44100 Hz stereo.
TEST(H264Profiles, FitTheSourceInsideTheSizeAsH264AndAacInFlv) {
    if (!testing_support::FfmpegInstalled())
        GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    TempFolder temp;
    ClipSpec fourThree;
    fourThree.width = 640;
    fourThree.height = 480;
    ClipSpec sixteenNine;  // full-range 4:2:2, which H.264's main profile cannot carry
    sixteenNine.width = 1920;
    sixteenNine.height = 1080;
    sixteenNine.videoCodec = "mjpeg";
    sixteenNine.pixelFormat = "yuvj422p";
    const std::string clips[] = {temp / "in/four-three.avi", temp / "in/sixteen-nine.avi"};
    ASSERT_EQ(testing_support::MakeClip(clips[0], fourThree), "");
    ASSERT_EQ(testing_support::MakeClip(clips[1], sixteenNine), "");

    struct Case {
        int clip;
        int profile;
        const char* size;
        const char* rate;
    };
    const Case cases[] = {
        {0, 7, "480x360", "25/1"},
        {0, 8, "960x720", "30/1"},
        {1, 7, "640x360", "25/1"},
        {1, 8, "1280x720", "30/1"},
    };
    for (const Case& c : cases) {
        const std::string out = temp / ("out" + std::to_string(c.profile));
        const std::string target = out + (c.clip == 0 ? "/four-three.flv" : "/sixteen-nine.flv");
        SCOPED_TRACE(target);
        const ChildResult run = testing_support::RunChild(
            {kCli, "--profile", std::to_string(c.profile), "--out", out, clips[c.clip]},
            CliEnvironment(temp), kRunLimit);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "Complete\t" + clips[c.clip] + "\n");

        const MediaInfo info = testing_support::ProbeMedia(target);
        ASSERT_EQ(info.error, "");
        EXPECT_EQ(info.Format("format_name"), "flv");
        EXPECT_EQ(info.Video("codec_name"), "h264");
        EXPECT_EQ(info.Video("profile"), "Main");
        EXPECT_EQ(info.Video("pix_fmt"), "yuv420p");
        EXPECT_EQ(info.Video("width") + "x" + info.Video("height"), c.size);
        EXPECT_EQ(info.Video("r_frame_rate"), c.rate);
        EXPECT_EQ(info.Audio("codec_name"), "aac");
        EXPECT_EQ(info.Audio("sample_rate"), "44100");
        EXPECT_EQ(info.Audio("channels"), "2");
    }
}

// An FFmpeg built without libx264 (the fake one, acting it out): the job is "Error", and its
// reason says what is missing.
TEST(H264Profiles, WithoutLibx264TheJobFailsSayingSo) {
    TempFolder temp;
    const std::string source = temp / "in/clip.avi";
    testing_support::WriteFile(source, std::string(5000, 'v'));
    Environment env = CliEnvironment(temp);
    env.Set("VANTREL_FFMPEG", FAKE_FFMPEG_PATH).Set("FAKE_FFMPEG_NO_ENCODER", "libx264");

    const ChildResult run = testing_support::RunChild(
        {kCli, "--profile", "7", "--out", temp / "out", source}, env, kRunLimit);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Error\t" + source + "\n");
    EXPECT_NE(run.err.find("no H.264 encoder (libx264)"), std::string::npos) << run.err;
}

}  // namespace
