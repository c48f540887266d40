// A batch with the fake encoder: order, progress, what counts as complete, what happens to the
// target and its ".part" file, the jobs that never run, Stop, and several jobs at once.
#include "engine/batch.h"
#include "engine/job.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "batch_recorder.h"
#include "platform/fs.h"
#include "platform/path.h"

using engine::JobState;
using testing_support::EngineFolders;
using testing_support::FakeOptions;
using testing_support::ReadFile;
using testing_support::RecordingEvents;
using testing_support::RunBatch;
using testing_support::WriteFile;

namespace {

bool Exists(const std::string& path) {
    return std::filesystem::exists(std::filesystem::symlink_status(path));
}

using engine::PartPathOf;

struct BatchTest : ::testing::Test {
    EngineFolders folders;
    engine::BatchOptions options = FakeOptions(folders);
    RecordingEvents events;
    std::atomic<bool> stop{false};

    void Run(const std::vector<std::string>& sources) { RunBatch(sources, options, events, stop); }

    // Presses Stop from another thread after `delay`, as the window's Stop button would.
    void StopLater(std::chrono::milliseconds delay) {
        stopper = std::thread([this, delay] {
            std::this_thread::sleep_for(delay);
            stop = true;
        });
    }
    ~BatchTest() override {
        if (stopper.joinable())
            stopper.join();
    }
    std::thread stopper;
};

}  // namespace

TEST_F(BatchTest, ConvertsEveryJobInOrderIntoWholeTargetsAndLeavesNoPartFile) {
    Run({folders.Source("a.avi"), folders.Source("b.mpg"), folders.Source("c.mp4")});

    EXPECT_EQ(events.started, (std::vector<int>{0, 1, 2}));
    for (int job = 0; job < 3; ++job) EXPECT_EQ(events.State(job), JobState::Complete);
    for (const char* name : {"a.flv", "b.flv", "c.flv"}) {
        EXPECT_GT(std::filesystem::file_size(folders.Out(name)), 0u) << name;
        EXPECT_FALSE(Exists(engine::PartPathOf(folders.Out(name)))) << name;
    }
    ASSERT_TRUE(events.summary);
    EXPECT_EQ(events.summary->complete, 3);
    EXPECT_FALSE(events.summary->wasStopped);
    EXPECT_EQ(events.mostRunning, 1);
    EXPECT_TRUE(events.alerts.empty());
}

TEST_F(BatchTest, ProgressFollowsTheToolsTimeAndTheBatchReachesAHundred) {
    // The fake reports a 2 s input and progress up to 2 s; its output is tiny next to this
    // 10 MB source, so a size-based bar would barely move.
    Run({folders.Source("big.avi", "", 10'000'000), folders.Source("b.avi")});

    ASSERT_FALSE(events.progress.empty());
    EXPECT_EQ(events.progress.front().first, 0);
    int highest = 0;
    for (const auto& [job, percent] : events.progress)
        if (job == 0)
            highest = std::max(highest, percent);
    EXPECT_EQ(highest, 100);
    EXPECT_TRUE(std::is_sorted(events.batchPercents.begin(), events.batchPercents.end()));
    EXPECT_EQ(events.batchPercents.back(), 100);
}

