#include "platform/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "descriptors.h"
#include "fake_tool.h"
#include "process_checks.h"

namespace {

using platform::ChildProcess;
using platform::ExitStatus;
using platform::StopAction;
using testing_support::kFakeEncoderPath;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;
using Clock = std::chrono::steady_clock;

// The fake encoder's probe command line for an input whose script is `script`.
std::vector<std::string> FakeRun(const TempFolder& dir, const std::string& script) {
    static int count = 0;
    const std::string source = dir / ("in" + std::to_string(++count) + ".avi");
    WriteFile(source, "x");
    WriteFile(source + ".fake", script);
    return {kFakeEncoderPath, "-i", source};
}

// Everything the child prints until its output ends (or five seconds pass).
std::string ReadAll(ChildProcess& child) {
    std::string all, data;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        const ChildProcess::ReadResult result = child.Read(100, 4096, &data);
        if (result == ChildProcess::ReadResult::Ended)
            break;
        all += data;
    }
    return all;
}

// Reads until the output contains `text`; false when it ends or five seconds pass first.
bool ReadUntil(ChildProcess& child, const std::string& text) {
    std::string all, data;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline && all.find(text) == std::string::npos) {
        if (child.Read(100, 4096, &data) == ChildProcess::ReadResult::Ended)
            break;
        all += data;
    }
    return all.find(text) != std::string::npos;
}

long Ms(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

// The hexadecimal signal mask on `field` ("SigIgn:", "SigBlk:") of /proc/PID/status.
unsigned long long SignalMask(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stoull(line.substr(field.size()), nullptr, 16);
    }
    return ~0ULL;
}

TEST(ChildProcess, PassesEveryArgumentWholeWithoutAShell) {
    TempFolder dir;
    const std::string log = dir / "args";
    std::vector<std::string> args = FakeRun(dir, "log-args " + log + "\n");
    const std::vector<std::string> odd = {"a b",   "'quoted'", "\"double\"", "$HOME",
                                          "x;y|z", "*",        "",           "back\\slash"};
    args.insert(args.end(), odd.begin(), odd.end());

    ChildProcess child;
    ASSERT_TRUE(child.Start(args).Ok());
    ReadAll(child);
    child.Stop({{StopAction::Wait, 2000}});

    std::string expected;
    for (const std::string& arg : args) expected += arg + "\n";
    EXPECT_EQ(ReadFile(log), expected);
}

TEST(ChildProcess, DeliversStdoutAndStderrOnOnePipeAndThenEnds) {
    TempFolder dir;
    ChildProcess child;
    ASSERT_TRUE(child.Start(FakeRun(dir, "print to stdout\\n\neprint to stderr\\n\n")).Ok());
    const std::string output = ReadAll(child);
    EXPECT_NE(output.find("to stdout\n"), std::string::npos);
    EXPECT_NE(output.find("to stderr\n"), std::string::npos);

    std::string data = "stale";
    EXPECT_EQ(child.Read(0, 16, &data), ChildProcess::ReadResult::Ended);
    EXPECT_EQ(data, "");
    const platform::StopResult stop = child.Stop({{StopAction::Wait, 2000}});
    EXPECT_FALSE(stop.forced);
    EXPECT_EQ(stop.status.kind, ExitStatus::Kind::Exited);
    EXPECT_EQ(stop.status.code, 0);
}

TEST(ChildProcess, GivesTheProgramOnlyItsStandardStreamsAndASilentStdin) {
    TempFolder dir;
    const std::string fds = dir / "fds";
    const std::string stdinVerdict = dir / "stdin";
    // A descriptor that some other code opened without close-on-exec must not reach it either.
    const int inheritable = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(inheritable, 0);

    ChildProcess child;
    ASSERT_TRUE(
        child.Start(FakeRun(dir, "list-fds " + fds + "\nread-stdin " + stdinVerdict + "\n")).Ok());
    ReadAll(child);
    child.Stop({{StopAction::Wait, 2000}});
    ::close(inheritable);

    EXPECT_EQ(ReadFile(fds), "0\n1\n2\n");
    EXPECT_EQ(ReadFile(stdinVerdict), "none\n");
}

