// A batch with the real FFmpeg: what each profile produces, a source FFmpeg
// cannot read, Stop in the middle of a real conversion, and reading results back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "engine/batch.h"
#include "engine/command_line.h"
#include "engine/job.h"
#include "engine/result_check.h"
#include "real_encoder.h"

using engine::JobState;
using testing_support::ClipSpec;
using testing_support::MediaInfo;
using testing_support::ProbeMedia;
using testing_support::RealEncoderTest;
using testing_support::RealToolFolder;
using testing_support::RecordingEvents;

namespace {

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

int HighestProgress(const RecordingEvents& events) {
    int highest = 0;
    for (const auto& [job, percent] : events.progress) highest = std::max(highest, percent);
    return highest;
}

// Runs a batch of `sources` into the test's output folder with the real encoder.
void Convert(const testing_support::EngineFolders& folders, const std::vector<std::string>& sources,
             int profile, RecordingEvents& events, std::atomic<bool>& stop) {
    engine::BatchOptions options = testing_support::FakeOptions(folders);
    options.toolFolder = RealToolFolder();
    options.profile = profile;
    testing_support::RunBatch(sources, options, events, stop);
}

class FixedProfileTest : public RealEncoderTest,
                         public ::testing::WithParamInterface<ProfileResult> {};

}  // namespace

TEST_P(FixedProfileTest, GivesAnFlvAtTheProfilesSizeRateAndSound) {
    const ProfileResult expected = GetParam();
    Convert(folders, {Clip("clip.avi")}, expected.profile, events, stop);

    ASSERT_EQ(events.State(0), JobState::Complete) << events.Reason(0);
    // The bar follows the real tool's progress lines to (about) full.
    EXPECT_GE(HighestProgress(events), 90);
    EXPECT_FALSE(Exists(engine::PartPathOf(folders.Out("clip.flv"))));

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
    Convert(folders, {Clip("ten.avi", tenFrames)}, engine::kCustomProfile, events, stop);

    ASSERT_EQ(events.State(0), JobState::Complete) << events.Reason(0);
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
    Convert(folders, {corrupt, Clip("clip.avi")}, 3, events, stop);

    EXPECT_EQ(events.State(0), JobState::Error);
    EXPECT_NE(events.ended.at(0).exitCode, 0);
    // The reason carries FFmpeg's own words about the file.
    EXPECT_NE(events.Reason(0).find("noise.avi"), std::string::npos) << events.Reason(0);
    EXPECT_FALSE(Exists(folders.Out("noise.flv")));
    EXPECT_EQ(events.State(1), JobState::Complete);
    EXPECT_TRUE(Exists(folders.Out("clip.flv")));
}

TEST_F(RealConversionTest, StopEndsTheRunningFfmpegDeletesItsPartAndKeepsTheEarlierResult) {
    // 640x480 played a hundred times over: seconds of work for FFmpeg.
    ClipSpec longClip;
    longClip.width = 640;
    longClip.height = 480;
    longClip.loops = 100;
    const std::string clip = Clip("long.avi", longClip);
    testing_support::WriteFile(folders.Out("long.flv"), "earlier result");
    std::vector<pid_t> toolsAtStop;
    events.onProgress = [&](int) {
        if (toolsAtStop.empty()) {
            toolsAtStop = testing_support::ProcessesMentioning(folders.Out());
            stop = true;
        }
    };
    Convert(folders, {clip}, 6, events, stop);

    // The adapter and FFmpeg were both at work when Stop was pressed.
    EXPECT_GE(toolsAtStop.size(), 2u);
    EXPECT_EQ(events.State(0), JobState::Stop);
    EXPECT_EQ(testing_support::ReadFile(folders.Out("long.flv")), "earlier result");
    EXPECT_FALSE(Exists(engine::PartPathOf(folders.Out("long.flv"))));
    EXPECT_EQ(testing_support::ProcessesLeftAfter(folders.Out(), std::chrono::seconds(2)),
              std::vector<pid_t>{});
    EXPECT_TRUE(events.summary->wasStopped);
}

// The read-back with the real FFmpeg: a batch's results pass it, one read back while the next
// converts; a result cut short, or one that is no FLV at all, does not.
TEST_F(RealConversionTest, OnlyAWholeReadableResultPassesTheReadBack) {
    ClipSpec fourSeconds;
    fourSeconds.loops = 4;
    engine::BatchOptions options = testing_support::FakeOptions(folders);
    options.toolFolder = RealToolFolder();
    options.profile = 1;
    options.verify = true;
    testing_support::RunBatch({Clip("a.avi", fourSeconds), Clip("b.avi", fourSeconds)}, options,
                              events, stop);
    ASSERT_EQ(events.State(0), JobState::Complete) << events.Reason(0);
    ASSERT_EQ(events.State(1), JobState::Complete) << events.Reason(1);

    const std::string whole = folders.Out("a.flv");
    const std::string cut = folders.Out("cut.flv");
    std::filesystem::copy_file(whole, cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(whole) / 2);
    const std::string noise = folders.Out("noise.flv");
    testing_support::WriteFile(noise, std::string(8192, '\x5a'));
    const struct {
        std::string result;
        const char* failure;
    } cases[] = {
        {whole, ""},
        {cut, "the result stops at 00:00:0"},
        {noise, "the result cannot be read: "},
    };
    for (const auto& c : cases) {
        const engine::VerifyOutcome outcome =
            engine::VerifyResult(c.result, 4.0, RealToolFolder(), stop, std::chrono::seconds(30));
        EXPECT_FALSE(outcome.stopped);
        EXPECT_EQ(outcome.failure.rfind(c.failure, 0), 0u) << c.result << ": " << outcome.failure;
        EXPECT_EQ(outcome.failure.empty(), *c.failure == '\0') << outcome.failure;
    }
}
