#include "engine/encoder_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "descriptors.h"
#include "engine/encoder_tool.h"
#include "fake_tool.h"
#include "platform/path.h"
#include "process_checks.h"

namespace {

using engine::CommandLine;
using engine::EncoderProcess;
using testing_support::FakeToolFolder;
using testing_support::ReadFile;
using ReadStatus = EncoderProcess::ReadStatus;
using StartStatus = EncoderProcess::StartStatus;
using Clock = std::chrono::steady_clock;

// The worker's and the probe's reading rhythm.
constexpr int kWorkerPause = 100;
constexpr std::size_t kWorkerChunk = 256;

CommandLine Probe(const std::string& source) {
    return {{engine::kEncoderPath, "-i", source}};
}

CommandLine Convert(const std::string& source, const std::string& output) {
    return {{engine::kEncoderPath, "-y", "-i", source, "-f", "flv", output}};
}

// All chunks until the output ends (or five seconds pass).
std::vector<std::string> ReadChunks(EncoderProcess& run, std::size_t size = kWorkerChunk) {
    std::vector<std::string> chunks;
    std::string chunk;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        const ReadStatus status = run.ReadChunk(kWorkerPause, size, &chunk);
        if (status == ReadStatus::Ended)
            break;
        if (status == ReadStatus::Chunk)
            chunks.push_back(chunk);
    }
    return chunks;
}

std::string Joined(const std::vector<std::string>& chunks) {
    std::string all;
    for (const std::string& chunk : chunks) all += chunk;
    return all;
}

// Reads until `text` has been seen; false when the output ended first.
bool ReadUntil(EncoderProcess& run, const std::string& text) {
    std::string all, chunk;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline && all.find(text) == std::string::npos) {
        if (run.ReadChunk(kWorkerPause, kWorkerChunk, &chunk) == ReadStatus::Ended)
            break;
        all += chunk;
    }
    return all.find(text) != std::string::npos;
}