TEST(ChildProcess, StartsTheProgramWithDefaultSignalsWhateverOursAre) {
    TempFolder dir;
    sigset_t term, old;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &term, &old), 0);

    ChildProcess child;
    ASSERT_TRUE(child.Start(FakeRun(dir, "print ready\nhang\n")).Ok());
    ASSERT_TRUE(ReadUntil(child, "ready"));
    const unsigned long long ignored = SignalMask(static_cast<pid_t>(child.Id()), "SigIgn:");
    const unsigned long long blocked = SignalMask(static_cast<pid_t>(child.Id()), "SigBlk:");
    child.Stop({{StopAction::Kill, 1000}});
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);

    // We ignore SIGPIPE ourselves; the program must not inherit that, nor our blocked signals.
    struct sigaction ours {};
    ::sigaction(SIGPIPE, nullptr, &ours);
    EXPECT_EQ(ours.sa_handler, SIG_IGN);
    EXPECT_EQ(ignored & (1ULL << (SIGPIPE - 1)), 0ULL);
    EXPECT_EQ(blocked, 0ULL);
}

TEST(ChildProcess, ReportsAProgramThatCannotStartAndLeavesNothingOpen) {
    TempFolder dir;
    WriteFile(dir / "not-executable", "#!/bin/sh\nexit 0\n");
    const std::set<int> before = testing_support::OpenDescriptors();

    struct Case {
        std::vector<std::string> args;
        int errorNumber;
    };
    const Case cases[] = {
        {{dir / "missing"}, ENOENT},
        {{dir / "not-executable"}, EACCES},
        {{dir.Path()}, EACCES},
        {{}, ENOENT},
    };
    for (const Case& c : cases) {
        ChildProcess child;
        const ChildProcess::StartResult result = child.Start(c.args);
        EXPECT_EQ(result.error, ChildProcess::StartError::Spawn);
        EXPECT_EQ(result.errorNumber, c.errorNumber);
        EXPECT_FALSE(child.Started());
        std::string data;
        EXPECT_EQ(child.Read(1000, 16, &data), ChildProcess::ReadResult::Ended);
        EXPECT_TRUE(child.WaitForExit(1000));
        const platform::StopResult stop = child.Stop({{StopAction::Wait, 1000}});
        EXPECT_EQ(stop.status.kind, ExitStatus::Kind::NotStarted);
        EXPECT_FALSE(stop.forced);
    }
    EXPECT_EQ(testing_support::OpenDescriptors(), before);
}

TEST(ChildProcess, ReportsPipeFailuresAndClosesWhatWasAlreadyOpen) {
    TempFolder dir;
    const std::vector<std::string> args = FakeRun(dir, "exit 0\n");
    const std::set<int> before = testing_support::OpenDescriptors();
    {
        ChildProcess child;
        testing_support::ScopedDescriptorLimit limit(1);  // not even one pipe fits
        const ChildProcess::StartResult result = child.Start(args);
        EXPECT_EQ(result.error, ChildProcess::StartError::OutputPipe);
        EXPECT_EQ(result.errorNumber, EMFILE);
    }
    {
        ChildProcess child;
        testing_support::ScopedDescriptorLimit limit(3);  // the output pipe fits, stdin's not
        const ChildProcess::StartResult result = child.Start(args);
        EXPECT_EQ(result.error, ChildProcess::StartError::InputPipe);
        EXPECT_FALSE(child.Started());
    }
    EXPECT_EQ(testing_support::OpenDescriptors(), before);
}

