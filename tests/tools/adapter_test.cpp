// The adapter program, bin/DLL/ffmpeg, run as a child process: with a fake FFmpeg for its
// arguments, output, exit status and signals, and with the real FFmpeg end to end.
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "child_run.h"
#include "support/temp_folder.h"
#include "tools/ffmpeg_adapter/missing_encoder.h"

namespace {

using testing_support::Finished;
using testing_support::ReadFor;
using testing_support::RunProgram;
using testing_support::ScopedEnv;
using testing_support::Started;
using testing_support::StartProgram;
using testing_support::TempFolder;
using testing_support::WaitForExit;

const std::string kAdapter = VANTREL_BIN_DIR "/DLL/ffmpeg";
const std::string kFake = FAKE_FFMPEG_PATH;
constexpr char kNotFound[] = "vantrel: FFmpeg not found; install ffmpeg or set VANTREL_FFMPEG";
// What the fake FFmpeg prints for the arguments that the adapter puts first.
constexpr char kFirstArgs[] = "arg[1]=-nostdin\narg[2]=-loglevel\narg[3]=level+info\n";

std::vector<std::string> Adapter(std::vector<std::string> args) {
    args.insert(args.begin(), kAdapter);
    return args;
}

// The pid the fake FFmpeg wrote to `file`, waiting up to 10 s for it; -1 if it never did.
pid_t WaitForPidFile(const std::string& file) {
    for (int i = 0; i < 2000; ++i) {
        std::ifstream in(file);
        int pid = 0;
        if (in >> pid)
            return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

bool Gone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// The adapter with the fake FFmpeg named by VANTREL_FFMPEG.
class AdapterWithFake : public ::testing::Test {
protected:
    TempFolder temp_;
    ScopedEnv ffmpeg_{"VANTREL_FFMPEG", kFake};
};

TEST_F(AdapterWithFake, HandsFfmpegTheTranslatedArgumentsAfterNostdinAndLogLevel) {
    const Finished run = RunProgram(Adapter({"-y",
                                             "-i",
                                             "/in/my clip.avi",
                                             "-title",
                                             "my clip",
                                             "-acodec",
                                             "mp3",
                                             "-ac",
                                             "2",
                                             "-ar",
                                             "22050",
                                             "-ab",
                                             "96",
                                             "-s",
                                             "320x240",
                                             "-r",
                                             "20",
                                             "-b",
                                             "256",
                                             "-f",
                                             "flv",
                                             "/out/my clip.flv"}));
    EXPECT_EQ(run.status, 0);
    const std::string expected =
        "arg[1]=-nostdin\narg[2]=-loglevel\narg[3]=level+info\narg[4]=-y\narg[5]=-i\n"
        "arg[6]=/in/my clip.avi\narg[7]=-metadata\narg[8]=title=my clip\narg[9]=-c:a\n"
        "arg[10]=libmp3lame\narg[11]=-ac\narg[12]=2\narg[13]=-ar\narg[14]=22050\narg[15]=-b:a\n"
        "arg[16]=96k\narg[17]=-s\narg[18]=320x240\narg[19]=-r\narg[20]=20\narg[21]=-b:v\n"
        "arg[22]=256k\narg[23]=-f\narg[24]=flv\narg[25]=/out/my clip.flv\n";
    EXPECT_EQ(run.output.substr(0, expected.size()), expected);
}

TEST_F(AdapterWithFake, ProbeLine) {
    const Finished run = RunProgram(Adapter({"-i", "/in/clip.avi"}));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(
        run.output.rfind(std::string(kFirstArgs) + "arg[4]=-i\narg[5]=/in/clip.avi\nframe=", 0), 0u)
        << run.output;
}

TEST_F(AdapterWithFake, PassesBothOutputStreamsOnWithKiBAsKiloBytes) {
    const Finished run = RunProgram(Adapter({}));
    EXPECT_EQ(run.output, std::string(kFirstArgs) +
                              "frame=   21 size=     256kB time=00:00:01.05 from MyKiBook.avi\n");
}

TEST_F(AdapterWithFake, RewritesKiBThatArrivesInPieces) {
    ScopedEnv split("FAKE_FFMPEG_SPLIT", "1");
    const Finished run = RunProgram(Adapter({}));
    EXPECT_NE(run.output.find("size=      12kB time=00:00:02.00\n"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("12K"), std::string::npos) << run.output;
}

TEST_F(AdapterWithFake, ForwardsOutputWithoutWaitingForTheEnd) {
    ScopedEnv sleep("FAKE_FFMPEG_SLEEP", "30");
    const Started started = StartProgram(Adapter({}));
    ASSERT_GT(started.pid, 0);
    const std::string early = ReadFor(started.output, 5000);
    EXPECT_NE(early.find("size=     256kB"), std::string::npos) << early;
    ::kill(started.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(started.pid, 10000), 128 + SIGTERM);
    ::close(started.output);
}

TEST_F(AdapterWithFake, ExitStatusIsFfmpegs) {
    for (const char* code : {"0", "1", "3", "255"}) {
        SCOPED_TRACE(code);
        ScopedEnv exit("FAKE_FFMPEG_EXIT", code);
        EXPECT_EQ(RunProgram(Adapter({"-i", "x"})).status, std::atoi(code));
    }
}

TEST_F(AdapterWithFake, FfmpegKilledBySignalGives128PlusSignal) {
    ScopedEnv signal("FAKE_FFMPEG_SIGNAL", "9");
    EXPECT_EQ(RunProgram(Adapter({})).status, 128 + SIGKILL);
}

// An FFmpeg that obeys a stop signal ends at once; one that ignores it (as FFmpeg blocked on
// opening a FIFO does) is killed after the grace period. Either way nothing is left.
TEST_F(AdapterWithFake, AStopSignalEndsFfmpegAtOnceOrAfterAGracePeriod) {
    const std::pair<int, bool> cases[] = {
        {SIGTERM, false}, {SIGINT, false}, {SIGHUP, false}, {SIGTERM, true}, {SIGHUP, true}};
    for (const auto& [signal, ignores] : cases) {
        SCOPED_TRACE(std::to_string(signal) + (ignores ? " ignored" : ""));
        const std::string pidFile = temp_ / ("fake" + std::to_string(signal) + ".pid");
        ::unlink(pidFile.c_str());
        ScopedEnv sleep("FAKE_FFMPEG_SLEEP", "30");
        ScopedEnv pid("FAKE_FFMPEG_PIDFILE", pidFile);
        ScopedEnv ignore("FAKE_FFMPEG_IGNORE_TERM", ignores ? "1" : "");
        const Started started = StartProgram(Adapter({"-i", "x"}));
        ASSERT_GT(started.pid, 0);
        const pid_t fake = WaitForPidFile(pidFile);
        ASSERT_GT(fake, 0);
        const auto sent = std::chrono::steady_clock::now();
        ::kill(started.pid, signal);
        // The adapter waits for FFmpeg, so once it has ended FFmpeg is gone and reaped.
        EXPECT_EQ(WaitForExit(started.pid, 10000), 128 + signal);
        EXPECT_TRUE(Gone(fake));
        const auto took = std::chrono::steady_clock::now() - sent;
        if (ignores)
            EXPECT_GE(took, std::chrono::seconds(2));
        else
            EXPECT_LT(took, std::chrono::seconds(2));
        ::close(started.output);
    }
}

// Orphans are handed to us instead of init, so that we can see how they ended.
class SubreaperScope {
public:
    SubreaperScope() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }
    ~SubreaperScope() { ::prctl(PR_SET_CHILD_SUBREAPER, 0); }
};

TEST_F(AdapterWithFake, FfmpegIsKilledWhenTheAdapterIsKilled) {
    SubreaperScope subreaper;
    const std::string pidFile = temp_ / "fake.pid";
    ScopedEnv sleep("FAKE_FFMPEG_SLEEP", "30");
    ScopedEnv pid("FAKE_FFMPEG_PIDFILE", pidFile);
    ScopedEnv ignore("FAKE_FFMPEG_IGNORE_TERM", "1");
    const Started started = StartProgram(Adapter({}));
    ASSERT_GT(started.pid, 0);
    const pid_t fake = WaitForPidFile(pidFile);
    ASSERT_GT(fake, 0);
    ::kill(started.pid, SIGKILL);
    EXPECT_EQ(WaitForExit(started.pid, 10000), 128 + SIGKILL);
    EXPECT_EQ(WaitForExit(fake, 10000), 128 + SIGKILL);
    ::close(started.output);
}

// kill -9 of the adapter's parent: the adapter stops FFmpeg, obeying or not, and ends.
TEST_F(AdapterWithFake, NothingOutlivesTheAdaptersParentForLong) {
    SubreaperScope subreaper;
    for (const bool ignores : {false, true}) {
        SCOPED_TRACE(ignores ? "FFmpeg ignores SIGTERM" : "FFmpeg obeys SIGTERM");
        const std::string pidFile = temp_ / (ignores ? "ignoring.pid" : "obeying.pid");
        const std::string adapterPidFile = temp_ / (ignores ? "adapter2.pid" : "adapter1.pid");
        ScopedEnv sleep("FAKE_FFMPEG_SLEEP", "30");
        ScopedEnv pid("FAKE_FFMPEG_PIDFILE", pidFile);
        ScopedEnv ignore("FAKE_FFMPEG_IGNORE_TERM", ignores ? "1" : "");
        const pid_t parent = ::fork();
        if (parent == 0) {
            const Started started = StartProgram(Adapter({}));
            std::ofstream(adapterPidFile) << started.pid << "\n";
            for (;;) ::pause();
        }
        ASSERT_GT(parent, 0);
        const pid_t adapter = WaitForPidFile(adapterPidFile);
        const pid_t fake = WaitForPidFile(pidFile);
        ::kill(parent, SIGKILL);
        EXPECT_EQ(WaitForExit(parent, 10000), 128 + SIGKILL);
        ASSERT_GT(adapter, 0);
        ASSERT_GT(fake, 0);
        EXPECT_EQ(WaitForExit(adapter, 10000), 128 + SIGTERM);
        EXPECT_TRUE(Gone(fake));
    }
}

// A parent killed at any moment, even before the adapter could ask to hear of its death, is
// seen: the pipe it held as the adapter's standard input ends.
TEST_F(AdapterWithFake, TheEndOfThePipeItsParentHoldsEndsFfmpegAndTheAdapter) {
    ScopedEnv sleep("FAKE_FFMPEG_SLEEP", "30");
    ScopedEnv parentPipe("VANTREL_PARENT_PIPE", "stdin");
    for (const bool beforeStart : {true, false}) {
        SCOPED_TRACE(beforeStart ? "gone before the adapter started" : "gone while it ran");
        const std::string pidFile = temp_ / (beforeStart ? "early.pid" : "late.pid");
        ScopedEnv pid("FAKE_FFMPEG_PIDFILE", pidFile);
        int lifeline[2];
        ASSERT_EQ(::pipe2(lifeline, O_CLOEXEC), 0);  // only the adapter gets a copy
        if (beforeStart)
            ::close(lifeline[1]);
        const Started started = StartProgram(Adapter({}), lifeline[0]);
        ::close(lifeline[0]);
        ASSERT_GT(started.pid, 0);
        if (!beforeStart) {
            const pid_t fake = WaitForPidFile(pidFile);
            ASSERT_GT(fake, 0);
            ::close(lifeline[1]);
            EXPECT_EQ(WaitForExit(started.pid, 10000), 128 + SIGTERM);
            EXPECT_TRUE(Gone(fake));
        } else {
            EXPECT_EQ(WaitForExit(started.pid, 10000), 128 + SIGTERM);
            EXPECT_FALSE(std::filesystem::exists(pidFile));
        }
        ::close(started.output);
    }
}

TEST_F(AdapterWithFake, AnFfmpegWithoutLibx264IsExplained) {
    ScopedEnv missing("FAKE_FFMPEG_NO_ENCODER", "libx264");
    const std::vector<std::string> h264 = {"-y",      "-i",      "/in/a.avi",
                                           "-vcodec", "libx264", "/out/a.flv"};
    const Finished run = RunProgram(Adapter(h264));
    EXPECT_EQ(run.status, 1);
    const std::string tail =
        "[fatal] Unknown encoder 'libx264'\n" + std::string(ffmpeg_adapter::kNoH264Message) + "\n";
    ASSERT_GE(run.output.size(), tail.size()) << run.output;
    EXPECT_EQ(run.output.substr(run.output.size() - tail.size()), tail);

    // Other encoders missing, or the name alone in a path, get no such line.
    for (const std::string& other : {std::string("mpeg4"), std::string("/in/libx264.avi")}) {
        SCOPED_TRACE(other);
        ScopedEnv otherMissing("FAKE_FFMPEG_NO_ENCODER", other);
        const Finished failed = RunProgram(
            Adapter({"-y", "-i", "/in/libx264.avi", "-vcodec", "mpeg4", "/out/libx264.flv"}));
        EXPECT_EQ(failed.status, 1);
        EXPECT_EQ(failed.output.find("vantrel:"), std::string::npos) << failed.output;
    }
}

// Finding FFmpeg without VANTREL_FFMPEG.
class AdapterOnPath : public ::testing::Test {
protected:
    TempFolder temp_;
    ScopedEnv ffmpeg_{"VANTREL_FFMPEG", ""};
    ScopedEnv path_{"PATH", temp_ / "empty" + ":" + temp_ / "bin"};
    void Link(const std::string& target) {
        std::filesystem::create_directories(temp_ / "bin");
        std::filesystem::create_symlink(target, temp_ / "bin/ffmpeg");
    }
};

TEST_F(AdapterOnPath, MissingFfmpegGives127AndAClearMessage) {
    const Finished run = RunProgram(Adapter({"-i", "/in/clip.avi"}));
    EXPECT_EQ(run.status, 127);
    EXPECT_EQ(run.output, std::string(kNotFound) + "\n");
}

TEST_F(AdapterOnPath, FindsFfmpegOnPath) {
    Link(kFake);
    const Finished run = RunProgram(Adapter({"-i", "x"}));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output.rfind(std::string(kFirstArgs) + "arg[4]=-i\narg[5]=x\n", 0), 0u)
        << run.output;
}

TEST_F(AdapterOnPath, NeverRunsItselfAsFfmpeg) {
    Link(kAdapter);
    const Finished run = RunProgram(Adapter({"-i", "x"}), 10000);
    EXPECT_EQ(run.status, 127);
    EXPECT_EQ(run.output, std::string(kNotFound) + "\n");
}

TEST_F(AdapterOnPath, AnotherCopyOfTheAdapterIsNotTakenForFfmpeg) {
    std::filesystem::create_directories(temp_ / "bin");
    std::filesystem::copy_file(kAdapter, temp_ / "bin/ffmpeg");
    const Finished run = RunProgram(Adapter({"-i", "x"}), 10000);
    EXPECT_EQ(run.status, 127);
    EXPECT_NE(run.output.find("another Vantrel adapter"), std::string::npos) << run.output;
}

TEST_F(AdapterOnPath, VantrelFfmpegNamingNoProgramGives127) {
    ScopedEnv named("VANTREL_FFMPEG", temp_ / "nowhere/ffmpeg");
    const Finished run = RunProgram(Adapter({"-i", "x"}));
    EXPECT_EQ(run.status, 127);
    EXPECT_NE(run.output.find("VANTREL_FFMPEG"), std::string::npos) << run.output;
}

// The real FFmpeg, reached through the adapter with Vantrel's legacy command lines.
std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

TEST(AdapterEndToEnd, ConvertsWithTheLegacyProfileLineAndProbes) {
    const std::string ffmpeg = FindOnPath("ffmpeg");
    const std::string ffprobe = FindOnPath("ffprobe");
    if (ffmpeg.empty() || ffprobe.empty())
        GTEST_SKIP() << "ffmpeg or ffprobe is not installed";
    TempFolder temp;
    ScopedEnv named("VANTREL_FFMPEG", ffmpeg);
    const std::string source = temp / "in clip.avi";
    const Finished made =
        RunProgram({ffmpeg, "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                    "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i", "sine", "-t", "1", source},
                   60000);
    ASSERT_EQ(made.status, 0) << made.output;

    const std::string output = temp.Path() + "/in clip.flv";
    const Finished run =
        RunProgram(Adapter({"-y", "-i",  source,  "-title", "in clip", "-acodec", "mp3",     "-ac",
                            "2",  "-ar", "22050", "-ab",    "96",      "-s",      "320x240", "-r",
                            "20", "-b",  "256",   "-f",     "flv",     output}),
                   60000);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Duration: 00:00:01.0"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("size="), std::string::npos) << run.output;

    const Finished probe = RunProgram(
        {ffprobe, "-v", "error", "-show_entries",
         "stream=codec_type,codec_name,width,height,r_frame_rate,sample_rate,channels:format="
         "format_name:format_tags=title",
         "-of", "default=noprint_wrappers=1", output});
    ASSERT_EQ(probe.status, 0) << probe.output;
    for (const char* line : {"format_name=flv\n", "TAG:title=in clip\n", "codec_name=flv1\n",
                             "width=320\n", "height=240\n", "r_frame_rate=20/1\n",
                             "codec_name=mp3\n", "sample_rate=22050\n", "channels=2\n"}) {
        EXPECT_NE(probe.output.find(line), std::string::npos) << line << probe.output;
    }

    // The probe line: FFmpeg describes the input (and fails for want of an output).
    const Finished described = RunProgram(Adapter({"-i", source}));
    EXPECT_NE(described.output.find("Duration: 00:00:01.0"), std::string::npos) << described.output;
    EXPECT_NE(described.status, 0);
}

}  // namespace
