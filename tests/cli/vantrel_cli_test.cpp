// vantrel-cli's options, profiles, output folders, statuses and signals, with the real
// adapter and FFmpeg behind it.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "cli_fixture.h"
#include "engine/job.h"

using testing_support::ChildResult;
using testing_support::CliConvertTest;
using testing_support::ClipSpec;
using testing_support::CliTest;
using testing_support::Exists;
using testing_support::kCli;
using testing_support::kRunLimit;
using testing_support::MediaInfo;
using testing_support::ProbeMedia;
using testing_support::ReadFile;
using testing_support::RunningChild;
using testing_support::WriteFile;

namespace {

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

}  // namespace

TEST_F(CliTest, HelpAndVersionAnswerOnStandardOutput) {
    const ChildResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("Usage: vantrel-cli ", 0), 0u) << help.out;
    // The options, and how a name with a control character is printed.
    for (const char* text : {"--profile", "--out", "--overwrite", "--no-verify", "--jobs", "-j,",
                             "--dry-run", "--probe", " \\\\,", " \\n,", " \\t,", "\\xHH", ".part"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;

    const ChildResult version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.err, "");
    EXPECT_TRUE(std::regex_match(version.out, std::regex("vantrel-cli [0-9]+\\.[0-9]+\n")))
        << version.out;
}

TEST_F(CliTest, BadUsageExitsWithTwoAfterOneLineAndTheUsage) {
    const std::string usage = Run({"--help"}).out;
    const std::vector<std::vector<std::string>> badCommands = {
        {},
        {"--profile", "3"},
        {"--bogus", "a.avi"},
        {"-x", "a.avi"},
        {"--profile", "9", "a.avi"},
        {"--profile", "-1", "a.avi"},
        {"--profile", "three", "a.avi"},
        {"a.avi", "--profile"},
        {"--out", "", "a.avi"},
        {"--dry-run", "--probe", "a.avi"},
        {"--jobs", "0", "a.avi"},
        {"--jobs", "x", "a.avi"},
        {"-j", "-1", "a.avi"},
        {"-j0", "a.avi"},
        {"--jobs=1.5", "a.avi"},
        {"--jobs", "99999999999", "a.avi"},
        {"a.avi", "--jobs"},
    };
    for (const std::vector<std::string>& args : badCommands) {
        std::string shown;
        for (const std::string& arg : args) shown += "[" + arg + "]";
        SCOPED_TRACE(shown);
        const ChildResult run = Run(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        const std::string message = FirstLine(run.err);
        EXPECT_EQ(message.rfind("vantrel-cli: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err, message + "\n" + usage);
    }
    EXPECT_FALSE(Exists(DefaultOutFolder()));
}

TEST_F(CliTest, DryRunPrintsEachFixedProfileCommandLineAndRunsNothing) {
    const std::string first = In("clip.avi");
    const std::string second = In("v.1/holiday 2024.mpg");
    const ChildResult run = Run({"--dry-run", "--profile", "3", "--out", Out(), first, second});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "DLL/ffmpeg -y -i " + first +
                           " -title clip -acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 20 -b "
                           "256 -f flv " +
                           engine::PartPathOf(Out("clip.flv")) + "\n" + "DLL/ffmpeg -y -i " +
                           second +
                           " -title holiday 2024 -acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 "
                           "-r 20 -b 256 -f flv " +
                           engine::PartPathOf(Out("holiday 2024.flv")) + "\n");
    EXPECT_FALSE(Exists(Out()));
}

TEST_F(CliTest, DryRunOfTheCustomProfileFollowsTheSettingsFile) {
    WriteSettings(
        "[Settings]\r\nResolution=6\r\nFrameRate=0\r\nChannel=0\r\nSampleRate=2\r\n"
        "AudioBitRate=3\r\nBitRate=5\r\nEncoder=-1\r\n");
    const std::string source = In("clip.avi");
    const ChildResult run = Run({"--dry-run", "--profile", "0", "--out", Out(), source});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "DLL/ffmpeg -y -i " + source +
                           " -acodec mp3 -ac 1 -ar 44100 -ab 160 -s 640x480 -b 900 -f flv " +
                           engine::PartPathOf(Out("clip.flv")) + "\n");
}

TEST_F(CliTest, WithoutASettingsFileTheDefaultsApplyAndNothingIsCreated) {
    const std::string source = In("clip.avi");
    const ChildResult run = Run({"--dry-run", source});

    EXPECT_EQ(run.exitCode, 0);
    // "Format" defaults to the custom profile, whose keys all take their defaults too.
    EXPECT_EQ(run.out, "DLL/ffmpeg -y -i " + source +
                           " -acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 12 -b 384 -f flv " +
                           engine::PartPathOf(DefaultOutFolder() + "/clip.flv") + "\n");
    EXPECT_FALSE(Exists(DefaultOutFolder()));
}

// Not opened at all (a FIFO would block, /dev/zero never ends): the defaults, and one warning.
TEST_F(CliTest, ASettingsFileThatIsNoSmallRegularFileIsNeverReadAndSaidOnce) {
    const std::string ini = SettingsFile();
    std::filesystem::create_directories(std::filesystem::path(ini).parent_path());
    const std::string source = In("clip.avi");
    const std::function<void()> makers[] = {
        [&] { ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0); },
        [&] { std::filesystem::create_symlink("/dev/zero", ini); },
        [&] { WriteFile(ini, "[Settings]\nFormat=3\n" + std::string(5 << 20, ';')); },
    };
    for (const auto& make : makers) {
        make();
        const ChildResult run = testing_support::RunChild({kCli, "--dry-run", source}, env_,
                                                          std::chrono::seconds(20), temp_.Path());
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find(" -s 320x240 -r 12 "), std::string::npos) << run.out;
        const std::string warning = "The settings file is not used";
        const auto said = run.err.find(warning);
        EXPECT_NE(said, std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(warning, said + 1), std::string::npos) << run.err;
        std::filesystem::remove(ini);
    }
}