long Ms(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

TEST(EncoderProcess, RunsTheToolFromTheToolFolderWithPathsAsWholeArguments) {
    FakeToolFolder tool;
    const std::string log = tool / "args";
    // Names a shell would change, in what each system allows in a file name.
#ifdef _WIN32
    const std::string source = tool.ScriptFor("my 'clip' %HOME% x.avi", "log-args " + log);
    const std::string output = tool / "out put %1.flv";
#else
    const std::string source = tool.ScriptFor("my 'clip' \"$HOME\" x.avi", "log-args " + log);
    const std::string output = tool / "out put $1.flv";
#endif

    EncoderProcess run;
    ASSERT_EQ(run.Start(Convert(source, output), tool.Path()), StartStatus::Started);
    ReadChunks(run);
    EXPECT_TRUE(run.Finish().Succeeded());

    EXPECT_EQ(ReadFile(log), platform::path::Join(tool.Path(), engine::kEncoderPath) +
                                 "\n-y\n-i\n" + source + "\n-f\nflv\n" + output + "\n");
}

TEST(EncoderProcess, AbsoluteToolPathIsUsedAsItIs) {
    FakeToolFolder tool;
    const std::string source = tool.ScriptFor("a.avi", "print absolute\n");
    EncoderProcess run;
    ASSERT_EQ(run.Start({{testing_support::kFakeEncoderPath, "-i", source}}, "/nonexistent"),
              StartStatus::Started);
    EXPECT_EQ(Joined(ReadChunks(run)), "absolute");
    EXPECT_TRUE(run.Finish().Succeeded());
}

TEST(EncoderProcess, ConversionAndProbeOfTheDefaultToolBehaveLikeFfmpeg) {
    FakeToolFolder tool;
    const std::string source = tool / "clip.avi";
    testing_support::WriteFile(source, std::string(50000, 'v'));
    const std::string output = tool / "clip.flv";

    EncoderProcess conversion;
    ASSERT_EQ(conversion.Start(Convert(source, output), tool.Path()), StartStatus::Started);
    const std::string converted = Joined(ReadChunks(conversion));
    const EncoderProcess::Outcome done = conversion.Finish();
    EXPECT_NE(converted.find("Duration: 00:00:02.00, start: 0.000000, bitrate:"),
              std::string::npos);
    EXPECT_NE(converted.find("size=       4kB time=00:00:00.40"), std::string::npos);
    EXPECT_FALSE(ReadFile(output).empty());
    EXPECT_TRUE(done.Succeeded());
    EXPECT_FALSE(done.terminated);

    EncoderProcess probe;
    ASSERT_EQ(probe.Start(Probe(source), tool.Path()), StartStatus::Started);
    const std::string described = Joined(ReadChunks(probe, 1024));
    const EncoderProcess::Outcome probed = probe.Finish();
    EXPECT_NE(described.find("Duration: 00:00:02.00"), std::string::npos);
    EXPECT_NE(described.find("At least one output file must be specified"), std::string::npos);
    EXPECT_TRUE(probed.exited);
    EXPECT_EQ(probed.exitCode, 1);
    EXPECT_FALSE(probed.Succeeded());
}

TEST(EncoderProcess, ToolExitingAtOnceWithoutOutputEndsAtTheFirstRead) {
    FakeToolFolder tool;
    const std::string source = tool.ScriptFor("a.avi", "exit 0\n");
    EncoderProcess run;
    ASSERT_EQ(run.Start(Probe(source), tool.Path()), StartStatus::Started);
    std::string chunk = "stale";
    // Generous, for a loaded machine: the read returns as soon as the tool has ended.
    EXPECT_EQ(run.ReadChunk(10000, 1024, &chunk), ReadStatus::Ended);
    EXPECT_EQ(chunk, "");
    const EncoderProcess::Outcome outcome = run.Finish();
    EXPECT_FALSE(outcome.terminated);
    EXPECT_TRUE(outcome.Succeeded());
}

TEST(EncoderProcess, ToolThatClosesItsOutputButRunsOnIsKilledWithAllItStartedAndReaped) {
    FakeToolFolder tool;
    const std::string toolPid = tool / "tool.pid";
    const std::string helperPid = tool / "helper.pid";
    const std::string source = tool.ScriptFor(
        "a.avi", "write-pid " + toolPid + "\nspawn-child " + helperPid + "\nclose-output\nhang\n");
    EncoderProcess run;
    ASSERT_EQ(run.Start(Convert(source, tool / "a.flv"), tool.Path()), StartStatus::Started);
    ReadChunks(run);  // ends when the output is closed

    const auto start = Clock::now();
    const EncoderProcess::Outcome outcome = run.Finish();
    EXPECT_GE(Ms(Clock::now() - start), 1900);  // two waits of 1000 ms came first
    EXPECT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.terminated);
    EXPECT_FALSE(outcome.exited);
    EXPECT_FALSE(outcome.Succeeded());

    const pid_t pid = testing_support::PidFromFile(toolPid);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(testing_support::WasReaped(pid));
    EXPECT_FALSE(testing_support::IsAlive(pid));
    EXPECT_TRUE(testing_support::EndsSoon(testing_support::PidFromFile(helperPid)));
}

TEST(EncoderProcess, ChunksHoldOnlyTheBytesOfTheirOwnRead) {
    FakeToolFolder tool;
    const std::string source =
        tool.ScriptFor("a.avi", "print " + std::string(300, 'A') + "\nsleep 100\nprint bb\n");
    EncoderProcess run;
    ASSERT_EQ(run.Start(Probe(source), tool.Path()), StartStatus::Started);
    EXPECT_EQ(ReadChunks(run),
              (std::vector<std::string>{std::string(256, 'A'), std::string(44, 'A'), "bb"}));
    run.Finish();
}

TEST(EncoderProcess, MissingOrUnusableToolIsNotStartedAndEndsQuietly) {
    FakeToolFolder withoutTool;
    std::filesystem::remove(withoutTool / engine::kEncoderPath);
    FakeToolFolder notExecutable;
    std::filesystem::remove(notExecutable / engine::kEncoderPath);
    testing_support::WriteFile(notExecutable / engine::kEncoderPath, "not a program");

    for (const FakeToolFolder* tool : {&withoutTool, &notExecutable}) {
        EncoderProcess run;
        const StartStatus status = run.Start(Probe(*tool / "a.avi"), tool->Path());
        EXPECT_EQ(status, StartStatus::NotStarted);
        EXPECT_STREQ(engine::StartFailureText(status), "");
        std::string chunk;
        EXPECT_EQ(run.ReadChunk(10000, 1024, &chunk), ReadStatus::Ended);
        const EncoderProcess::Outcome outcome = run.Finish();
        EXPECT_FALSE(outcome.started);
        EXPECT_FALSE(outcome.terminated);
        EXPECT_FALSE(outcome.Succeeded());
    }
}

