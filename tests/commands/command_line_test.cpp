// The encoder tool's command lines: fixed and custom profiles, path pieces and the probe.
#include "engine/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace {

using engine::BuildConvertCommand;
using engine::BuildCustomCommand;
using engine::BuildFixedCommand;
using engine::BuildProbeCommand;
using engine::CommandLine;
using testing_support::ScopedEnv;
using testing_support::TempFolder;
using testing_support::WriteFile;

// The text between the source path and the output path of a conversion command.
std::string OptionsOf(const CommandLine& command, const std::string& source,
                      const std::string& output) {
    const std::string text = command.Text();
    const std::string head = "DLL/ffmpeg -y -i " + source + " ";
    const std::string tail = " " + output;
    EXPECT_EQ(text.compare(0, head.size(), head), 0) << text;
    EXPECT_GE(text.size(), head.size() + tail.size()) << text;
    EXPECT_EQ(text.compare(text.size() - tail.size(), tail.size(), tail), 0) << text;
    return text.substr(head.size(), text.size() - head.size() - tail.size());
}

// The argument after `option`, or "" when the option is missing.
std::string ValueOf(const CommandLine& command, const std::string& option) {
    for (std::size_t i = 0; i + 1 < command.args.size(); ++i)
        if (command.args[i] == option)
            return command.args[i + 1];
    return "";
}

TEST(FixedProfileCommand, MatchesTheDocumentedLineByteForByte) {
    EXPECT_EQ(BuildFixedCommand("/in/clip.avi", "/out", 3).Text(),
              "DLL/ffmpeg -y -i /in/clip.avi -title clip -acodec mp3 -ac 2 -ar 22050 -ab 96 -s "
              "320x240 -r 20 -b 256 -f flv /out/clip.flv");
}

TEST(FixedProfileCommand, EveryProfileHasItsOwnOptions) {
    const std::vector<std::string> expected = {
        "",
        "-title clip -acodec mp3 -ac 2 -ar 11025 -ab 64 -s 240x160 -r 15 -b 256 -f flv",
        "-title clip -acodec mp3 -ac 1 -ar 11025 -ab 64 -s 240x160 -r 15 -b 256 -f flv",
        "-title clip -acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 20 -b 256 -f flv",
        "-title clip -acodec mp3 -ac 1 -ar 22050 -ab 96 -s 320x240 -r 20 -b 256 -f flv",
        "-title clip -acodec mp3 -ac 2 -ar 44100 -ab 96 -s 480x320 -r 25 -b 512 -f flv",
        "-title clip -acodec mp3 -ac 1 -ar 44100 -ab 96 -s 480x320 -r 25 -b 512 -f flv",
    };
    for (int index = 1; index <= 6; ++index) {
        SCOPED_TRACE(index);
        const CommandLine command = BuildFixedCommand("/in/clip.avi", "/out", index);
        EXPECT_EQ(OptionsOf(command, "/in/clip.avi", "/out/clip.flv"), expected[index]);
        EXPECT_EQ(command.args, BuildConvertCommand("/in/clip.avi", "/out", index).args);
    }
}

TEST(FixedProfileCommand, IndexWithoutAProfileUsesTheLastProfile) {
    const CommandLine last = BuildFixedCommand("/in/clip.avi", "/out", 6);
    for (int index : {-1, 7, 100}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(BuildFixedCommand("/in/clip.avi", "/out", index).args, last.args);
        EXPECT_EQ(BuildConvertCommand("/in/clip.avi", "/out", index).args, last.args);
    }
}

TEST(FixedProfileCommand, EveryOptionIsItsOwnArgument) {
    const CommandLine command = BuildFixedCommand("/in/clip.avi", "/out", 1);
    const std::vector<std::string> expected = {
        "DLL/ffmpeg", "-y", "-i",  "/in/clip.avi", "-title", "clip", "-acodec",      "mp3",
        "-ac",        "2",  "-ar", "11025",        "-ab",    "64",   "-s",           "240x160",
        "-r",         "15", "-b",  "256",          "-f",     "flv",  "/out/clip.flv"};
    EXPECT_EQ(command.args, expected);
}

TEST(ProfileNames, AreTheSevenListEntriesInOrder) {
    const std::vector<std::string> names(engine::kProfileNames,
                                         engine::kProfileNames + engine::kProfileCount);
    EXPECT_EQ(
        names,
        (std::vector<std::string>{
            "Custom Settings", "240x160,15fps,256kbps.mp3,stereo,11025hz",
            "240x160,15fps,256kbps,mp3,mono,11025hz", "320x240,20fps,256kbps,mp3,stereo,22050hz",
            "320x240,20fps,256kbps,mp3,mono,22050hz", "480x320,25fps,512kbps,mp3,stereo,44100hz",
            "480x320,25fps,512kbps,mp3,mono,44100hz"}));
    EXPECT_EQ(engine::kCustomProfile, 0);
}