TEST_F(CliTest, AnOutPathThatCannotBeMadeFallsBackWithoutTouchingTheSettingsFile) {
    WriteSettings("[Settings]\nOut Path=" + Path("gone/deeper") + "\nFormat=4\n");
    const std::string source = In("clip.avi");
    const ChildResult run = Run({"--dry-run", source});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "DLL/ffmpeg -y -i " + source +
                           " -title clip -acodec mp3 -ac 1 -ar 22050 -ab 96 -s 320x240 -r 20 -b "
                           "256 -f flv " +
                           engine::PartPathOf(DefaultOutFolder() + "/clip.flv") + "\n");
}

TEST_F(CliConvertTest, WithoutProfileOrOutTheStoredFormatAndOutPathAreUsed) {
    const std::string stored = Path("stored");
    WriteSettings("[Settings]\nOut Path=" + stored + "\nFormat=2\n");
    const std::string source = Clip("clip.avi");

    const ChildResult dryRun = Run({"--dry-run", source});
    EXPECT_EQ(dryRun.out, "DLL/ffmpeg -y -i " + source +
                              " -title clip -acodec mp3 -ac 1 -ar 11025 -ab 64 -s 240x160 -r 15 "
                              "-b 256 -f flv " +
                              engine::PartPathOf(stored + "/clip.flv") + "\n");
    EXPECT_FALSE(Exists(stored));

    const ChildResult run = Run({source});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Complete\t" + source + "\n");
    const MediaInfo info = ProbeMedia(stored + "/clip.flv");
    ASSERT_EQ(info.error, "");
    EXPECT_EQ(info.Video("width"), "240");
    EXPECT_EQ(info.Audio("channels"), "1");
}

TEST_F(CliConvertTest, ConvertsAClipAndPrintsOneStatusLine) {
    const std::string source = Clip("clip.avi");
    const ChildResult run = Run({"--profile", "3", "--out", Out(), source});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Complete\t" + source + "\n");
    // Standard error is no terminal here: no progress bar, and nothing went wrong.
    EXPECT_EQ(run.err, "");
    const MediaInfo info = ProbeMedia(Out("clip.flv"));
    ASSERT_EQ(info.error, "");
    EXPECT_EQ(info.Format("format_name"), "flv");
    EXPECT_EQ(info.Video("codec_name"), "flv1");
    EXPECT_EQ(info.Video("width"), "320");
    EXPECT_EQ(info.Video("height"), "240");
    EXPECT_EQ(info.Audio("codec_name"), "mp3");
}