// Each run fails in its own way; none may leave a target or a ".part" file, and the reason
// must carry what the tool said.
TEST_F(BatchTest, OnlyAWholeFileFromAToolThatExitedWithZeroCompletes) {
    struct Case {
        const char* name;
        std::string script;
        const char* reason;
    };
    const Case cases[] = {
        {"fails", "eprint [error] Invalid data found when processing input\\n\nexit 1\n",
         "status 1: Invalid data found"},
#ifdef _WIN32
        {"crashes", "write-output 5000\ncrash\n", "status"},  // no signals: an exit code
#else
        {"crashes", "write-output 5000\ncrash\n", "signal"},
#endif
        {"full",
         "write-output 5000\neprint [error] Error writing trailer: No space left on "
         "device\\n\neprint [fatal] Conversion failed!\\n\nexit 1\n",
         "No space left on device; Conversion failed!"},
        {"fullbutzero",
         "write-output 5000\neprint [error] Error closing file: No space left on device\\n\n"
         "exit 0\n",
         "could not write the whole output"},
        {"nothing", "exit 0\n", "empty file"},
        {"empty", "write-output 0\nexit 0\n", "empty file"},
#ifndef _WIN32  // under Wine the fake cannot let go of its output while it runs on
        {"stuck", "write-output 100\nclose-output\nhang\n", "did not exit"},
#endif
        {"silent", "write-output 100\nhang\n", "printed nothing"},
        {"undecodable", "write-output 100\nprint frame decoding failed: x\\n\nhang\n",
         "did not exit"},
        {"adapter", "eprint vantrel: this FFmpeg has no H.264 encoder\\n\nexit 1\n",
         "no H.264 encoder"},
    };
    std::vector<std::string> sources;
    for (const Case& c : cases) {
        sources.push_back(folders.Source(std::string(c.name) + ".avi", c.script));
        WriteFile(folders.Out(std::string(c.name) + ".flv"), "earlier result");
    }
    // Long enough that a tool which exits at once is never taken for a silent one on a busy
    // machine (or under the sanitizers), short enough for the three that hang.
    options.silenceLimit = std::chrono::milliseconds(2000);

    Run(sources);

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string target = folders.Out(std::string(cases[i].name) + ".flv");
        EXPECT_EQ(events.State(i), JobState::Error) << cases[i].name;
        EXPECT_NE(events.Reason(i).find(cases[i].reason), std::string::npos)
            << cases[i].name << ": " << events.Reason(i);
        EXPECT_EQ(ReadFile(target), "earlier result") << cases[i].name;
        EXPECT_FALSE(Exists(PartPathOf(target))) << cases[i].name;
    }
    EXPECT_EQ(events.summary->failed, static_cast<int>(std::size(cases)));
    EXPECT_EQ(events.summary->firstFailure.rfind(sources[0], 0), 0u);
}

TEST_F(BatchTest, SourcesTheToolMustNeverOpenFailAtOnce) {
    const std::string log = folders.Path("args.log");
    const std::string script = "log-args " + log + "\nexit 0\n";
    WriteFile(folders.In("gone.avi.fake"), script);
#ifdef _WIN32
    const std::string fifo = "\\\\.\\NUL";  // a device: what Windows has of FIFOs
#else
    const std::string fifo = folders.In("fifo.avi");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    WriteFile(fifo + ".fake", script);
#endif
    std::filesystem::create_directories(folders.In("folder.avi"));
    // An FLV converted into its own folder, named through "/." so the texts differ.
    const std::string own = folders.Out("movie.flv");
    WriteFile(own, "original bytes");
    WriteFile(own + ".fake", script);
    options.folder = folders.Out() + "/.";
    // A folder where the target goes is found before the tool runs, not after.
    std::filesystem::create_directories(folders.Out("taken.flv"));

    Run({folders.In("gone.avi"), fifo, folders.In("folder.avi"), own,
         folders.Source("taken.avi", script)});

    EXPECT_NE(events.Reason(0).find("No such file"), std::string::npos) << events.Reason(0);
#ifdef _WIN32
    // A device path is refused while the batch is planned.
    EXPECT_NE(events.Reason(1).find("device path"), std::string::npos) << events.Reason(1);
    EXPECT_EQ(events.State(1), JobState::Skipped);
#else
    EXPECT_NE(events.Reason(1).find("not a regular file"), std::string::npos);
    EXPECT_EQ(events.State(1), JobState::Error);
#endif
    EXPECT_NE(events.Reason(2).find("not a regular file"), std::string::npos);
    EXPECT_NE(events.Reason(3).find("its own source"), std::string::npos);
    EXPECT_NE(events.Reason(4).find("a folder stands at the target"), std::string::npos);
    for (int job : {0, 2, 3, 4}) EXPECT_EQ(events.State(job), JobState::Error);
    EXPECT_EQ(ReadFile(own), "original bytes");
    EXPECT_FALSE(Exists(log));
}

