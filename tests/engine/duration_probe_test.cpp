// The duration probe with the fake encoder: the Length text, files the tool must never open,
// a tool that cannot run, the time limit and Stop, and several probes at once.
#include "engine/duration_probe.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>

#include "batch_recorder.h"
#include "engine/encoder_tool.h"

using testing_support::EngineFolders;

namespace {

struct DurationProbeTest : ::testing::Test {
    EngineFolders folders;
    engine::ProbeOptions options{folders.Tool()};
    std::atomic<bool> stop{false};

    engine::ProbeResult Probe(const std::string& file) {
        return engine::DurationProbeProc(file, options, stop);
    }
};

}  // namespace

TEST_F(DurationProbeTest, KeepsTheTenCharactersAfterDurationWhereverTheReadsSplitIt) {
    EXPECT_EQ(Probe(folders.Source("a.avi")).length, "00:00:02.0");
    const std::string pieces =
        "eprint Input #0, avi\\n  Dura\nsleep 50\neprint tion: 01:02:03.45, st\nsleep 50\n"
        "eprint art: 0\\n\nexit 1\n";
    EXPECT_EQ(Probe(folders.Source("b.avi", pieces)).length, "01:02:03.4");
}

TEST_F(DurationProbeTest, FilesWithoutALengthSayWhyAndTheToolNeverOpensOddFiles) {
    const std::string log = folders.Path("args.log");
#ifdef _WIN32
    const std::string fifo = "\\\\.\\NUL";  // a device: what Windows has of FIFOs
#else
    const std::string fifo = folders.In("fifo.avi");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    testing_support::WriteFile(fifo + ".fake", "log-args " + log + "\nexit 0\n");
#endif
    const std::map<std::string, std::string> cases = {
        {folders.In("missing.avi"), "No such file"},
        {fifo, "not a regular file"},
        {folders.In(""), "not a regular file"},
        {folders.Source("noise.avi", "eprint [error] noise.avi: Invalid data\\n\nexit 1\n"),
         "Invalid data"},
    };
    for (const auto& [file, problem] : cases) {
        const engine::ProbeResult result = Probe(file);
        EXPECT_EQ(result.length, "") << file;
        EXPECT_NE(result.problem.find(problem), std::string::npos) << result.problem;
        EXPECT_EQ(result.toolFailure, "") << file;
    }
    EXPECT_FALSE(std::filesystem::exists(log));
}

TEST_F(DurationProbeTest, SaysWhenTheToolItselfCouldNotRun) {
    const std::string noFfmpeg =
        folders.Source("b.avi", "eprint vantrel: FFmpeg not found\\n\nexit 127\n");
    EXPECT_EQ(Probe(noFfmpeg).toolFailure, "vantrel: FFmpeg not found");
    options.toolFolder = folders.Path("nowhere");
    EXPECT_NE(Probe(folders.Source("a.avi")).toolFailure.find(engine::kEncoderPath),
              std::string::npos);
}

TEST_F(DurationProbeTest, GivesUpAtItsLimitOrOnStopEndsItsToolAndKeepsWhatItFound) {
    const std::string pids = folders.Path("pids");
    const std::string script =
        "write-pid " + pids + "\neprint   Duration: 00:00:09.00, start: 0\\n\nhang\n";
    // Long enough for a tool to start and print on a loaded machine (under Wine that takes
    // over a second), short enough that the test does not wait long for the hang.
    options.limit = std::chrono::milliseconds(3000);
    const engine::ProbeResult late = Probe(folders.Source("slow.avi", script));
    EXPECT_TRUE(late.overran);
    EXPECT_EQ(late.length, "00:00:09.0");

    options.limit = std::chrono::hours(1);
    stop = true;
    const engine::ProbeResult stopped = Probe(folders.Source("stopped.avi", script));
    EXPECT_FALSE(stopped.overran);
    EXPECT_TRUE(stop.load());  // the flag belongs to the caller

    std::istringstream lines(testing_support::ReadFile(pids));
    for (std::string pid; std::getline(lines, pid);)
        EXPECT_FALSE(testing_support::ProcessAlive(std::stoi(pid))) << pid;
}

TEST_F(DurationProbeTest, ProbesSeveralFilesAtOnceAndReportsEachOnce) {
    struct Recorder : engine::ProbeEvents {
        std::map<int, std::string> lengths;
        void ProbeEnded(int index, const engine::ProbeResult& result) override {
            lengths[index] = result.length;
        }
    } recorder;
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i)
        files.push_back(folders.Source(
            "clip" + std::to_string(i) + ".avi",
            "sleep 100\neprint   Duration: 00:00:0" + std::to_string(i) + ".00, \\n\nexit 1\n"));

    engine::ProbeFiles(files, 3, options, stop, recorder);

    ASSERT_EQ(recorder.lengths.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(recorder.lengths[i], "00:00:0" + std::to_string(i) + ".0");
}