TEST_F(CliConvertTest, OnATerminalStandardErrorShowsTheBatchWithinTheWidthAndClearsIt) {
    const std::string first = Clip("first clip with a rather long name.avi");
    const std::string second = Clip("second.avi");
    // A fresh pseudo-terminal has no size: the width comes from COLUMNS.
    env_.Set("COLUMNS", "72");
    RunningChild cli({kCli, "--jobs", "2", "--profile", "3", "--out", Out(), first, second}, env_,
                     "", true);
    const ChildResult run = cli.Wait(kRunLimit);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("Complete\t" + first + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Complete\t" + second + "\n"), std::string::npos) << run.out;
    // The batch's bar, jobs done of total, and both running jobs, the long name shortened.
    EXPECT_TRUE(std::regex_search(
        run.err, std::regex("\\[[#-]{20}\\] [01]/2 done  \\.\\.\\.long name\\.avi [0-9]+%  "
                            "second\\.avi [0-9]+%")))
        << run.err;
    const std::string wipe = "\r\033[K";
    for (std::size_t at = 0; (at = run.err.find(wipe, at)) != std::string::npos;) {
        at += wipe.size();
        const std::string line = run.err.substr(at, run.err.find(wipe, at) - at);
        EXPECT_LE(line.size(), 71u) << line;
    }
    // The line is wiped when the batch ends, leaving nothing behind.
    ASSERT_GE(run.err.size(), wipe.size());
    EXPECT_EQ(run.err.substr(run.err.size() - wipe.size()), wipe);
}

TEST_F(CliConvertTest, AFileNamedTwiceIsConvertedOnceWithAWarning) {
    const std::string source = Clip("clip.avi");
    const std::string sameFile = Path("in/../in/clip.avi");
    const ChildResult run = Run({"--profile", "1", "--out", Out(), source, sameFile, source});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Complete\t" + source + "\n");
    EXPECT_NE(run.err.find(sameFile), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("once"), std::string::npos) << run.err;
}

TEST_F(CliConvertTest, AnExistingTargetIsSkippedUnlessOverwriteIsGiven) {
    const std::string source = Clip("clip.avi");
    WriteFile(Out("clip.flv"), "keep me");

    const ChildResult skipped = Run({"--profile", "1", "--out", Out(), source});
    EXPECT_EQ(skipped.exitCode, 0);
    EXPECT_EQ(skipped.out, "");
    EXPECT_NE(skipped.err.find(Out("clip.flv")), std::string::npos) << skipped.err;
    EXPECT_NE(skipped.err.find("--overwrite"), std::string::npos) << skipped.err;
    EXPECT_EQ(ReadFile(Out("clip.flv")), "keep me");

    const ChildResult overwritten = Run({"--overwrite", "--profile", "1", "--out", Out(), source});
    EXPECT_EQ(overwritten.exitCode, 0);
    EXPECT_EQ(overwritten.out, "Complete\t" + source + "\n");
    EXPECT_EQ(ProbeMedia(Out("clip.flv")).Video("codec_name"), "flv1");
}

// Whether each result is read back follows "Verify" in the settings file, as in the window;
// --no-verify turns it off whatever the file says. FFmpeg is wrapped to count its runs.
TEST_F(CliConvertTest, TheSettingsFileAndNoVerifyDecideWhetherTheResultIsReadBack) {
    const std::string source = Clip("clip.avi");
    const std::string calls = Path("calls.txt");
    const std::string wrapper = Path("ffmpeg-wrapper");
    WriteFile(wrapper, "#!/bin/sh\necho \"$*\" >>'" + calls + "'\nexec ffmpeg \"$@\"\n");
    std::filesystem::permissions(wrapper, std::filesystem::perms::owner_all);
    env_.Set("VANTREL_FFMPEG", wrapper);
    const struct {
        const char* settings;  // nullptr: no settings file
        bool noVerify;
        bool readBack;
    } cases[] = {
        {nullptr, false, true},
        {"[Settings]\nVerify=1\n", false, true},
        {"[Settings]\nVerify=0\n", false, false},
        {"[Settings]\nVerify=1\n", true, false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(SettingsFile());
        if (c.settings)
            WriteSettings(c.settings);
        std::filesystem::remove(calls);
        std::vector<std::string> args{"--overwrite", "--profile", "1", "--out", Out(), source};
        if (c.noVerify)
            args.insert(args.begin(), "--no-verify");
        const ChildResult run = Run(args);
        const std::string settings = c.settings ? c.settings : "none";
        EXPECT_EQ(run.out, "Complete\t" + source + "\n") << settings << run.err;
        const std::string ran = ReadFile(calls);
        EXPECT_EQ(ran.find(" -f null -") != std::string::npos, c.readBack)
            << settings << " --no-verify " << c.noVerify << ": " << ran;
    }
}

TEST_F(CliConvertTest, ASecondSourceWithTheSameTargetIsSkippedNotWrittenOverTheFirst) {
    const std::string first = Clip("a/clip.avi");
    const std::string second = Clip("b/clip.mpg.avi");
    const std::string third = Clip("b/clip.avi");
    const ChildResult run =
        Run({"-j1", "--overwrite", "--profile", "1", "--out", Out(), first, second, third});

    // A file not converted for another reason than an existing target fails the run.
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Complete\t" + first + "\nComplete\t" + second + "\n");
    EXPECT_NE(run.err.find("skipping " + third), std::string::npos) << run.err;
    EXPECT_TRUE(Exists(Out("clip.flv")));
    EXPECT_TRUE(Exists(Out("clip.mpg.flv")));
}

// Two runs on one target (two windows, a window and a script, two hosts): the one that comes
// second finds the first writing it, fails with the reason and touches nothing, with or without
// --overwrite; the first publishes the whole file it wrote.
TEST_F(CliConvertTest, ARunWhoseTargetAnotherRunWritesFailsAndTouchesNothing) {
    // Long enough that the first run is still writing while the two others start, even under
    // the sanitizers.
    const std::string source = Clip("long.avi", testing_support::LongClip(120));
    const std::string part = engine::PartPathOf(Out("long.flv"));
    RunningChild first({kCli, "--profile", "6", "--out", Out(), source}, env_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(Exists(part) && std::filesystem::file_size(part) > 0) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(Exists(part)) << "the first conversion never started";

    for (const char* overwrite : {"-j1", "--overwrite"}) {
        const ChildResult second = Run({overwrite, "--profile", "6", "--out", Out(), source});
        EXPECT_EQ(second.exitCode, 1) << overwrite;
        EXPECT_EQ(second.out, "Error\t" + source + "\n");
        EXPECT_NE(second.err.find("another run of Vantrel is writing"), std::string::npos)
            << second.err;
    }

    // What stands at the target in the end is the first run's whole file.
    const ChildResult run = first.Wait(kRunLimit);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Complete\t" + source + "\n");
    EXPECT_NEAR(std::stod(ProbeMedia(Out("long.flv")).Format("duration")),
                std::stod(ProbeMedia(source).Format("duration")), 1.0);
}

TEST_F(CliConvertTest, AJobThatFailsMakesTheExitStatusOneAndTheBatchGoesOn) {
    const std::string corrupt = CorruptVideo("noise.avi");
    const std::string missing = In("missing.avi");
    const std::string good = Clip("clip.avi");
    // One at a time, the jobs run and end in the order given.
    const ChildResult run =
        Run({"--jobs", "1", "--profile", "2", "--out", Out(), corrupt, missing, good});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Error\t" + corrupt + "\nError\t" + missing + "\nComplete\t" + good + "\n");
    // Each failure is explained on standard error, naming its file.
    EXPECT_NE(run.err.find(corrupt + ":"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(missing + ":"), std::string::npos) << run.err;
}

TEST_F(CliConvertTest, ProbePrintsEachPathWithItsLengthTextInTheOrderGiven) {
    ClipSpec twoSeconds;
    twoSeconds.seconds = 2;
    const std::string clip = Clip("clip.avi");
    const std::string missing = In("missing.avi");
    const std::string other = Clip("other.avi", twoSeconds);
    const ChildResult run = Run({"--probe", "-j", "3", clip, missing, other});

    // A Length that could not be found fails the run, and says why.
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, clip + "\t00:00:01.0\n" + missing + "\t\n" + other + "\t00:00:02.0\n");
    EXPECT_EQ(run.err, "vantrel-cli: " + missing +
                           ": the source file cannot be read: No such file or directory\n");
    EXPECT_FALSE(Exists(DefaultOutFolder()));
}

TEST_F(CliConvertTest, AMissingFfmpegIsReportedAndTheJobFails) {
    const std::string source = Clip("clip.avi");
    std::filesystem::create_directories(Path("empty"));
    env_.Set("PATH", Path("empty"));

    const ChildResult run = Run({"--profile", "3", "--out", Out(), source});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Error\t" + source + "\n");
    EXPECT_NE(run.err.find("FFmpeg"), std::string::npos) << run.err;
    EXPECT_FALSE(Exists(Out("clip.flv")));
}

TEST_F(CliConvertTest, ProbeWithAMissingFfmpegSaysSoOnceAndFails) {
    const std::string source = Clip("clip.avi");
    const std::string other = Clip("other.avi");
    std::filesystem::create_directories(Path("empty"));
    env_.Set("PATH", Path("empty"));

    const ChildResult run = Run({"--probe", source, other});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, source + "\t\n" + other + "\t\n");
    EXPECT_NE(run.err.find("FFmpeg"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

TEST_F(CliTest, AMissingEncoderBesideTheProgramIsReported) {
    // A copy of the program without DLL/ffmpeg beside it.
    std::filesystem::create_directories(Path("bare"));
    std::filesystem::copy_file(kCli, Path("bare/vantrel-cli"));
    const std::string source = In("clip.avi");
    WriteFile(source, std::string(5000, 'v'));

    const ChildResult run = testing_support::RunChild(
        {Path("bare/vantrel-cli"), "--profile", "3", "--out", Out(), source}, env_, kRunLimit);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Error\t" + source + "\n");
    EXPECT_NE(run.err.find("DLL/ffmpeg"), std::string::npos) << run.err;
}

class CliSignalTest : public CliConvertTest, public ::testing::WithParamInterface<int> {};

TEST_P(CliSignalTest, StopsEveryRunningConversionDeletesTheirOutputsAndExits130) {
    const std::string first = Clip("first.avi", testing_support::LongClip());
    const std::string second = Clip("second.avi", testing_support::LongClip());
    const std::string next = Clip("next.avi");

    RunningChild cli({kCli, "--jobs", "2", "--profile", "6", "--out", Out(), first, second, next},
                     env_);
    ASSERT_TRUE(cli.Started());
    // Wait until FFmpeg writes both outputs, then press Ctrl-C (or end or hang up).
    auto writing = [&](const char* target) {
        const std::string part = engine::PartPathOf(Out(target));
        return Exists(part) && std::filesystem::file_size(part) > 0;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(writing("first.flv") && writing("second.flv")) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(writing("first.flv") && writing("second.flv")) << "the conversions never started";
    EXPECT_FALSE(testing_support::ProcessesMentioning(Out()).empty());
    cli.SignalGroup(GetParam());

    const ChildResult run = cli.Wait(std::chrono::seconds(30));
    EXPECT_EQ(run.exitCode, 130);
    EXPECT_TRUE(run.out == "Stop\t" + first + "\nStop\t" + second + "\n" ||
                run.out == "Stop\t" + second + "\nStop\t" + first + "\n")
        << run.out;
    EXPECT_FALSE(run.outputOpen);
    EXPECT_EQ(testing_support::ProcessesLeftAfter(Out(), std::chrono::seconds(2)),
              std::vector<pid_t>{});
    EXPECT_TRUE(std::filesystem::is_empty(Out()));
}

INSTANTIATE_TEST_SUITE_P(StopSignals, CliSignalTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGINT    ? "Sigint"
                                                : info.param == SIGTERM ? "Sigterm"
                                                                        : "Sighup");
                         });
