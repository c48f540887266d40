// Names that must reach FFmpeg as files and nothing else, names that must print as one line,
// sources that must never block, runs that are killed, and a very long list of files.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
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
using testing_support::MediaInfo;
using testing_support::ProbeMedia;
using testing_support::RunningChild;
using testing_support::WriteFile;

namespace {

// What FFmpeg would take for a protocol, a list of inputs, its standard input or output, or
// an option, were the name handed to it as it was typed.
struct LookAlike {
    const char* name;
    const char* target;  // in the output folder
};

constexpr LookAlike kLookAlikes[] = {
    {"concat:a.avi|b.avi", "concat:a.avi|b.flv"},
    {"file:f.avi", "file:f.flv"},
    {"http:x.avi", "http:x.flv"},
    {"pipe:1", "pipe:1.flv"},
    {"-", "-.flv"},
    {"-y", "-y.flv"},
};

double Seconds(const MediaInfo& info) {
    const std::string text = info.Format("duration");
    return text.empty() ? -1 : std::stod(text);
}

std::string Replaced(std::string text, const std::string& with) {
    for (std::size_t at = 0; (at = text.find('@', at)) != std::string::npos; at += with.size())
        text.replace(at, 1, with);
    return text;
}

// True when `text` holds no control character but line ends and, when `tabs` allows it, one
// tab per line.
bool OneJobPerLine(const std::string& text, int tabs) {
    int tabsInLine = 0;
    for (const char c : text) {
        if (c == '\n')
            tabsInLine = 0;
        else if (c == '\t' && ++tabsInLine <= tabs)
            continue;
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    }
    return true;
}

}  // namespace

TEST_F(CliConvertTest, NamesThatLookLikeProtocolsOrOptionsAreTheFilesTheyName) {
    // Each named file is a 1 s clip; the files a protocol would reach instead last 3 s.
    ClipSpec decoy;
    decoy.seconds = 3;
    for (const char* name : {"a.avi", "b.avi", "f.avi"}) ClipAt(name, decoy);
    const std::string seed = ClipAt("seed.avi");
    std::vector<std::string> names;
    for (const LookAlike& file : kLookAlikes) {
        std::filesystem::copy_file(seed, Path(file.name));
        names.push_back(file.name);
    }
    auto withNames = [&names](std::vector<std::string> args) {
        args.push_back("--");
        args.insert(args.end(), names.begin(), names.end());
        return args;
    };

    const ChildResult run = Run(withNames({"--profile", "3", "--out", "pipe:"}));

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), std::size(kLookAlikes)) << run.out;
    for (const LookAlike& file : kLookAlikes) {
        SCOPED_TRACE(file.name);
        EXPECT_NE(run.out.find(std::string("Complete\t") + file.name + "\n"), std::string::npos)
            << run.out;
        const MediaInfo info = ProbeMedia(Path(std::string("pipe:/") + file.target));
        ASSERT_EQ(info.error, "");
        EXPECT_EQ(info.Format("format_name"), "flv");
        EXPECT_NEAR(Seconds(info), 1.0, 0.3);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("pipe:")),
                            std::filesystem::directory_iterator()),
              std::size(kLookAlikes));

    // The probe reads the same files.
    const ChildResult probe = Run(withNames({"--probe"}));
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    std::string lengths;
    for (const LookAlike& file : kLookAlikes) lengths += std::string(file.name) + "\t00:00:01.0\n";
    EXPECT_EQ(probe.out, lengths);
}