TEST(EncoderProcess, ReportsExitCodesAndDeathBySignal) {
    FakeToolFolder tool;
    for (int code : {0, 1, 3, 255}) {
        const std::string source =
            tool.ScriptFor("exit" + std::to_string(code) + ".avi", "exit " + std::to_string(code));
        EncoderProcess run;
        ASSERT_EQ(run.Start(Probe(source), tool.Path()), StartStatus::Started);
        ReadChunks(run);
        const EncoderProcess::Outcome outcome = run.Finish();
        EXPECT_TRUE(outcome.exited) << code;
        EXPECT_EQ(outcome.exitCode, code);
        EXPECT_FALSE(outcome.terminated);
        EXPECT_EQ(outcome.Succeeded(), code == 0);
    }
    const std::string source = tool.ScriptFor("crash.avi", "crash\n");
    EncoderProcess run;
    ASSERT_EQ(run.Start(Probe(source), tool.Path()), StartStatus::Started);
    ReadChunks(run);
    const EncoderProcess::Outcome outcome = run.Finish();
    EXPECT_TRUE(outcome.started);
#ifndef _WIN32
    EXPECT_FALSE(outcome.exited);  // Windows has no signals: a crash there is an exit code
#endif
    EXPECT_FALSE(outcome.terminated);
    EXPECT_FALSE(outcome.Succeeded());
}

TEST(EncoderProcess, PauseNeverDelaysWaitingOutputButBoundsASilentWait) {
    FakeToolFolder tool;
    const std::string source = tool.ScriptFor("a.avi", "print waiting\nhang\n");
    EncoderProcess run;
    ASSERT_EQ(run.Start(Probe(source), tool.Path()), StartStatus::Started);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let the output arrive

    std::string chunk;
    auto start = Clock::now();
    ASSERT_EQ(run.ReadChunk(3000, 1024, &chunk), ReadStatus::Chunk);
    EXPECT_LT(Ms(Clock::now() - start), 1500);
    EXPECT_EQ(chunk, "waiting");

    // A silent tool: the caller gets control back after the pause to look at its stop flag.
    start = Clock::now();
    EXPECT_EQ(run.ReadChunk(kWorkerPause, kWorkerChunk, &chunk), ReadStatus::NoOutput);
    EXPECT_GE(Ms(Clock::now() - start), 80);
    EXPECT_EQ(chunk, "");
}

TEST(EncoderProcess, StdinIsAPipeThatNeverDeliversAnythingAndOnlyStandardStreamsAreInherited) {
    FakeToolFolder tool;
    const std::string verdict = tool / "stdin";
    const std::string fds = tool / "fds";
    const std::string source =
        tool.ScriptFor("a.avi", "read-stdin " + verdict + "\nlist-fds " + fds + "\n");
    EncoderProcess run;
    ASSERT_EQ(run.Start(Probe(source), tool.Path()), StartStatus::Started);
    ReadChunks(run);
    run.Finish();
    EXPECT_EQ(ReadFile(verdict), "none\n");
#ifndef _WIN32
    EXPECT_EQ(ReadFile(fds), "0\n1\n2\n");  // Windows numbers no handles to list
#endif
}

