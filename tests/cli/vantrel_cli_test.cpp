// vantrel-cli run as a user runs it: a child process with its own HOME and XDG_CONFIG_HOME,
// the adapter beside it and the real FFmpeg behind that.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "child_run.h"
#include "media_tools.h"
#include "support/temp_folder.h"

using testing_support::ChildResult;
using testing_support::ClipSpec;
using testing_support::Environment;
using testing_support::MediaInfo;
using testing_support::ProbeMedia;
using testing_support::ReadFile;
using testing_support::RunningChild;
using testing_support::TempFolder;
using testing_support::WriteFile;

namespace {

constexpr char kCli[] = VANTREL_BIN_DIR "/vantrel-cli";
constexpr auto kRunLimit = std::chrono::seconds(60);

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

class CliTest : public ::testing::Test {
protected:
    CliTest() {
        std::filesystem::create_directories(temp_ / "home");
        std::filesystem::create_directories(temp_ / "in");
        env_.Set("HOME", temp_ / "home")
            .Set("XDG_CONFIG_HOME", temp_ / "config")
            .Unset("VANTREL_FFMPEG");
    }

    std::string Path(const std::string& name) const { return temp_ / name; }
    std::string In(const std::string& name) const { return temp_ / ("in/" + name); }
    std::string Out(const std::string& name = "") const {
        return name.empty() ? temp_ / "out" : temp_ / ("out/" + name);
    }
    std::string SettingsFile() const { return temp_ / "config/vantrel/vantrel.ini"; }
    std::string DefaultOutFolder() const { return temp_ / "home/ZedovAvizevare"; }

    void WriteSettings(const std::string& content) { WriteFile(SettingsFile(), content); }

    // Runs vantrel-cli with `args`; whatever it did, the settings file is as it was before.
    ChildResult Run(const std::vector<std::string>& args) {
        const std::optional<std::string> before = Settings();
        std::vector<std::string> command{kCli};
        command.insert(command.end(), args.begin(), args.end());
        ChildResult result = testing_support::RunChild(command, env_, kRunLimit, temp_.Path());
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(Settings(), before) << "the settings file changed";
        if (!before) {
            EXPECT_FALSE(Exists(temp_ / "config")) << "a configuration folder appeared";
        }
        return result;
    }

    std::string Clip(const std::string& name, const ClipSpec& shape = {}) {
        const std::string path = In(name);
        EXPECT_EQ(testing_support::MakeClip(path, shape), "") << "making " << name;
        return path;
    }

    std::string CorruptVideo(const std::string& name) {
        return testing_support::WriteCorruptVideo(In(name));
    }

    TempFolder temp_;
    Environment env_;

private:
    std::optional<std::string> Settings() const {
        if (!Exists(SettingsFile()))
            return std::nullopt;
        return ReadFile(SettingsFile());
    }
};

// Tests that convert with the real FFmpeg.
class CliConvertTest : public CliTest {
protected:
    void SetUp() override {
        if (!testing_support::FfmpegInstalled())
            GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    }
};

}  // namespace

TEST_F(CliTest, HelpAndVersionAnswerOnStandardOutput) {
    const ChildResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("usage: vantrel-cli ", 0), 0u) << help.out;
    for (const char* option : {"--profile", "--out", "--overwrite", "--dry-run", "--probe"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;

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
                           Out("clip.flv") + "\n" + "DLL/ffmpeg -y -i " + second +
                           " -title holiday 2024 -acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 "
                           "-r 20 -b 256 -f flv " +
                           Out("holiday 2024.flv") + "\n");
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
                           Out("clip.flv") + "\n");
}

TEST_F(CliTest, WithoutASettingsFileTheDefaultsApplyAndNothingIsCreated) {
    const std::string source = In("clip.avi");
    const ChildResult run = Run({"--dry-run", source});

    EXPECT_EQ(run.exitCode, 0);
    // "Format" defaults to the custom profile, whose keys all take their defaults too.
    EXPECT_EQ(run.out, "DLL/ffmpeg -y -i " + source +
                           " -acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 12 -b 384 -f flv " +
                           DefaultOutFolder() + "/clip.flv\n");
    EXPECT_FALSE(Exists(DefaultOutFolder()));
}

TEST_F(CliTest, AnOutPathThatCannotBeMadeFallsBackWithoutTouchingTheSettingsFile) {
    WriteSettings("[Settings]\nOut Path=" + Path("gone/deeper") + "\nFormat=4\n");
    const std::string source = In("clip.avi");
    const ChildResult run = Run({"--dry-run", source});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "DLL/ffmpeg -y -i " + source +
                           " -title clip -acodec mp3 -ac 1 -ar 22050 -ab 96 -s 320x240 -r 20 -b "
                           "256 -f flv " +
                           DefaultOutFolder() + "/clip.flv\n");
}

