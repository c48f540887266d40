#include "engine/convert_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/job_row.h"
#include "fake_hosts.h"

using testing_support::EngineFolders;
using testing_support::FakeWorkerHost;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// Presses Stop from another thread after `delay`, as the window's Stop button would.
std::thread StopLater(FakeWorkerHost& host, std::chrono::milliseconds delay) {
    return std::thread([&host, delay] {
        std::this_thread::sleep_for(delay);
        host.stop.store(true);
    });
}

}  // namespace

TEST(ConvertWorkerTest, ConvertsEveryRowTopToBottomThenOpensTheFolderOnce) {
    EngineFolders folders;
    FakeWorkerHost host(
        folders, {folders.Source("a.avi"), folders.Source("b.mpg"), folders.Source("c.mp4")});

    EXPECT_EQ(engine::ConvertWorkerProc(host), 1);

    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(host.statusHistory[row], (std::vector<std::string>{"Converting", "Complete"}));
    }
    EXPECT_EQ(host.selected, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(Exists(folders.Out("a.flv")));
    EXPECT_TRUE(Exists(folders.Out("c.flv")));
    EXPECT_EQ(host.opened, std::vector<std::string>{folders.Out()});
    EXPECT_EQ(host.enableCount, 1);
    EXPECT_EQ(host.progressLow, 1);
    EXPECT_EQ(host.progressHigh, 100);
    EXPECT_TRUE(host.errors.empty());
}

TEST(ConvertWorkerTest, ProgressFollowsTheToolsTimeOverTheInputsDuration) {
    EngineFolders folders;
    // The fake reports a 2 s input and five progress lines up to 2 s; the default output is
    // tiny next to this 10 MB source, so a size-based bar would barely move.
    FakeWorkerHost host(folders, {folders.Source("big.avi", "", 10'000'000)});

    engine::ConvertWorkerProc(host);

    ASSERT_FALSE(host.progress.empty());
    EXPECT_EQ(*std::max_element(host.progress.begin(), host.progress.end()), 100);
    EXPECT_EQ(host.progress.back(), 0);  // the bar is emptied when the job ends
}

TEST(ConvertWorkerTest, ASourceBelowOneKilobyteNeverMovesTheBarButCompletes) {
    EngineFolders folders;
    const std::string script =
        "print size=      10kB time=N/A bitrate=N/A\\r\nprint size=      20kB\\r\nexit 0\n";
    FakeWorkerHost host(folders, {folders.Source("tiny.avi", script, 999)});

    engine::ConvertWorkerProc(host);

    EXPECT_EQ(host.Status(0), "Complete");
    EXPECT_TRUE(
        std::all_of(host.progress.begin(), host.progress.end(), [](int pos) { return pos == 0; }));
}

TEST(ConvertWorkerTest, OnlyAToolThatExitsWithStatusZeroCompletes) {
    EngineFolders folders;
    FakeWorkerHost host(
        folders,
        {folders.Source("fails.avi",
                        "eprint Invalid data found when processing input\\n\nexit 1\n"),
         folders.Source("crashes.avi", "crash\n"), folders.Source("exits255.avi", "exit 255\n"),
         folders.Source("fine.avi", "exit 0\n")});

    engine::ConvertWorkerProc(host);

    EXPECT_EQ(host.Status(0), "Error");
    EXPECT_EQ(host.reports[0].exitCode, 1);
    EXPECT_NE(host.reports[0].reason.find("Invalid data found"), std::string::npos);
    EXPECT_EQ(host.Status(1), "Error");
    EXPECT_EQ(host.Status(2), "Error");
    EXPECT_EQ(host.Status(3), "Complete");
    EXPECT_EQ(host.opened.size(), 1u);  // failures do not end the batch
}

TEST(ConvertWorkerTest, AToolThatClosesItsOutputButStaysAliveIsEndedAsError) {
    EngineFolders folders;
    FakeWorkerHost host(folders, {folders.Source("stuck.avi", "close-output\nhang\n")});

    engine::ConvertWorkerProc(host);

    EXPECT_EQ(host.Status(0), "Error");
    EXPECT_NE(host.reports[0].reason.find("did not exit"), std::string::npos);
}

