// The conversion worker with the real FFmpeg: what each profile produces, a source FFmpeg
// cannot read, and Stop in the middle of a real conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "engine/command_line.h"
#include "engine/convert_worker.h"
#include "real_encoder.h"

using testing_support::ClipSpec;
using testing_support::FakeWorkerHost;
using testing_support::MediaInfo;
using testing_support::ProbeMedia;
using testing_support::RealEncoderTest;
using testing_support::RealToolFolder;

namespace {

using Statuses = std::vector<std::string>;

struct ProfileResult {
    int profile;
    const char* width;
    const char* height;
    const char* frameRate;
    const char* sampleRate;
    const char* channels;
};

void PrintTo(const ProfileResult& result, std::ostream* out) {
    *out << "profile " << result.profile;
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

int HighestProgress(const FakeWorkerHost& host) {
    return host.progress.empty() ? 0
                                 : *std::max_element(host.progress.begin(), host.progress.end());
}

// A host that presses Stop as soon as the bar first moves, noting which processes were then
// working on the test's output folder.
class StopOnProgressHost : public FakeWorkerHost {
public:
    using FakeWorkerHost::FakeWorkerHost;
    std::vector<pid_t> toolsAtStop;

    void SetProgressPos(int pos) override {
        FakeWorkerHost::SetProgressPos(pos);
        if (pos >= 1 && toolsAtStop.empty()) {
            toolsAtStop = testing_support::ProcessesMentioning(folder);
            stop.store(true);
        }
    }
};

class FixedProfileTest : public RealEncoderTest,
                         public ::testing::WithParamInterface<ProfileResult> {};

}  // namespace

TEST_P(FixedProfileTest, GivesAnFlvAtTheProfilesSizeRateAndSound) {
    const ProfileResult expected = GetParam();
    FakeWorkerHost host(folders, {Clip("clip.avi")});
    host.toolFolder = RealToolFolder();
    host.profile = expected.profile;

    engine::ConvertWorkerProc(host);

    ASSERT_EQ(host.statusHistory[0], (Statuses{"Converting", "Complete"}))
        << host.reports[0].reason;
    EXPECT_EQ(host.opened, Statuses{folders.Out()});
    // The bar follows the real tool's progress lines to (about) full, and is emptied at the end.
    EXPECT_GE(HighestProgress(host), 90);
    EXPECT_EQ(host.progress.back(), 0);

    const MediaInfo info = ProbeMedia(folders.Out("clip.flv"));
    ASSERT_EQ(info.error, "");
    EXPECT_EQ(info.Format("format_name"), "flv");
    EXPECT_EQ(info.Format("tag:title"), "clip");
    EXPECT_EQ(info.Video("codec_name"), "flv1");
    EXPECT_EQ(info.Video("width"), expected.width);
    EXPECT_EQ(info.Video("height"), expected.height);
    EXPECT_EQ(info.Video("r_frame_rate"), expected.frameRate);
    EXPECT_EQ(info.Audio("codec_name"), "mp3");
    EXPECT_EQ(info.Audio("sample_rate"), expected.sampleRate);
    EXPECT_EQ(info.Audio("channels"), expected.channels);
}

INSTANTIATE_TEST_SUITE_P(EveryFixedProfile, FixedProfileTest,
                         ::testing::Values(ProfileResult{1, "240", "160", "15/1", "11025", "2"},
                                           ProfileResult{2, "240", "160", "15/1", "11025", "1"},
                                           ProfileResult{3, "320", "240", "20/1", "22050", "2"},
                                           ProfileResult{4, "320", "240", "20/1", "22050", "1"},
                                           ProfileResult{5, "480", "320", "25/1", "44100", "2"},
                                           ProfileResult{6, "480", "320", "25/1", "44100", "1"}),
                         [](const auto& info) {
                             return "Profile" + std::to_string(info.param.profile);
                         });

using CustomProfileTest = RealEncoderTest;

TEST_F(CustomProfileTest, FollowsTheSettingsFileAndKeepsTheSourcesFrameRate) {
    // 640x480, the source's frame rate, mono at 44100 Hz; the other keys keep their defaults.
    testing_support::WriteFile(folders.Path("config/vantrel/vantrel.ini"),
                               "[Settings]\nResolution=6\nFrameRate=0\nChannel=0\nSampleRate=2\n");
    ClipSpec tenFrames;
    tenFrames.rate = 10;
    FakeWorkerHost host(folders, {Clip("ten.avi", tenFrames)});
    host.toolFolder = RealToolFolder();
    host.profile = engine::kCustomProfile;

    engine::ConvertWorkerProc(host);

    ASSERT_EQ(host.Status(0), "Complete") << host.reports[0].reason;
    const MediaInfo info = ProbeMedia(folders.Out("ten.flv"));
    ASSERT_EQ(info.error, "");
    EXPECT_EQ(info.Format("format_name"), "flv");
    EXPECT_EQ(info.format.count("tag:title"), 0u);  // the custom command sets no title
    EXPECT_EQ(info.Video("codec_name"), "flv1");
    EXPECT_EQ(info.Video("width"), "640");
    EXPECT_EQ(info.Video("height"), "480");
    EXPECT_EQ(info.Video("r_frame_rate"), "10/1");
    EXPECT_EQ(info.Audio("codec_name"), "mp3");
    EXPECT_EQ(info.Audio("sample_rate"), "44100");
    EXPECT_EQ(info.Audio("channels"), "1");
}

using RealConversionTest = RealEncoderTest;

TEST_F(RealConversionTest, ASourceFfmpegCannotReadEndsInErrorAndTheBatchGoesOn) {
    const std::string corrupt = testing_support::WriteCorruptVideo(folders.In("noise.avi"));
    FakeWorkerHost host(folders, {corrupt, Clip("clip.avi")});
    host.toolFolder = RealToolFolder();

    engine::ConvertWorkerProc(host);

    EXPECT_EQ(host.statusHistory[0], (Statuses{"Converting", "Error"}));
    EXPECT_NE(host.reports[0].exitCode, 0);
    // The reason carries FFmpeg's own last word about the file.
    EXPECT_NE(host.reports[0].reason.find("noise.avi"), std::string::npos)
        << host.reports[0].reason;
    EXPECT_EQ(host.statusHistory[1], (Statuses{"Converting", "Complete"}));
    EXPECT_TRUE(Exists(folders.Out("clip.flv")));
}

TEST_F(RealConversionTest, StopEndsTheRunningFfmpegAndDeletesItsOutput) {
    // 640x480 played a hundred times over: seconds of work for FFmpeg.
    ClipSpec longClip;
    longClip.width = 640;
    longClip.height = 480;
    longClip.loops = 100;
    StopOnProgressHost host(folders, {Clip("long.avi", longClip)});
    host.toolFolder = RealToolFolder();
    host.profile = 6;

    engine::ConvertWorkerProc(host);

    // The adapter and FFmpeg were both at work when Stop was pressed.
    EXPECT_GE(host.toolsAtStop.size(), 2u);
    EXPECT_EQ(host.statusHistory[0], (Statuses{"Converting", "Stop"}));
    EXPECT_FALSE(Exists(folders.Out("long.flv")));
    EXPECT_EQ(testing_support::ProcessesLeftAfter(folders.Out(), std::chrono::seconds(2)),
              std::vector<pid_t>{});
    EXPECT_TRUE(host.opened.empty());
    EXPECT_FALSE(host.stop.load());
    EXPECT_EQ(host.enableCount, 1);
}