TEST_F(CliConvertTest, WithoutProfileOrOutTheStoredFormatAndOutPathAreUsed) {
    const std::string stored = Path("stored");
    WriteSettings("[Settings]\nOut Path=" + stored + "\nFormat=2\n");
    const std::string source = Clip("clip.avi");

    const ChildResult dryRun = Run({"--dry-run", source});
    EXPECT_EQ(dryRun.out, "DLL/ffmpeg -y -i " + source +
                              " -title clip -acodec mp3 -ac 1 -ar 11025 -ab 64 -s 240x160 -r 15 "
                              "-b 256 -f flv " +
                              stored + "/clip.flv\n");
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

TEST_F(CliConvertTest, OnATerminalStandardErrorShowsTheProgressBarAndClearsIt) {
    const std::string source = Clip("clip.avi");
    RunningChild cli({kCli, "--profile", "3", "--out", Out(), source}, env_, "", true);
    const ChildResult run = cli.Wait(kRunLimit);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Complete\t" + source + "\n");
    EXPECT_TRUE(std::regex_search(run.err, std::regex("clip\\.avi \\[[#-]{30}\\] +[0-9]+%")))
        << run.err;
    // The bar is wiped when the job ends, leaving nothing behind on the line.
    const std::string wipe = "\r\033[K";
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
    EXPECT_EQ(ReadFile(Out("clip.flv")), "keep me");

    const ChildResult overwritten = Run({"--overwrite", "--profile", "1", "--out", Out(), source});
    EXPECT_EQ(overwritten.exitCode, 0);
    EXPECT_EQ(overwritten.out, "Complete\t" + source + "\n");
    EXPECT_EQ(ProbeMedia(Out("clip.flv")).Video("codec_name"), "flv1");
}

TEST_F(CliConvertTest, ASecondSourceWithTheSameTargetIsSkippedNotWrittenOverTheFirst) {
    const std::string first = Clip("a/clip.avi");
    const std::string second = Clip("b/clip.mpg.avi");
    const std::string third = Clip("b/clip.avi");
    const ChildResult run =
        Run({"--overwrite", "--profile", "1", "--out", Out(), first, second, third});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Complete\t" + first + "\nComplete\t" + second + "\n");
    EXPECT_NE(run.err.find("skipping " + third), std::string::npos) << run.err;
    EXPECT_TRUE(Exists(Out("clip.flv")));
    EXPECT_TRUE(Exists(Out("clip.mpg.flv")));
}

TEST_F(CliConvertTest, AJobThatFailsMakesTheExitStatusOneAndTheBatchGoesOn) {
    const std::string corrupt = CorruptVideo("noise.avi");
    const std::string missing = In("missing.avi");
    const std::string good = Clip("clip.avi");
    const ChildResult run = Run({"--profile", "2", "--out", Out(), corrupt, missing, good});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Error\t" + corrupt + "\nError\t" + missing + "\nComplete\t" + good + "\n");
    // Each failure is explained on standard error, naming its file.
    EXPECT_NE(run.err.find(corrupt + ":"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(missing + ":"), std::string::npos) << run.err;
}

TEST_F(CliConvertTest, ProbePrintsEachPathWithItsLengthText) {
    const std::string clip = Clip("clip.avi");
    const std::string missing = In("missing.avi");
    const ChildResult run = Run({"--probe", clip, missing});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, clip + "\t00:00:01.0\n" + missing + "\t\n");
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

TEST_F(CliConvertTest, ProbeWithAMissingFfmpegSaysSoAndFails) {
    const std::string source = Clip("clip.avi");
    std::filesystem::create_directories(Path("empty"));
    env_.Set("PATH", Path("empty"));

    const ChildResult run = Run({"--probe", source});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, source + "\t\n");
    EXPECT_NE(run.err.find("FFmpeg"), std::string::npos) << run.err;
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

TEST_P(CliSignalTest, StopsTheRunningConversionDeletesItsOutputAndExits130) {
    ClipSpec longClip;
    longClip.width = 640;
    longClip.height = 480;
    longClip.loops = 100;
    const std::string source = Clip("long.avi", longClip);
    const std::string next = Clip("next.avi");

    RunningChild cli({kCli, "--profile", "6", "--out", Out(), source, next}, env_);
    ASSERT_TRUE(cli.Started());
    // Wait until FFmpeg is writing the output, then press Ctrl-C (or end or hang up).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(Exists(Out("long.flv")) && std::filesystem::file_size(Out("long.flv")) > 0) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(Exists(Out("long.flv"))) << "the conversion never started";
    EXPECT_FALSE(testing_support::ProcessesMentioning(Out()).empty());
    cli.SignalGroup(GetParam());

    const ChildResult run = cli.Wait(std::chrono::seconds(30));
    EXPECT_EQ(run.exitCode, 130);
    EXPECT_EQ(run.out, "Stop\t" + source + "\n");
    EXPECT_FALSE(run.outputOpen);
    EXPECT_FALSE(Exists(Out("long.flv")));
    EXPECT_FALSE(Exists(Out("next.flv")));
    EXPECT_EQ(testing_support::ProcessesLeftAfter(Out(), std::chrono::seconds(2)),
              std::vector<pid_t>{});
}

INSTANTIATE_TEST_SUITE_P(StopSignals, CliSignalTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGINT    ? "Sigint"
                                                : info.param == SIGTERM ? "Sigterm"
                                                                        : "Sighup");
                         });