TEST(EncoderProcess, PipeFailuresAreReportedWithTheirMessagesAndStartNothing) {
    if (!testing_support::kCanLimitDescriptors)
        GTEST_SKIP() << "no descriptor limit to lower on this system";
    FakeToolFolder tool;
    const std::string log = tool / "ran";
    const std::string source = tool.ScriptFor("a.avi", "log-args " + log + "\n");
    struct Case {
        int freeDescriptors;
        StartStatus status;
        const char* text;
    };
    const Case cases[] = {
        {1, StartStatus::OutPipeFailed, "Can't create out pipe"},
        {3, StartStatus::InputPipeFailed, "Can't create input pipe"},
    };
    for (const Case& c : cases) {
        EncoderProcess run;
        StartStatus status;
        {
            testing_support::ScopedDescriptorLimit limit(c.freeDescriptors);
            status = run.Start(Probe(source), tool.Path());
        }
        EXPECT_EQ(status, c.status);
        EXPECT_STREQ(engine::StartFailureText(status), c.text);
        std::string chunk;
        EXPECT_EQ(run.ReadChunk(10000, 1024, &chunk), ReadStatus::Ended);
        const EncoderProcess::Outcome outcome = run.Finish();
        EXPECT_FALSE(outcome.started);
        EXPECT_FALSE(outcome.Succeeded());
    }
    EXPECT_STREQ(engine::StartFailureText(StartStatus::Started), "");
    EXPECT_EQ(ReadFile(log), "");
}

TEST(EncoderProcess, FinishIsSafeWithoutARunAndWhenRepeated) {
    EncoderProcess never;
    const EncoderProcess::Outcome none = never.Finish();
    EXPECT_FALSE(none.started);
    EXPECT_FALSE(none.terminated);
    std::string chunk;
    EXPECT_EQ(never.ReadChunk(0, 16, &chunk), ReadStatus::Ended);

    FakeToolFolder tool;
    const std::string source = tool.ScriptFor("a.avi", "exit 3\n");
    EncoderProcess run;
    ASSERT_EQ(run.Start(Probe(source), tool.Path()), StartStatus::Started);
    ReadChunks(run);
    const EncoderProcess::Outcome first = run.Finish();
    const EncoderProcess::Outcome second = run.Finish();
    EXPECT_EQ(first.exitCode, 3);
    EXPECT_EQ(second.exitCode, 3);
    EXPECT_EQ(second.started, first.started);
    EXPECT_EQ(run.ReadChunk(0, 16, &chunk), ReadStatus::Ended);
}

TEST(EncoderProcess, DestroyingARunningRunLeavesNoProcessBehind) {
    FakeToolFolder tool;
    const std::string pidFile = tool / "tool.pid";
    const std::string helperFile = tool / "helper.pid";
    const std::string source = tool.ScriptFor(
        "a.avi", "write-pid " + pidFile + "\nspawn-child " + helperFile + "\nprint ready\nhang\n");
    {
        EncoderProcess run;
        ASSERT_EQ(run.Start(Probe(source), tool.Path()), StartStatus::Started);
        ASSERT_TRUE(ReadUntil(run, "ready"));
    }
    const pid_t pid = testing_support::PidFromFile(pidFile);
    EXPECT_TRUE(testing_support::WasReaped(pid));
    EXPECT_FALSE(testing_support::IsAlive(pid));
    EXPECT_TRUE(testing_support::EndsSoon(testing_support::PidFromFile(helperFile)));
}

TEST(EncoderProcess, ManyRunsAndFailedStartsLeaveNoDescriptorOpen) {
    FakeToolFolder tool;
    const std::string source = tool.ScriptFor("a.avi", "print done\nexit 0\n");
    const std::string silent = tool.ScriptFor("b.avi", "hang\n");
    const std::set<int> before = testing_support::OpenDescriptors();
    for (int i = 0; i < 10; ++i) {
        EncoderProcess run;
        ASSERT_EQ(run.Start(Probe(source), tool.Path()), StartStatus::Started);
        ReadChunks(run);
        run.Finish();
        EXPECT_EQ(run.Start(Probe(source), tool / "missing"), StartStatus::NotStarted);
        run.Finish();
        if (testing_support::kCanLimitDescriptors) {
            testing_support::ScopedDescriptorLimit limit(3);
            EXPECT_EQ(run.Start(Probe(source), tool.Path()), StartStatus::InputPipeFailed);
        }
        run.Finish();
        ASSERT_EQ(run.Start(Probe(silent), tool.Path()), StartStatus::Started);
        // left running: the next Start or the destructor ends it
    }
    EXPECT_EQ(testing_support::OpenDescriptors(), before);
}

}  // namespace
