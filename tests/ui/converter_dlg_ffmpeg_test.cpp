// The main window with the real encoder: the adapter built as bin/DLL/ffmpeg and the FFmpeg on
// PATH. A generated clip is added (its Length probed) and converted with every profile, the
// custom one as the settings file sets it. Skipped where FFmpeg is not installed.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "engine/job.h"
#include "fake_ui_services.h"
#include "media_tools.h"
#include "qt_printers.h"
#include "support/settings_env.h"
#include "ui/converter_dlg.h"
#include "ui/job_columns.h"
#include "wait_until.h"
#include "window_states.h"

namespace {

using testing_support::ColumnTexts;

class ConverterDlgFfmpegTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing_support::FfmpegInstalled())
            GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
        std::filesystem::create_directories(env_.Path("out"));
        // The custom profile: 240x160 (Resolution 0) in place of the default 320x240.
        env_.WriteIni("[Settings]\nOut Path=" + env_.Path("out") + "\nResolution=0\n");
        services_.toolFolder = VANTREL_BIN_DIR;
        dlg_ = std::make_unique<CConverterDlg>(nullptr, &services_);
        dlg_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg_.get()));
    }

    testing_support::SettingsEnv env_;
    testing_support::FakeUiServices services_;
    std::unique_ptr<CConverterDlg> dlg_;
};

TEST_F(ConverterDlgFfmpegTest, GeneratedClipIsProbedAndConvertedToFlvWithEveryProfile) {
    const std::string clip = env_.Path("in/clip one.avi");
    std::filesystem::create_directories(env_.Path("in"));
    ASSERT_EQ(testing_support::MakeClip(clip, {320, 240, 25, 1, 1}), "");
    services_.filesToPick = {QString::fromStdString(clip)};
    dlg_->OnAdd();
    EXPECT_EQ(ColumnTexts(*dlg_, ui::kColumnLength), QStringList{"00:00:01.0"});
    EXPECT_TRUE(services_.told.empty());

    const std::string output = env_.Path("out/clip one.flv");
    const char* const sizes[] = {"240x160", "240x160", "240x160", "320x240",
                                 "320x240", "480x320", "480x320"};
    for (int profile = 0; profile < 7; ++profile) {
        SCOPED_TRACE("profile " + std::to_string(profile));
        std::filesystem::remove(output);
        dlg_->m_comboFormat->setCurrentIndex(profile);
        dlg_->OnConvert();
        EXPECT_EQ(testing_support::EnabledStates(*dlg_), testing_support::states::kConverting);
        ASSERT_TRUE(testing_support::WaitUntil([&] { return !dlg_->IsConverting(); }, 60000));
        EXPECT_EQ(ColumnTexts(*dlg_, ui::kColumnStatus), QStringList{"Complete"});
        EXPECT_EQ(testing_support::EnabledStates(*dlg_), testing_support::states::kListed);

        const testing_support::MediaInfo info = testing_support::ProbeMedia(output);
        ASSERT_EQ(info.error, "");
        EXPECT_EQ(info.Format("format_name"), "flv");
        EXPECT_EQ(info.Video("width") + "x" + info.Video("height"), sizes[profile]);
        EXPECT_EQ(info.Audio("codec_name"), "mp3");
    }
    EXPECT_EQ(services_.shell.opened.size(), 7u);
    EXPECT_TRUE(services_.told.empty());
}

TEST_F(ConverterDlgFfmpegTest, QuittingDuringAConversionLeavesNoProcessAndNoPartialOutput) {
    // Long enough (200 seconds of video) to be still converting when the window is closed.
    const std::string clip = env_.Path("in/long.avi");
    std::filesystem::create_directories(env_.Path("in"));
    ASSERT_EQ(testing_support::MakeClip(clip, {320, 240, 25, 2, 100}), "");
    services_.filesToPick = {QString::fromStdString(clip)};
    dlg_->OnAdd();
    EXPECT_TRUE(ColumnTexts(*dlg_, ui::kColumnLength).value(0).startsWith("00:03:2"));

    const std::string output = env_.Path("out/long.flv");
    const std::string part = engine::PartPathOf(output);
    dlg_->OnConvert();
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] { return std::filesystem::exists(part) && std::filesystem::file_size(part) > 0; },
        30000));
    ASSERT_FALSE(testing_support::ProcessesMentioning(clip).empty()) << "nothing converts";

    services_.answer = true;
    EXPECT_TRUE(dlg_->close());
    EXPECT_FALSE(dlg_->IsConverting());
    EXPECT_EQ(testing_support::ProcessesLeftAfter(clip, std::chrono::milliseconds(2000)),
              std::vector<pid_t>{});
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_FALSE(std::filesystem::exists(part)) << "the partial output was kept";
    dlg_.reset();
}

}  // namespace