TEST(ChildProcess, ReturnsWaitingOutputAtOnceAndTimesOutWhenSilent) {
    TempFolder dir;
    ChildProcess child;
    ASSERT_TRUE(child.Start(FakeRun(dir, "print waiting\nhang\n")).Ok());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let the output arrive

    std::string data;
    auto start = Clock::now();
    ASSERT_EQ(child.Read(5000, 64, &data), ChildProcess::ReadResult::Data);
    EXPECT_LT(Ms(Clock::now() - start), 2500);
    EXPECT_EQ(data, "waiting");

    start = Clock::now();
    EXPECT_EQ(child.Read(100, 64, &data), ChildProcess::ReadResult::Timeout);
    EXPECT_GE(Ms(Clock::now() - start), 80);
    EXPECT_EQ(data, "");
    EXPECT_FALSE(child.WaitForExit(50));
}

TEST(ChildProcess, ReadsAtMostTheAskedSizeAndNeverRepeatsOldBytes) {
    TempFolder dir;
    ChildProcess child;
    ASSERT_TRUE(child.Start(FakeRun(dir, "print AAAAAAAAAA\nsleep 100\nprint b\n")).Ok());
    std::string data;
    std::vector<std::string> chunks;
    while (child.Read(2000, 4, &data) != ChildProcess::ReadResult::Ended) {
        if (!data.empty())
            chunks.push_back(data);
    }
    EXPECT_EQ(chunks, (std::vector<std::string>{"AAAA", "AAAA", "AA", "b"}));
}

TEST(ChildProcess, ReportsExitCodesAndDeathBySignal) {
    TempFolder dir;
    for (int code : {0, 1, 3, 255}) {
        ChildProcess child;
        ASSERT_TRUE(child.Start(FakeRun(dir, "exit " + std::to_string(code) + "\n")).Ok());
        ReadAll(child);
        const platform::StopResult stop = child.Stop({{StopAction::Wait, 2000}});
        EXPECT_EQ(stop.status.kind, ExitStatus::Kind::Exited) << code;
        EXPECT_EQ(stop.status.code, code);
        EXPECT_FALSE(stop.forced);
    }
    ChildProcess child;
    ASSERT_TRUE(child.Start(FakeRun(dir, "crash\n")).Ok());
    ReadAll(child);
    const platform::StopResult stop = child.Stop({{StopAction::Wait, 2000}});
    EXPECT_EQ(stop.status.kind, ExitStatus::Kind::Signaled);
    EXPECT_EQ(stop.status.signal, SIGSEGV);
    EXPECT_FALSE(stop.forced);
}

TEST(ChildProcess, StopEscalatesThroughItsStepsAndIsBoundedWhenTermIsIgnored) {
    TempFolder dir;
    {
        ChildProcess child;
        ASSERT_TRUE(child.Start(FakeRun(dir, "print ready\nhang\n")).Ok());
        ASSERT_TRUE(ReadUntil(child, "ready"));
        const platform::StopResult stop =
            child.Stop({{StopAction::Wait, 20}, {StopAction::Terminate, 2000}});
        EXPECT_TRUE(stop.forced);
        EXPECT_EQ(stop.status.kind, ExitStatus::Kind::Signaled);
        EXPECT_EQ(stop.status.signal, SIGTERM);
    }
    {
        ChildProcess child;
        ASSERT_TRUE(child.Start(FakeRun(dir, "ignore-term\nprint ready\nhang\n")).Ok());
        ASSERT_TRUE(ReadUntil(child, "ready"));
        // Even with no Kill step, a program that outlives the steps is killed.
        const platform::StopResult stop = child.Stop({{StopAction::Terminate, 100}});
        EXPECT_TRUE(stop.forced);
        EXPECT_EQ(stop.status.kind, ExitStatus::Kind::Signaled);
        EXPECT_EQ(stop.status.signal, SIGKILL);
    }
}