TEST_F(BatchTest, AMissingToolIsAnErrorWithoutAnAlert) {
    options.toolFolder = folders.Path("nowhere");
    Run({folders.Source("a.avi")});
    EXPECT_EQ(events.State(0), JobState::Error);
    EXPECT_NE(events.Reason(0).find("could not be started"), std::string::npos);
    EXPECT_TRUE(events.alerts.empty());
}

// Only Vantrel's own partial files are removed, and only those no live run holds: one left by a
// killed run, also when its job is skipped; never a user's "TARGET.part", never through a link.
TEST_F(BatchTest, OnlyAbandonedPartialFilesOfVantrelAreRemoved) {
    const std::string precious = folders.Path("precious.txt");
    WriteFile(precious, "not yours");
    WriteFile(PartPathOf(folders.Out("stale.flv")), std::string(100000, 'S'));
    WriteFile(folders.Out("stale.flv") + ".part", "the user's own download");
    WriteFile(folders.Out("skipped.flv"), "an earlier result");
    WriteFile(PartPathOf(folders.Out("skipped.flv")), "S");
#ifdef _WIN32
    // Links need rights a test does not have there: a folder is in the way instead.
    std::filesystem::create_directories(
        std::filesystem::u8path(PartPathOf(folders.Out("linked.flv"))));
#else
    std::filesystem::create_symlink(precious, PartPathOf(folders.Out("linked.flv")));
#endif
    options.overwrite = false;

    Run({folders.Source("stale.avi"), folders.Source("skipped.avi"), folders.Source("linked.avi")});

    EXPECT_EQ(events.State(0), JobState::Complete);
    EXPECT_EQ(ReadFile(folders.Out("stale.flv")).find('S'), std::string::npos);
    EXPECT_EQ(ReadFile(folders.Out("stale.flv") + ".part"), "the user's own download");
    EXPECT_EQ(events.State(1), JobState::Skipped);
    EXPECT_FALSE(Exists(PartPathOf(folders.Out("skipped.flv"))));
    EXPECT_EQ(events.State(2), JobState::Error);
    EXPECT_NE(events.Reason(2).find("not a file Vantrel made"), std::string::npos)
        << events.Reason(2);
    EXPECT_EQ(ReadFile(precious), "not yours");
}

TEST_F(BatchTest, ATargetThatAnotherLiveRunWritesIsAnErrorAndNothingIsTouched) {
    const std::string log = folders.Path("args.log");
    const std::string part = PartPathOf(folders.Out("a.flv"));
    platform::FileLock::Claim claim{};
    const platform::FileLock otherRun = platform::FileLock::Create(part, &claim);
    ASSERT_EQ(claim, platform::FileLock::Claim::Created);
    WriteFile(part, "the other run's output so far");

    Run({folders.Source("a.avi", "log-args " + log + "\nwrite-output 100\nexit 0\n")});

    EXPECT_EQ(events.State(0), JobState::Error);
    EXPECT_NE(events.Reason(0).find("another run of Vantrel is writing"), std::string::npos)
        << events.Reason(0);
    EXPECT_EQ(ReadFile(part), "the other run's output so far");
    EXPECT_FALSE(Exists(folders.Out("a.flv")));
    EXPECT_FALSE(Exists(log));
}

// The partial name is short: a target name of the longest length still converts (on Windows,
// in a path beyond the classic limit of 260 characters).
TEST_F(BatchTest, ATargetNameOfTheGreatestLengthConverts) {
    const std::string title(251, 'n');
    Run({folders.Source(title + ".avi")});
    EXPECT_EQ(events.State(0), JobState::Complete) << events.Reason(0);
    EXPECT_TRUE(Exists(folders.Out(title + ".flv")));
}

