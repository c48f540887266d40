#include "engine/duration_probe.h"

#include <gtest/gtest.h>

#include <chrono>

#include "fake_hosts.h"

using testing_support::EngineFolders;
using testing_support::FakeProbeHost;

namespace {

void Prepare(FakeProbeHost& host, const EngineFolders& folders, const std::string& file) {
    host.file = file;
    host.toolFolder = folders.Tool();
}

}  // namespace

TEST(DurationProbeTest, KeepsTheTenCharactersAfterDuration) {
    EngineFolders folders;
    FakeProbeHost host;
    Prepare(host, folders, folders.Source("a.avi"));
    EXPECT_EQ(engine::DurationProbeProc(host), 1);
    EXPECT_EQ(host.duration, "00:00:02.0");
}

TEST(DurationProbeTest, FindsTheMarkerWhenTheToolPrintsItInPieces) {
    EngineFolders folders;
    const std::string script =
        "eprint Input #0, avi\\n  Dura\nsleep 50\neprint tion: 01:02:03.45, st\nsleep 50\n"
        "eprint art: 0\\n\nexit 1\n";
    FakeProbeHost host;
    Prepare(host, folders, folders.Source("a.avi", script));
    engine::DurationProbeProc(host);
    EXPECT_EQ(host.duration, "01:02:03.4");
}

TEST(DurationProbeTest, LeavesTheDurationEmptyWhenNoneIsReported) {
    EngineFolders folders;
    FakeProbeHost missingFile;
    Prepare(missingFile, folders, folders.In("missing.avi"));
    engine::DurationProbeProc(missingFile);
    EXPECT_EQ(missingFile.duration, "");

    FakeProbeHost missingTool;
    Prepare(missingTool, folders, folders.Source("a.avi"));
    missingTool.toolFolder = folders.Path("nowhere");
    engine::DurationProbeProc(missingTool);
    EXPECT_EQ(missingTool.duration, "");
}

TEST(DurationProbeTest, GivesUpOnStopAndClearsTheFlag) {
    EngineFolders folders;
    FakeProbeHost host;
    Prepare(host, folders, folders.Source("a.avi", "hang\n"));
    host.stop.store(true);
    engine::DurationProbeProc(host);
    EXPECT_FALSE(host.stop.load());
}

TEST(DurationProbeTest, AProbeThatOverrunsBothWaitsEndsItsToolAndKeepsWhatItFound) {
    EngineFolders folders;
    const std::string pidFile = folders.Path("probe.pid");
    const std::string script =
        "write-pid " + pidFile + "\neprint   Duration: 00:00:09.00, start: 0\\n\nhang\n";
    FakeProbeHost host;
    Prepare(host, folders, folders.Source("slow.avi", script));
    int repaints = 0;
    engine::ProbeWait wait;
    wait.first = std::chrono::milliseconds(300);
    wait.second = std::chrono::milliseconds(200);
    wait.whileWaiting = [&] { ++repaints; };

    const engine::ProbeOutcome outcome = engine::RunDurationProbe(host, wait);

    EXPECT_TRUE(outcome.overran);
    EXPECT_EQ(host.duration, "00:00:09.0");
    EXPECT_GT(repaints, 0);
    EXPECT_FALSE(testing_support::ProcessAlive(testing_support::ReadPid(pidFile)));
}

TEST(DurationProbeTest, AQuickProbeDoesNotWaitForTheTimeLimits) {
    EngineFolders folders;
    FakeProbeHost host;
    Prepare(host, folders, folders.Source("a.avi"));
    const auto start = std::chrono::steady_clock::now();
    const engine::ProbeOutcome outcome = engine::RunDurationProbe(host, engine::ProbeWait{});
    EXPECT_FALSE(outcome.overran);
    EXPECT_EQ(host.duration, "00:00:02.0");
    // Far below the 30 s first wait: the probe ended the wait, not the clock.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(DurationProbeTest, SaysWhenTheToolItselfCouldNotRun) {
    EngineFolders folders;
    FakeProbeHost missingTool;
    Prepare(missingTool, folders, folders.Source("a.avi"));
    missingTool.toolFolder = folders.Path("nowhere");
    EXPECT_NE(
        engine::RunDurationProbe(missingTool, engine::ProbeWait{}).toolFailure.find("DLL/ffmpeg"),
        std::string::npos);

    FakeProbeHost noFfmpeg;
    Prepare(noFfmpeg, folders,
            folders.Source("b.avi", "eprint vantrel: FFmpeg not found\\n\nexit 127\n"));
    EXPECT_EQ(engine::RunDurationProbe(noFfmpeg, engine::ProbeWait{}).toolFailure,
              "vantrel: FFmpeg not found");

    // A file the tool cannot read is an empty Length, not a failure of the tool.
    FakeProbeHost unreadable;
    Prepare(unreadable, folders, folders.In("missing.avi"));
    EXPECT_EQ(engine::RunDurationProbe(unreadable, engine::ProbeWait{}).toolFailure, "");
}