TEST(ChildProcess, EndingTheRunEndsEverythingTheProgramStarted) {
    TempFolder dir;
    {
        const std::string pidFile = dir / "killed-grandchild";
        ChildProcess child;
        ASSERT_TRUE(
            child.Start(FakeRun(dir, "spawn-child " + pidFile + "\nprint ready\nhang\n")).Ok());
        ASSERT_TRUE(ReadUntil(child, "ready"));
        const pid_t grandchild = testing_support::PidFromFile(pidFile);
        ASSERT_GT(grandchild, 0);
        EXPECT_TRUE(testing_support::IsAlive(grandchild));
        EXPECT_TRUE(child.Stop({{StopAction::Kill, 1000}}).forced);
        EXPECT_TRUE(testing_support::EndsSoon(grandchild));
    }
    {
        // A program that exits by itself does not leave its helpers running either.
        const std::string pidFile = dir / "left-grandchild";
        ChildProcess child;
        ASSERT_TRUE(child.Start(FakeRun(dir, "spawn-child " + pidFile + "\nexit 0\n")).Ok());
        ReadAll(child);
        const platform::StopResult stop = child.Stop({{StopAction::Wait, 2000}});
        EXPECT_FALSE(stop.forced);
        EXPECT_EQ(stop.status.code, 0);
        EXPECT_TRUE(testing_support::EndsSoon(testing_support::PidFromFile(pidFile)));
    }
}

TEST(ChildProcess, StopAndDestructorAlwaysReapTheProgram) {
    TempFolder dir;
    pid_t stopped = -1;
    pid_t destroyed = -1;
    {
        ChildProcess child;
        ASSERT_TRUE(child.Start(FakeRun(dir, "exit 0\n")).Ok());
        stopped = static_cast<pid_t>(child.Id());
        child.Stop({{StopAction::Wait, 2000}});
    }
    {
        ChildProcess child;
        ASSERT_TRUE(child.Start(FakeRun(dir, "hang\n")).Ok());
        destroyed = static_cast<pid_t>(child.Id());
    }
    EXPECT_TRUE(testing_support::WasReaped(stopped));
    EXPECT_TRUE(testing_support::WasReaped(destroyed));
    EXPECT_FALSE(testing_support::IsAlive(destroyed));
}

TEST(ChildProcess, StopIsSafeWithoutARunAndReturnsTheSameResultTwice) {
    TempFolder dir;
    ChildProcess child;
    EXPECT_EQ(child.Stop({{StopAction::Wait, 1000}}).status.kind, ExitStatus::Kind::NotStarted);
    ASSERT_TRUE(child.Start(FakeRun(dir, "exit 3\n")).Ok());
    const platform::StopResult first = child.Stop({{StopAction::Wait, 2000}});
    const platform::StopResult second = child.Stop({{StopAction::Wait, 2000}});
    EXPECT_EQ(first.status.code, 3);
    EXPECT_EQ(second.status.code, 3);
    EXPECT_EQ(second.forced, first.forced);
    std::string data;
    EXPECT_EQ(child.Read(0, 16, &data), ChildProcess::ReadResult::Ended);
}

TEST(ChildProcess, ManyRunsLeaveNoDescriptorOpen) {
    TempFolder dir;
    const std::vector<std::string> quick = FakeRun(dir, "print x\nexit 0\n");
    const std::vector<std::string> silent = FakeRun(dir, "hang\n");
    const std::set<int> before = testing_support::OpenDescriptors();
    for (int i = 0; i < 10; ++i) {
        ChildProcess reused;
        ASSERT_TRUE(reused.Start(quick).Ok());
        ReadAll(reused);
        ASSERT_TRUE(reused.Start(silent).Ok());  // the first run is ended here
        ASSERT_FALSE(reused.Start({dir / "missing"}).Ok());
        ASSERT_TRUE(reused.Start(silent).Ok());  // ended by the destructor
    }
    EXPECT_EQ(testing_support::OpenDescriptors(), before);
}

}  // namespace