// What the job saw of its source at the start (size, modification time) must hold at the end.
TEST_F(BatchTest, ASourceThatChangesDuringTheConversionIsAnError) {
    const std::string script = "write-output 100\nsleep 400\nexit 0\n";
    const std::string cut = folders.Source("cut.avi", script);
    const std::string touched = folders.Source("touched.avi", script);
    // Each change comes once its job has claimed its partial file, so after the job's start.
    std::thread changer([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        auto waitForJob = [&](const char* target) {
            while (!Exists(PartPathOf(folders.Out(target))) &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        };
        waitForJob("cut.flv");
        std::filesystem::resize_file(cut, 10);
        waitForJob("touched.flv");
        std::filesystem::last_write_time(
            touched, std::filesystem::last_write_time(touched) + std::chrono::seconds(5));
    });

    Run({cut, touched});
    changer.join();

    for (int job = 0; job < 2; ++job) {
        EXPECT_EQ(events.State(job), JobState::Error) << job;
        EXPECT_NE(events.Reason(job).find("the source changed during the conversion"),
                  std::string::npos)
            << events.Reason(job);
    }
    EXPECT_TRUE(std::filesystem::is_empty(folders.Out()));
}

TEST_F(BatchTest, WithoutOverwriteATargetThatAppearsWhileTheJobRunsIsKept) {
    options.overwrite = false;
    events.onStarted = [&](int) { WriteFile(folders.Out("a.flv"), "another run's result"); };
    Run({folders.Source("a.avi", "write-output 100\nsleep 200\nexit 0\n")});
    EXPECT_EQ(events.State(0), JobState::Error);
    EXPECT_NE(events.Reason(0).find("appeared while the job ran"), std::string::npos);
    EXPECT_EQ(ReadFile(folders.Out("a.flv")), "another run's result");
    EXPECT_FALSE(Exists(PartPathOf(folders.Out("a.flv"))));
}

TEST_F(BatchTest, AnOutputFolderDeletedDuringTheJobIsAnError) {
    events.onStarted = [&](int) { std::filesystem::remove_all(folders.Out()); };
    Run({folders.Source("a.avi", "sleep 200\nwrite-output 100\nexit 0\n")});
    EXPECT_EQ(events.State(0), JobState::Error);
    EXPECT_NE(events.Reason(0).find("No such file"), std::string::npos) << events.Reason(0);
}

// Which jobs may run is the job list's rules (job_list_test.cpp covers each); here, that the
// jobs they turn away never start, touch nothing and are counted.
TEST_F(BatchTest, JobsThePlanTurnsAwayNeverStartAndTouchNothing) {
    WriteFile(folders.Out("exists.flv"), "keep me");
    options.overwrite = false;
    const std::string holiday = folders.Source("holiday.avi");
    const std::string log = folders.Path("args.log");
    const std::string partName = engine::PartPathOf(folders.Out("clip.flv"));
    WriteFile(partName, "a source");

    Run({holiday, "relative.avi", holiday, folders.Source("holiday.mp4"),
         folders.Source("exists.avi", "log-args " + log + "\nexit 0\n"), partName,
         folders.Source("clip.avi")});

    EXPECT_EQ(events.State(0), JobState::Complete);
    for (const int job : {1, 2, 3, 4, 6}) {
        EXPECT_EQ(events.State(job), JobState::Skipped) << job;
        EXPECT_FALSE(events.Reason(job).empty()) << job;
        EXPECT_EQ(std::count(events.started.begin(), events.started.end(), job), 0) << job;
        EXPECT_EQ(events.ended[job].targetExists, job == 4) << job;
        EXPECT_EQ(events.ended[job].duplicate, job == 2) << job;
    }
    EXPECT_EQ(ReadFile(folders.Out("exists.flv")), "keep me");
    EXPECT_FALSE(Exists(log));
    EXPECT_EQ(events.summary->skipped, 5);
    EXPECT_EQ(ReadFile(partName), "a source");
}

TEST_F(BatchTest, StopBeforeTheBatchStartsNothingAndIsCleared) {
    stop = true;
    Run({folders.Source("a.avi"), folders.Source("b.avi")});
    EXPECT_TRUE(events.started.empty());
    EXPECT_TRUE(events.summary->wasStopped);
    EXPECT_FALSE(stop.load());
}

TEST_F(BatchTest, StopEndsTheRunningJobRemovesItsPartAndKeepsTheEarlierTarget) {
    WriteFile(folders.Out("long.flv"), "earlier result");
    events.onStarted = [&](int job) {
        if (job == 0)
            StopLater(std::chrono::milliseconds(300));
    };
    Run({folders.Source("long.avi", "write-output 5000\nhang\n"), folders.Source("next.avi")});

    EXPECT_EQ(events.State(0), JobState::Stop);
    EXPECT_EQ(ReadFile(folders.Out("long.flv")), "earlier result");
    EXPECT_FALSE(Exists(PartPathOf(folders.Out("long.flv"))));
    EXPECT_EQ(events.started, std::vector<int>{0});
    EXPECT_TRUE(events.summary->wasStopped);
    EXPECT_FALSE(stop.load());
}

TEST_F(BatchTest, StopAfterAJobHasEndedStartsNoFurtherJob) {
    events.onEnded = [&](int job) { stop = job == 0; };
    Run({folders.Source("a.avi"), folders.Source("b.avi")});
    EXPECT_EQ(events.State(0), JobState::Complete);
    EXPECT_EQ(events.started, std::vector<int>{0});
    EXPECT_TRUE(events.summary->wasStopped);
}

TEST_F(BatchTest, RunsAtMostNAtOnceAndStopEndsThemAll) {
    options.parallel = 3;
    const std::string pids = folders.Path("pids");
    const std::string script = "write-pid " + pids + "\nwrite-output 5000\nhang\n";
    std::vector<std::string> sources;
    for (const char* name : {"a.avi", "b.avi", "c.avi", "d.avi"})
        sources.push_back(folders.Source(name, script));
    events.onStarted = [&](int) {
        if (events.running == 3)
            StopLater(std::chrono::milliseconds(300));
    };

    Run(sources);

    EXPECT_EQ(events.mostRunning, 3);
    EXPECT_FALSE(events.overlapped);
    for (int job = 0; job < 3; ++job) {
        EXPECT_EQ(events.State(job), JobState::Stop) << job;
        EXPECT_FALSE(Exists(PartPathOf(folders.Out(std::string(1, 'a' + job) + ".flv"))));
    }
    EXPECT_EQ(events.State(3), JobState::Ready);
    std::istringstream lines(ReadFile(pids));
    for (std::string pid; std::getline(lines, pid);)
        EXPECT_FALSE(testing_support::ProcessAlive(std::stoi(pid))) << pid;
}

TEST_F(BatchTest, SeveralAtOnceConvertEveryJobOnce) {
    options.parallel = 2;
    std::vector<std::string> sources;
    for (int i = 0; i < 5; ++i)
        sources.push_back(folders.Source("clip" + std::to_string(i) + ".avi"));
    Run(sources);
    EXPECT_EQ(events.summary->complete, 5);
    EXPECT_EQ(events.mostRunning, 2);
    EXPECT_FALSE(events.overlapped);
    EXPECT_EQ(events.started.size(), 5u);
}

// A change made while a batch runs is for the next batch: every job of this one converts alike.
TEST_F(BatchTest, TheCustomProfileReadsTheSettingsFileOncePerBatch) {
    const std::string log = folders.Path("args.log");
    const std::string script = "log-args " + log + "\nwrite-output 10\nexit 0\n";
    options.profile = 0;
    const std::string ini = folders.Env().IniPath();
    WriteFile(ini, "[Settings]\r\nResolution=6\r\n");
    events.onEnded = [&](int job) {
        if (job == 0)
            WriteFile(ini, "[Settings]\r\nResolution=2\r\n");
    };

    Run({folders.Source("a.avi", script), folders.Source("b.avi", script)});

    const std::string args = ReadFile(log);
    const auto first = args.find("640x480");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(args.find("640x480", first + 1), std::string::npos) << args;
    EXPECT_EQ(args.find("480x272"), std::string::npos);
    EXPECT_EQ(args.find("-title"), std::string::npos);
}

// Names that Windows would take for another file, or a device, are refused before anything
// runs; on other systems they are ordinary names.
TEST_F(BatchTest, NamesWindowsWouldMisreadAreRefusedThere) {
    if (platform::path::kNative != platform::path::Style::Windows)
        GTEST_SKIP() << "ordinary names on this system";
    Run({folders.In("clip.avi:hidden"), folders.In("con.avi"), folders.In("clip.avi "),
         "\\\\.\\COM1"});
    const char* words[] = {"data stream", "device", "dot or a space", "device path"};
    for (std::size_t i = 0; i < std::size(words); ++i) {
        EXPECT_EQ(events.State(i), JobState::Skipped) << i;
        EXPECT_NE(events.Reason(i).find(words[i]), std::string::npos) << events.Reason(i);
    }
}

// Names a shell would change, in what each system allows in a file name.
#ifdef _WIN32
constexpr char kShellName[] = "my 'best' %HOME% clip";
#else
constexpr char kShellName[] = "my \"best\" $HOME clip";
#endif

TEST_F(BatchTest, PathsReachTheToolWholeAndTheToolWritesThePartName) {
    const std::string log = folders.Path("args.log");
    const std::string source = folders.Source(std::string(kShellName) + ".avi",
                                              "log-args " + log + "\nwrite-output 10\nexit 0\n");
    Run({source});

    const std::string args = ReadFile(log);
    EXPECT_NE(args.find("\n" + source + "\n"), std::string::npos) << args;
    EXPECT_NE(args.find("\n" + PartPathOf(folders.Out(std::string(kShellName) + ".flv")) + "\n"),
              std::string::npos);
    EXPECT_EQ(events.State(0), JobState::Complete);
    EXPECT_TRUE(Exists(folders.Out(std::string(kShellName) + ".flv")));
    // What a dry run prints is what ran.
    std::string printed;
    const engine::CommandLine command = engine::JobCommand(events.ended[0], options.folder, 3);
    for (std::size_t i = 1; i < command.args.size(); ++i) printed += command.args[i] + "\n";
    ASSERT_GE(args.size(), printed.size());
    EXPECT_EQ(args.substr(args.size() - printed.size()), printed);
}

TEST(OutputFolderProblemTest, NamesWhatIsWrongWithTheFolder) {
    EngineFolders folders;
    WriteFile(folders.Path("file"), "x");
    EXPECT_EQ(engine::OutputFolderProblem(folders.Out()), "");
    EXPECT_NE(engine::OutputFolderProblem("out").find("not an absolute path"), std::string::npos);
    EXPECT_NE(engine::OutputFolderProblem(folders.Path("none")).find("does not exist"),
              std::string::npos);
    EXPECT_NE(engine::OutputFolderProblem(folders.Path("file")).find("not a folder"),
              std::string::npos);
#ifndef _WIN32  // Windows has no permission bits that deny the owner
    if (::geteuid() != 0) {
        std::filesystem::permissions(
            folders.Out(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_NE(engine::OutputFolderProblem(folders.Out()).find("Permission denied"),
                  std::string::npos);
    }
#endif
}
