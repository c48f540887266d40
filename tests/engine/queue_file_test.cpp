// The saved job list: every field comes back, whatever bytes a name holds; a file that cannot
// be used is set aside; rows that were converting come back stopped, without their ".part".
#include "engine/queue_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fake_tool.h"

using engine::JobState;
using testing_support::EngineFolders;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

TEST(QueueFileTest, EveryFieldOfEveryRowComesBack) {
    std::vector<engine::Job> rows(2);
    rows[0].source = "/in/caf\xe9 \"1\"\n.avi";  // Latin-1, not UTF-8
    rows[0].target = "/out/caf\xe9 \"1\"\n.flv";
    rows[0].length = "00:01:02.5";
    rows[0].state = JobState::Error;
    rows[0].reason = "the result stops at 00:00:12 of 00:01:00";
    rows[0].started = 1700000000;
    rows[0].ended = 1700000060;
    rows[0].replaceStamp = "1:2:3:4";
    rows[0].resultStamp = "5:6:7:8";
    rows[1].source = "/in/b.avi";
    rows[1].state = JobState::Complete;

    const engine::QueueRead read = engine::ReadQueueText(engine::QueueText(rows));
    ASSERT_EQ(read.problem, "");
    ASSERT_EQ(read.rows.size(), 2u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const engine::Job& a = rows[i];
        const engine::Job& b = read.rows[i];
        EXPECT_EQ(std::tie(a.source, a.target, a.length, a.state, a.reason, a.started, a.ended,
                           a.replaceStamp, a.resultStamp),
                  std::tie(b.source, b.target, b.length, b.state, b.reason, b.started, b.ended,
                           b.replaceStamp, b.resultStamp));
    }
}

TEST(QueueFileTest, TextThatIsNoListOfThisVersionIsRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "damaged"},
        {"{\"vantrel-queue\": 1, \"rows\": [", "damaged"},
        {"[1, 2]", "damaged"},
        {"{\"vantrel-queue\": 2, \"rows\": []}", "newer"},
        {"{\"vantrel-queue\": 1, \"rows\": [{\"source\": 5}]}", "damaged"},
        {"{\"vantrel-queue\": 1, \"rows\": {}}", "damaged"},
    };
    for (const auto& [text, problem] : cases) {
        const engine::QueueRead read = engine::ReadQueueText(text);
        EXPECT_NE(read.problem.find(problem), std::string::npos) << text;
        EXPECT_TRUE(read.rows.empty()) << text;
    }
}

TEST(QueueFileTest, AFileThatCannotBeUsedIsSetAsideOnce) {
    EngineFolders folders;
    const std::string path = folders.Path("queue.json");
    WriteFile(path, "{\"vantrel-queue\": 99}");
    const engine::QueueLoad load = engine::LoadQueue(path);
    EXPECT_TRUE(load.rows.empty());
    EXPECT_NE(load.message.find("newer"), std::string::npos) << load.message;
    EXPECT_FALSE(std::filesystem::exists(path));
    int aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folders.Path("")))
        aside += entry.path().filename().string().rfind("queue.json.unreadable-", 0) == 0;
    EXPECT_EQ(aside, 1);
    EXPECT_EQ(engine::LoadQueue(path).message, "");  // nothing there any more: an empty list
}

TEST(QueueFileTest, RowsThatWereConvertingComeBackStoppedWithoutTheirPart) {
    EngineFolders folders;
    const std::string path = folders.Path("state/queue.json");
    std::vector<engine::Job> rows(2);
    rows[0].source = folders.Source("a.avi");
    rows[0].target = folders.Out("a.flv");
    rows[0].state = JobState::Converting;
    rows[1].source = folders.Source("b.avi");
    rows[1].state = JobState::Complete;
    WriteFile(engine::PartPathOf(folders.Out("a.flv")), "partial");
    ASSERT_EQ(engine::SaveQueue(path, rows), "");

    const engine::QueueLoad load = engine::LoadQueue(path);
    ASSERT_EQ(load.rows.size(), 2u);
    EXPECT_EQ(load.rows[0].state, JobState::Stop);
    EXPECT_EQ(load.rows[1].state, JobState::Complete);
    EXPECT_FALSE(std::filesystem::exists(engine::PartPathOf(folders.Out("a.flv"))));
    EXPECT_EQ(load.message, "");
}

}  // namespace