TEST(PathPieces, OnlyTheLastDotOfTheFileNameCounts) {
    EXPECT_EQ(engine::TitleOf("/in/a.b.mpg"), "a.b");
    EXPECT_EQ(engine::OutputFileNameOf("/in/a.b.mpg"), "a.b.flv");
    EXPECT_EQ(engine::TitleOf("/v.1/clip.mpg"), "clip");
    EXPECT_EQ(engine::OutputFileNameOf("/v.1/clip.mpg"), "clip.flv");
}

TEST(PathPieces, NameWithoutExtensionKeepsItsWholeName) {
    EXPECT_EQ(engine::TitleOf("/in/clip"), "clip");
    EXPECT_EQ(engine::OutputPathOf("/in/clip", "/out"), "/out/clip.flv");
    // A dot in a folder name is not an extension.
    EXPECT_EQ(engine::TitleOf("/my.videos/clip"), "clip");
    EXPECT_EQ(engine::OutputPathOf("/my.videos/clip", "/out"), "/out/clip.flv");
    // A name that is all extension keeps it rather than giving an empty title.
    EXPECT_EQ(engine::TitleOf("/in/.avi"), ".avi");
    EXPECT_EQ(engine::OutputPathOf("/in/.avi", "/out"), "/out/.avi.flv");
    EXPECT_EQ(engine::TitleOf("/in/.hidden.avi"), ".hidden");
}

TEST(PathPieces, SeparatorIsAlwaysAddedToTheFolder) {
    EXPECT_EQ(engine::OutputPathOf("/in/clip.avi", "/out"), "/out/clip.flv");
    EXPECT_EQ(engine::OutputPathOf("/in/clip.avi", "/out/"), "/out//clip.flv");
    EXPECT_EQ(engine::OutputPathOf("/in/clip.avi", "/"), "//clip.flv");
    EXPECT_EQ(BuildFixedCommand("/in/clip.avi", "/", 3).args.back(), "//clip.flv");
}

TEST(PathPieces, PathsWithBlanksStayOneArgument) {
    const std::string source = "/my videos/summer trip.part 1.avi";
    const CommandLine command = BuildFixedCommand(source, "/out put", 2);
    ASSERT_GE(command.args.size(), 6u);
    EXPECT_EQ(command.args[3], source);
    EXPECT_EQ(command.args[5], "summer trip.part 1");
    EXPECT_EQ(command.args.back(), "/out put/summer trip.part 1.flv");
    EXPECT_EQ(command.args.size(), 23u);
}

TEST(ProbeCommand, IsTheToolWithTheSourceAsInput) {
    EXPECT_EQ(BuildProbeCommand("/in/clip.avi").Text(), "DLL/ffmpeg -i /in/clip.avi");
    EXPECT_EQ(BuildProbeCommand("/in/a b.avi").args,
              (std::vector<std::string>{"DLL/ffmpeg", "-i", "/in/a b.avi"}));
}

// Custom profile: a settings file of our own in a temporary configuration folder.
class CustomCommand : public ::testing::Test {
protected:
    void WriteSettings(const std::vector<std::pair<std::string, std::string>>& values) {
        std::string content = "[Settings]\r\n";
        for (const auto& [key, value] : values) content += key + "=" + value + "\r\n";
        WriteFile(config_ / "vantrel/vantrel.ini", content);
    }
    // The options of a custom command for `key` holding `value`, all other keys absent.
    std::string OptionsWith(const std::string& key, const std::string& value) {
        WriteSettings({{key, value}});
        return Options();
    }
    std::string Options() {
        return OptionsOf(BuildCustomCommand("/in/clip.avi", "/out/clip.flv"), "/in/clip.avi",
                         "/out/clip.flv");
    }

    TempFolder config_;
    ScopedEnv env_{"XDG_CONFIG_HOME", config_.Path()};
};

constexpr char kDefaults[] = "-acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 12 -b 384 -f flv";

TEST_F(CustomCommand, MissingSettingsFileGivesTheDefaults) {
    EXPECT_EQ(Options(), kDefaults);
}

TEST_F(CustomCommand, CarriesNoTitle) {
    const CommandLine command = BuildCustomCommand("/in/clip.avi", "/out/clip.flv");
    EXPECT_EQ(command.Text(),
              std::string("DLL/ffmpeg -y -i /in/clip.avi ") + kDefaults + " /out/clip.flv");
}

TEST_F(CustomCommand, ConvertWithIndexZeroUsesTheCustomProfile) {
    WriteSettings({{"Resolution", "6"}});
    EXPECT_EQ(BuildConvertCommand("/in/a b.avi", "/out", 0).args,
              BuildCustomCommand("/in/a b.avi", "/out/a b.flv").args);
    EXPECT_EQ(BuildConvertCommand("/in/a b.avi", "/out", 0).args.back(), "/out/a b.flv");
}