TEST_F(CliConvertTest, FaultsEndAtOnceAndEveryNameIsPrintedOnOneLine) {
    ASSERT_EQ(::mkfifo(Path("fifo.avi").c_str(), 0600), 0);
    ClipAt("line\nbreak.avi");
    WriteFile(Path("a file"), "not a folder");
    struct Fault {
        const char* what;
        std::vector<std::string> args;
        int exitCode;
        std::string out;  // exactly; "@" is the test's folder
        const char* err;  // a part of it; "" for nothing at all
    };
    const Fault faults[] = {
        {"a FIFO is no source",
         {"--out", "out", "fifo.avi"},
         1,
         "Error\tfifo.avi\n",
         "fifo.avi: the source is not a regular file"},
        {"a FIFO has no length",
         {"--probe", "fifo.avi"},
         1,
         "fifo.avi\t\n",
         "fifo.avi: the source is not a regular file"},
        {"a missing file has no length",
         {"--probe", "gone.avi", "line\nbreak.avi"},
         1,
         "gone.avi\t\nline\\nbreak.avi\t00:00:01.0\n",
         "gone.avi: the source file cannot be read: No such file or directory"},
        {"a line break in a command line",
         {"--dry-run", "--profile", "0", "--out", "out", "line\nbreak.avi"},
         0,
         "DLL/ffmpeg -y -i @/line\\nbreak.avi -acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 12 "
         "-b 384 -f flv @/out/" +
             engine::PartPathOf("line\nbreak.flv") + "\n",
         ""},
        {"a line break in a status line",
         {"--out", "out", "line\nbreak.avi"},
         0,
         "Complete\tline\\nbreak.avi\n",
         ""},
        {"an output folder that cannot take results",
         {"--out", "a file", "line\nbreak.avi"},
         1,
         "",
         "vantrel-cli: The output folder @/a file is not a folder.\n"},
        {"a tab, an escape and a backslash in a failure",
         {"--out", "out", "tab\there\x1b\\back.avi"},
         1,
         "Error\ttab\\there\\x1b\\\\back.avi\n",
         "vantrel-cli: tab\\there\\x1b\\\\back.avi: the source file cannot be read"},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        // A FIFO opened by anyone would block for ever: the limit catches it.
        const ChildResult run = Run(fault.args, std::chrono::seconds(20));
        EXPECT_EQ(run.exitCode, fault.exitCode);
        EXPECT_EQ(run.out, Replaced(fault.out, temp_.Path()));
        if (*fault.err == '\0')
            EXPECT_EQ(run.err, "");
        else
            EXPECT_NE(run.err.find(Replaced(fault.err, temp_.Path())), std::string::npos)
                << run.err;
        EXPECT_TRUE(OneJobPerLine(run.out, 1)) << run.out;
        EXPECT_TRUE(OneJobPerLine(run.err, 0)) << run.err;
    }
}

TEST_F(CliConvertTest, AKilledRunLeavesNoResultAndTheNextRunConvertsTheFile) {
    const std::string source = Clip("long.avi", testing_support::LongClip());
    const std::string target = Out("long.flv");
    {
        RunningChild cli({kCli, "--profile", "6", "--out", Out(), source}, env_);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!(Exists(engine::PartPathOf(target)) &&
                 std::filesystem::file_size(engine::PartPathOf(target)) > 0) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(Exists(engine::PartPathOf(target))) << "the conversion never started";
        ::kill(cli.Pid(), SIGKILL);
        EXPECT_EQ(cli.Wait(std::chrono::seconds(10)).signal, SIGKILL);
    }
    // The adapter ends FFmpeg; whatever it wrote stays under the temporary name.
    EXPECT_EQ(testing_support::ProcessesLeftAfter(Out(), std::chrono::seconds(10)),
              std::vector<pid_t>{});
    EXPECT_FALSE(Exists(target));

    // The stale ".part" is no result: without --overwrite the file is converted again.
    const ChildResult again = Run({"--profile", "6", "--out", Out(), source});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, "Complete\t" + source + "\n");
    EXPECT_NEAR(Seconds(ProbeMedia(target)), Seconds(ProbeMedia(source)), 1.0);
    EXPECT_FALSE(Exists(engine::PartPathOf(target)));
}

TEST_F(CliTest, ADryRunOfTenThousandFilesPrintsEveryLine) {
    constexpr int kFiles = 10000;
    std::filesystem::create_directories(Path("many"));
    std::vector<std::string> args = {"--dry-run", "--out", "out"};
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "many/" + std::to_string(i) + ".avi";
        WriteFile(Path(name), "");
        args.push_back(name);
    }

    const ChildResult run = Run(args);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), kFiles);
    EXPECT_NE(run.out.find(Path("many/0.avi") + " "), std::string::npos);
    EXPECT_NE(run.out.find(engine::PartPathOf(Path("out/9999.flv")) + "\n"), std::string::npos);
    EXPECT_FALSE(Exists(Path("out")));
}