TEST(ConvertWorkerTest, AMissingToolGivesErrorWithoutAMessageBox) {
    EngineFolders folders;
    FakeWorkerHost host(folders, {folders.Source("a.avi")});
    host.toolFolder = folders.Path("nowhere");

    engine::ConvertWorkerProc(host);

    EXPECT_EQ(host.Status(0), "Error");
    EXPECT_NE(host.reports[0].reason.find("could not be started"), std::string::npos);
    EXPECT_TRUE(host.errors.empty());
}

TEST(ConvertWorkerTest, AnUnreadableSourceIsAnErrorAndTheToolNeverRuns) {
    EngineFolders folders;
    const std::string log = folders.Path("args.log");
    WriteFile(folders.In("gone.avi.fake"), "log-args " + log + "\nexit 0\n");
    FakeWorkerHost host(folders, {folders.In("gone.avi")});

    engine::ConvertWorkerProc(host);

    EXPECT_EQ(host.Status(0), "Error");
    EXPECT_FALSE(Exists(log));
}

TEST(ConvertWorkerTest, ASourceThatWouldBeItsOwnOutputIsNeverTouched) {
    EngineFolders folders;
    // An FLV converted into its own folder, named once plainly and once through "./".
    const std::string log = folders.Path("args.log");
    const std::string source = folders.Out("movie.flv");
    WriteFile(source, "original bytes");
    WriteFile(source + ".fake", "log-args " + log + "\nwrite-output 5\nexit 0\n");
    FakeWorkerHost host(folders, {source});
    host.folder = folders.Out() + "/.";

    engine::ConvertWorkerProc(host);
    host.stop.store(true);  // not even a later Stop may delete it

    EXPECT_EQ(host.Status(0), "Error");
    EXPECT_EQ(ReadFile(source), "original bytes");
    EXPECT_FALSE(Exists(log));
}

TEST(ConvertWorkerTest, StopBeforeTheBatchLeavesEveryRowAsItWas) {
    EngineFolders folders;
    FakeWorkerHost host(folders, {folders.Source("a.avi"), folders.Source("b.avi")});
    host.stop.store(true);

    engine::ConvertWorkerProc(host);

    EXPECT_TRUE(host.statusHistory[0].empty());
    EXPECT_TRUE(host.statusHistory[1].empty());
    EXPECT_FALSE(host.stop.load());
    EXPECT_TRUE(host.opened.empty());
    EXPECT_EQ(host.enableCount, 1);
}

TEST(ConvertWorkerTest, StopDuringASilentJobEndsItDeletesItsOutputAndKeepsLaterRows) {
    EngineFolders folders;
    FakeWorkerHost host(folders, {folders.Source("long.avi", "write-output 5000\nhang\n"),
                                  folders.Source("next.avi")});
    std::thread stopper;
    host.onStatus = [&](int row, const std::string& status) {
        if (row == 0 && status == "Converting")
            stopper = StopLater(host, std::chrono::milliseconds(300));
    };

    engine::ConvertWorkerProc(host);
    stopper.join();

    EXPECT_EQ(host.statusHistory[0], (std::vector<std::string>{"Converting", "Stop"}));
    EXPECT_FALSE(Exists(folders.Out("long.flv")));
    EXPECT_TRUE(host.statusHistory[1].empty());
    EXPECT_FALSE(host.stop.load());
    EXPECT_TRUE(host.opened.empty());
    EXPECT_EQ(host.enableCount, 1);
}

