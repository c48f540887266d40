// Reading a result back before its job completes: the verdict on the times, and batches whose
// read-back fails, which end in Error without their target.
#include "engine/result_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch_recorder.h"

using engine::JobState;
using testing_support::EngineFolders;
using testing_support::FakeOptions;
using testing_support::RecordingEvents;
using testing_support::RunBatch;
using testing_support::WriteFile;

namespace {

TEST(ResultShortfallTest, AResultShorterThanTheConversionReachedIsCut) {
    const struct {
        std::optional<double> readBack, source;
        const char* reason;
    } cases[] = {
        {60.0, 60.0, ""},
        {59.2, 60.0, ""},    // within a second
        {590.0, 600.0, ""},  // within 2 %
        {12.0, 60.0, "the result stops at 00:00:12 of 00:01:00"},
        {std::nullopt, 60.0, "the result stops at 00:00:00 of 00:01:00"},
        {3.0, std::nullopt, ""},  // nothing to compare with
        {3.0, 0.0, ""},
        {3725.9, 7200.0, "the result stops at 01:02:05 of 02:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine::ResultShortfall(c.readBack, c.source), c.reason)
            << (c.readBack ? *c.readBack : -1) << " of " << (c.source ? *c.source : -1);
}

struct VerifyCase {
    const char* readBackScript;  // what the fake prints when it reads the result back
    JobState state;
    const char* reason;
};

TEST(VerifyBatchTest, OnlyAResultReadBackWholeBecomesTheTarget) {
    const VerifyCase cases[] = {
        {"", JobState::Complete, ""},  // the fake's usual run reaches 00:00:02
        {"banner\nprogress 1\n", JobState::Error, "the result stops at 00:00:00 of 00:00:02"},
        {"eprint [error] Invalid data found when processing input\nexit 1\n", JobState::Error,
         "the result cannot be read: the encoder exited with status 1: Invalid data found"},
    };
    for (const VerifyCase& c : cases) {
        EngineFolders folders;
        engine::BatchOptions options = FakeOptions(folders);
        options.verify = true;
        if (*c.readBackScript)
            WriteFile(engine::PartPathOf(folders.Out("a.flv")) + ".fake", c.readBackScript);
        RecordingEvents events;
        std::atomic<bool> stop{false};
        RunBatch({folders.Source("a.avi")}, options, events, stop);
        EXPECT_EQ(events.State(0), c.state) << c.readBackScript << events.Reason(0);
        EXPECT_NE(events.Reason(0).find(c.reason), std::string::npos) << events.Reason(0);
        EXPECT_EQ(std::filesystem::exists(folders.Out("a.flv")), c.state == JobState::Complete);
        EXPECT_FALSE(std::filesystem::exists(engine::PartPathOf(folders.Out("a.flv"))));
    }
}

// One at a time, a result is read back while the next job converts; the jobs still end in the
// order they started, each as its own check says, and no partial file stays behind.
TEST(VerifyBatchTest, AResultIsReadBackWhileTheNextJobConverts) {
    EngineFolders folders;
    engine::BatchOptions options = FakeOptions(folders);
    options.verify = true;
    const char* readBacks[] = {"sleep 400\ndefault\n", "exit 1\n", ""};
    std::vector<std::string> sources;
    for (const std::string name : {"a", "b", "c"}) {
        sources.push_back(folders.Source(name + ".avi"));
        const char* script = readBacks[sources.size() - 1];
        if (*script)
            WriteFile(engine::PartPathOf(folders.Out(name + ".flv")) + ".fake", script);
    }
    RecordingEvents events;
    std::vector<int> endOrder;
    events.onEnded = [&](int job) { endOrder.push_back(job); };
    std::atomic<bool> stop{false};
    RunBatch(sources, options, events, stop);

    EXPECT_EQ(events.mostRunning, 2);  // b had started before a's check ended
    EXPECT_EQ(endOrder, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(events.State(0), JobState::Complete) << events.Reason(0);
    EXPECT_EQ(events.State(1), JobState::Error);
    EXPECT_EQ(events.State(2), JobState::Complete) << events.Reason(2);
    EXPECT_FALSE(events.overlapped);
    for (const char* name : {"a.flv", "b.flv", "c.flv"})
        EXPECT_FALSE(std::filesystem::exists(engine::PartPathOf(folders.Out(name)))) << name;
}

}  // namespace
