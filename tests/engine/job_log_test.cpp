// Each job's log (the encoder's whole output and how the job ended) and how the time left is
// told.
#include "engine/job_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "batch_recorder.h"
#include "engine/time_left.h"

using testing_support::EngineFolders;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

TEST(JobLogTest, ABatchKeepsEachJobsOutputAndTheOutcomeUnderTheSourcesName) {
    EngineFolders folders;
    engine::BatchOptions options = testing_support::FakeOptions(folders);
    options.logFolder = folders.Path("logs");
    const std::string failing = folders.Source("bad.avi", "eprint [error] no codec here\nexit 1\n");
    testing_support::RecordingEvents events;
    std::atomic<bool> stop{false};
    testing_support::RunBatch({folders.Source("a.avi"), failing}, options, events, stop);

    const std::string good = ReadFile(engine::JobLogPath(options.logFolder, folders.In("a.avi")));
    EXPECT_NE(good.find("Duration: 00:00:02.00"), std::string::npos) << good;
    EXPECT_NE(good.find("Vantrel: Complete"), std::string::npos) << good;
    const std::string bad = ReadFile(engine::JobLogPath(options.logFolder, failing));
    EXPECT_NE(bad.find("[error] no codec here"), std::string::npos) << bad;
    EXPECT_NE(bad.find("Vantrel: Error: the encoder exited with status 1"), std::string::npos);
}

TEST(JobLogTest, PruningRemovesTheOldestLogsFirst) {
    EngineFolders folders;
    const std::string logs = folders.Path("logs");
    std::filesystem::create_directories(logs);
    const auto now = std::filesystem::file_time_type::clock::now();
    for (int i = 0; i < 4; ++i) {
        const std::string path = logs + "/" + std::to_string(i) + ".log";
        WriteFile(path, std::string(100, 'x'));
        std::filesystem::last_write_time(path, now - std::chrono::hours(4 - i));
    }
    WriteFile(logs + "/notes.txt", std::string(1000, 'x'));  // not a log: left alone
    engine::PruneLogs(logs, 250);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::filesystem::exists(logs + "/" + std::to_string(i) + ".log"), i >= 2) << i;
    EXPECT_TRUE(std::filesystem::exists(logs + "/notes.txt"));
}

TEST(TimeLeftTest, TheRateSoFarCarriedOn) {
    EXPECT_EQ(engine::SecondsLeft(30, 0), std::nullopt);
    EXPECT_EQ(engine::SecondsLeft(30, 100), std::nullopt);
    EXPECT_DOUBLE_EQ(*engine::SecondsLeft(30, 25), 90);
    const std::pair<double, const char*> texts[] = {
        {0, "0:00"}, {0.2, "0:01"}, {133, "2:13"}, {3599.5, "1:00:00"}, {7322, "2:02:02"}};
    for (const auto& [seconds, text] : texts) EXPECT_EQ(engine::DurationText(seconds), text);
}

}  // namespace