TEST_F(CustomCommand, ChannelIsMonoOnlyForZero) {
    EXPECT_EQ(OptionsWith("Channel", "0"),
              "-acodec mp3 -ac 1 -ar 22050 -ab 96 -s 320x240 -r 12 -b 384 -f flv");
    for (const char* other : {"1", "5", "-1", "abc"}) {
        SCOPED_TRACE(other);
        // "abc" reads as 0: text that is not a number is index 0.
        const std::string channels = std::string(other) == "abc" ? "1" : "2";
        EXPECT_EQ(OptionsWith("Channel", other), "-acodec mp3 -ac " + channels +
                                                     " -ar 22050 -ab 96 -s 320x240 -r 12 -b 384 "
                                                     "-f flv");
    }
}

TEST_F(CustomCommand, SampleRateMapping) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0", "11025"}, {"1", "22050"}, {"2", "44100"}, {"3", "22050"}, {"-1", "22050"}};
    for (const auto& [value, rate] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(OptionsWith("SampleRate", value),
                  "-acodec mp3 -ac 2 -ar " + rate + " -ab 96 -s 320x240 -r 12 -b 384 -f flv");
    }
}

TEST_F(CustomCommand, AudioBitRateMapping) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0", "64"},  {"1", "96"},  {"2", "128"}, {"3", "160"},
        {"4", "192"}, {"5", "256"}, {"6", "64"},  {"-1", "64"}};
    for (const auto& [value, rate] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(OptionsWith("AudioBitRate", value),
                  "-acodec mp3 -ac 2 -ar 22050 -ab " + rate + " -s 320x240 -r 12 -b 384 -f flv");
    }
}

TEST_F(CustomCommand, ResolutionMapping) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0", "240x160"}, {"1", "320x240"}, {"2", "480x272"}, {"3", "480x320"}, {"4", "480x368"},
        {"5", "512x384"}, {"6", "640x480"}, {"7", "240x160"}, {"-1", "240x160"}};
    for (const auto& [value, size] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(OptionsWith("Resolution", value),
                  "-acodec mp3 -ac 2 -ar 22050 -ab 96 -s " + size + " -r 12 -b 384 -f flv");
    }
}

TEST_F(CustomCommand, FrameRateMappingAndKeepingTheSourceRate) {
    EXPECT_EQ(OptionsWith("FrameRate", "0"),
              "-acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -b 384 -f flv");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1", "12"}, {"2", "15"},    {"3", "20"}, {"4", "23.97"}, {"5", "24"},
        {"6", "25"}, {"7", "29.97"}, {"8", "30"}, {"9", "20"},    {"-1", "20"}};
    for (const auto& [value, rate] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(OptionsWith("FrameRate", value),
                  "-acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r " + rate + " -b 384 -f flv");
    }
}

TEST_F(CustomCommand, VideoBitRateMapping) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0", "256"}, {"1", "384"},  {"2", "512"}, {"3", "640"}, {"4", "768"},
        {"5", "900"}, {"6", "1500"}, {"7", "256"}, {"-1", "256"}};
    for (const auto& [value, rate] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(OptionsWith("BitRate", value),
                  "-acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 12 -b " + rate + " -f flv");
    }
}

TEST_F(CustomCommand, EncoderChoicesChangeNothing) {
    for (const char* value : {"0", "1", "-1", "7"}) {
        SCOPED_TRACE(value);
        WriteSettings({{"Encoder", value}, {"AudioEncoder", value}});
        EXPECT_EQ(Options(), kDefaults);
    }
}

TEST_F(CustomCommand, ReadsTheFileOnEveryCall) {
    WriteSettings({{"Resolution", "6"}});
    EXPECT_EQ(ValueOf(BuildCustomCommand("/in/clip.avi", "/o.flv"), "-s"), "640x480");
    WriteSettings({{"Resolution", "2"}});
    EXPECT_EQ(ValueOf(BuildCustomCommand("/in/clip.avi", "/o.flv"), "-s"), "480x272");
}

TEST_F(CustomCommand, AllKeysTogether) {
    WriteSettings({{"Out Path", "/somewhere"},
                   {"Format", "0"},
                   {"Resolution", "5"},
                   {"FrameRate", "7"},
                   {"Encoder", "0"},
                   {"BitRate", "6"},
                   {"SampleRate", "2"},
                   {"Channel", "0"},
                   {"AudioEncoder", "0"},
                   {"AudioBitRate", "4"}});
    EXPECT_EQ(Options(), "-acodec mp3 -ac 1 -ar 44100 -ab 192 -s 512x384 -r 29.97 -b 1500 -f flv");
}

}  // namespace