TEST(ConvertWorkerTest, StopDuringTheLastRowIsHonouredAtTheBatchEnd) {
    EngineFolders folders;
    FakeWorkerHost host(folders, {folders.Source("a.avi"),
                                  folders.Source("last.avi", "print size=  1kB\\r\nhang\n")});
    std::thread stopper;
    host.onStatus = [&](int row, const std::string& status) {
        if (row == 1 && status == "Converting")
            stopper = StopLater(host, std::chrono::milliseconds(200));
    };

    engine::ConvertWorkerProc(host);
    stopper.join();

    EXPECT_EQ(host.Status(0), "Complete");
    EXPECT_EQ(host.Status(1), "Stop");
    EXPECT_FALSE(Exists(folders.Out("last.flv")));
    EXPECT_FALSE(host.stop.load());
    EXPECT_TRUE(host.opened.empty());
}

TEST(ConvertWorkerTest, StopAfterAJobHasEndedStartsNoFurtherJob) {
    EngineFolders folders;
    FakeWorkerHost host(folders, {folders.Source("a.avi"), folders.Source("b.avi")});
    host.onFinished = [&](int row) {
        if (row == 0)
            host.stop.store(true);
    };

    engine::ConvertWorkerProc(host);

    EXPECT_EQ(host.Status(0), "Complete");
    EXPECT_TRUE(Exists(folders.Out("a.flv")));
    EXPECT_TRUE(host.statusHistory[1].empty());
    EXPECT_TRUE(host.opened.empty());
    EXPECT_FALSE(host.stop.load());
}

TEST(ConvertWorkerTest, DecodingFailureEndsTheReadingAndKeepsThePartialOutput) {
    EngineFolders folders;
    FakeWorkerHost host(
        folders,
        {folders.Source("bad.avi", "write-output 100\nprint frame decoding failed: x\\n\nhang\n"),
         folders.Source("ends.avi", "print frame decoding failed: x\\n\nsleep 200\nexit 0\n")});

    engine::ConvertWorkerProc(host);

    EXPECT_EQ(host.Status(0), "Error");  // it had to be ended
    EXPECT_TRUE(Exists(folders.Out("bad.flv")));
    EXPECT_EQ(host.Status(1), "Complete");  // it exited by itself within the waits
}

TEST(ConvertWorkerTest, ARowConvertedBeforeIsConvertedAgain) {
    EngineFolders folders;
    FakeWorkerHost host(folders, {folders.Source("a.avi")});
    engine::ConvertWorkerProc(host);
    engine::ConvertWorkerProc(host);
    EXPECT_EQ(host.statusHistory[0],
              (std::vector<std::string>{"Converting", "Complete", "Converting", "Complete"}));
    EXPECT_EQ(host.opened.size(), 2u);
}

TEST(ConvertWorkerTest, TheCustomProfileReadsTheSettingsFileForEveryJob) {
    EngineFolders folders;
    const std::string log = folders.Path("args.log");
    const std::string script = "log-args " + log + "\nexit 0\n";
    FakeWorkerHost host(folders,
                        {folders.Source("a.avi", script), folders.Source("b.avi", script)});
    host.profile = 0;
    const std::string ini = folders.Path("config/vantrel/vantrel.ini");
    WriteFile(ini, "[Settings]\r\nResolution=6\r\n");
    host.onFinished = [&](int row) {
        if (row == 0)
            WriteFile(ini, "[Settings]\r\nResolution=2\r\n");
    };

    engine::ConvertWorkerProc(host);

    const std::string args = ReadFile(log);
    const auto first = args.find("640x480");
    const auto second = args.find("480x272");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_EQ(args.find("-title"), std::string::npos);
}

TEST(ConvertWorkerTest, PathsWithBlanksQuotesAndDollarsReachTheToolAsOneArgument) {
    EngineFolders folders;
    const std::string log = folders.Path("args.log");
    const std::string source =
        folders.Source("my \"best\" $HOME clip.avi", "log-args " + log + "\nexit 0\n");
    FakeWorkerHost host(folders, {source});

    engine::ConvertWorkerProc(host);

    const std::string args = ReadFile(log);
    EXPECT_NE(args.find("\n" + source + "\n"), std::string::npos) << args;
    EXPECT_NE(args.find("\n" + folders.Out("my \"best\" $HOME clip.flv") + "\n"),
              std::string::npos);
    EXPECT_EQ(host.Status(0), "Complete");
}
