// The encoder tool's command lines: fixed and custom profiles, path pieces and the probe.
#include "engine/command_line.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/encoder_tool.h"
#include "platform/path.h"
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

// `folder` + the system's separator + `name`, as the engine writes output paths.
std::string InFolder(const std::string& folder, const std::string& name) {
    return folder + platform::path::Separator() + name;
}

// The text between the source path and the output path of a conversion command.
std::string OptionsOf(const CommandLine& command, const std::string& source,
                      const std::string& output) {
    const std::string text = command.Text();
    const std::string head = std::string(engine::kEncoderPath) + " -y -i " + source + " ";
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
              std::string(engine::kEncoderPath) +
                  " -y -i /in/clip.avi -title clip -acodec mp3 -ac 2 -ar 22050 -ab 96 -s "
                  "320x240 -r 20 -b 256 -f flv " +
                  InFolder("/out", "clip.flv"));
}

TEST(FixedProfileCommand, EveryProfileHasItsOwnOptions) {
    const std::vector<std::string> expected = {
        "",
        "-acodec mp3 -ac 2 -ar 11025 -ab 64 -s 240x160 -r 15 -b 256 -f flv",
        "-acodec mp3 -ac 1 -ar 11025 -ab 64 -s 240x160 -r 15 -b 256 -f flv",
        "-acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 20 -b 256 -f flv",
        "-acodec mp3 -ac 1 -ar 22050 -ab 96 -s 320x240 -r 20 -b 256 -f flv",
        "-acodec mp3 -ac 2 -ar 44100 -ab 96 -s 480x320 -r 25 -b 512 -f flv",
        "-acodec mp3 -ac 1 -ar 44100 -ab 96 -s 480x320 -r 25 -b 512 -f flv",
        "-acodec aac -ac 2 -ar 44100 -ab 128 -vcodec libx264 -vprofile main -pix_fmt yuv420p -g 50 "
        "-fit 640x360 -r 25 -b 1000 -f flv",
        "-acodec aac -ac 2 -ar 44100 -ab 128 -vcodec libx264 -vprofile main -pix_fmt yuv420p -g 60 "
        "-fit 1280x720 -r 30 -b 2500 -f flv",
    };
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(engine::kProfileCount));
    for (int index = 1; index < engine::kProfileCount; ++index) {
        SCOPED_TRACE(index);
        const CommandLine command = BuildFixedCommand("/in/clip.avi", "/out", index);
        EXPECT_EQ(OptionsOf(command, "/in/clip.avi", InFolder("/out", "clip.flv")),
                  "-title clip " + expected[index]);
        EXPECT_EQ(command.args, BuildConvertCommand("/in/clip.avi", "/out", index).args);
    }
}

TEST(FixedProfileCommand, IndexWithoutAProfileUsesProfileSix) {
    const CommandLine six = BuildFixedCommand("/in/clip.avi", "/out", 6);
    EXPECT_NE(six.args, BuildFixedCommand("/in/clip.avi", "/out", engine::kProfileCount - 1).args);
    for (int index : {-1, engine::kProfileCount, 100}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(BuildFixedCommand("/in/clip.avi", "/out", index).args, six.args);
        EXPECT_EQ(BuildConvertCommand("/in/clip.avi", "/out", index).args, six.args);
    }
}

TEST(FixedProfileCommand, EveryOptionIsItsOwnArgument) {
    const CommandLine command = BuildFixedCommand("/in/clip.avi", "/out", 1);
    const std::vector<std::string> expected = {engine::kEncoderPath,
                                               "-y",
                                               "-i",
                                               "/in/clip.avi",
                                               "-title",
                                               "clip",
                                               "-acodec",
                                               "mp3",
                                               "-ac",
                                               "2",
                                               "-ar",
                                               "11025",
                                               "-ab",
                                               "64",
                                               "-s",
                                               "240x160",
                                               "-r",
                                               "15",
                                               "-b",
                                               "256",
                                               "-f",
                                               "flv",
                                               InFolder("/out", "clip.flv")};
    EXPECT_EQ(command.args, expected);
}

TEST(ProfileList, HoldsTheNineEntriesInOrder) {
    std::vector<std::string> entries;
    for (const engine::Profile& profile : engine::kProfiles) entries.push_back(profile.entry);
    EXPECT_EQ(
        entries,
        (std::vector<std::string>{
            "Custom Settings", "240x160,15fps,256kbps.mp3,stereo,11025hz",
            "240x160,15fps,256kbps,mp3,mono,11025hz", "320x240,20fps,256kbps,mp3,stereo,22050hz",
            "320x240,20fps,256kbps,mp3,mono,22050hz", "480x320,25fps,512kbps,mp3,stereo,44100hz",
            "480x320,25fps,512kbps,mp3,mono,44100hz",
            "640x360,25fps,1000kbps,h264,aac,stereo,44100hz",
            "1280x720,30fps,2500kbps,h264,aac,stereo,44100hz"}));
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
    EXPECT_EQ(engine::OutputPathOf("/in/clip", "/out"), InFolder("/out", "clip.flv"));
    // A dot in a folder name is not an extension.
    EXPECT_EQ(engine::TitleOf("/my.videos/clip"), "clip");
    EXPECT_EQ(engine::OutputPathOf("/my.videos/clip", "/out"), InFolder("/out", "clip.flv"));
    // A name that is all extension keeps it rather than giving an empty title.
    EXPECT_EQ(engine::TitleOf("/in/.avi"), ".avi");
    EXPECT_EQ(engine::OutputPathOf("/in/.avi", "/out"), InFolder("/out", ".avi.flv"));
    EXPECT_EQ(engine::TitleOf("/in/.hidden.avi"), ".hidden");
}

TEST(PathPieces, SeparatorIsAlwaysAddedToTheFolder) {
    EXPECT_EQ(engine::OutputPathOf("/in/clip.avi", "/out"), InFolder("/out", "clip.flv"));
    EXPECT_EQ(engine::OutputPathOf("/in/clip.avi", "/out/"), InFolder("/out/", "clip.flv"));
    EXPECT_EQ(engine::OutputPathOf("/in/clip.avi", "/"), InFolder("/", "clip.flv"));
    EXPECT_EQ(BuildFixedCommand("/in/clip.avi", "/", 3).args.back(), InFolder("/", "clip.flv"));
}

TEST(PathPieces, PathsWithBlanksStayOneArgument) {
    const std::string source = "/my videos/summer trip.part 1.avi";
    const CommandLine command = BuildFixedCommand(source, "/out put", 2);
    ASSERT_GE(command.args.size(), 6u);
    EXPECT_EQ(command.args[3], source);
    EXPECT_EQ(command.args[5], "summer trip.part 1");
    EXPECT_EQ(command.args.back(), InFolder("/out put", "summer trip.part 1.flv"));
    EXPECT_EQ(command.args.size(), 23u);
}

TEST(ProbeCommand, IsTheToolWithTheSourceAsInput) {
    EXPECT_EQ(BuildProbeCommand("/in/clip.avi").Text(),
              std::string(engine::kEncoderPath) + " -i /in/clip.avi");
    EXPECT_EQ(BuildProbeCommand("/in/a b.avi").args,
              (std::vector<std::string>{engine::kEncoderPath, "-i", "/in/a b.avi"}));
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
    ScopedEnv appData_{"APPDATA", config_.Path()};
};

constexpr char kDefaults[] = "-acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 12 -b 384 -f flv";

TEST_F(CustomCommand, MissingSettingsFileGivesTheDefaults) {
    EXPECT_EQ(Options(), kDefaults);
}

TEST_F(CustomCommand, CarriesNoTitle) {
    const CommandLine command = BuildCustomCommand("/in/clip.avi", "/out/clip.flv");
    EXPECT_EQ(command.Text(), std::string(engine::kEncoderPath) + " -y -i /in/clip.avi " +
                                  kDefaults + " /out/clip.flv");
}

TEST_F(CustomCommand, ConvertWithIndexZeroUsesTheCustomProfile) {
    WriteSettings({{"Resolution", "6"}});
    EXPECT_EQ(BuildConvertCommand("/in/a b.avi", "/out", 0).args,
              BuildCustomCommand("/in/a b.avi", InFolder("/out", "a b.flv")).args);
    EXPECT_EQ(BuildConvertCommand("/in/a b.avi", "/out", 0).args.back(),
              InFolder("/out", "a b.flv"));
}

// One key set, the others absent: its value's option takes the place of the default one.
// "Other" covers every value without an entry of its own, negative ones and non-numbers too
// ("abc" reads as 0).
TEST_F(CustomCommand, EachValueGivesItsOptionAndEveryOtherValueItsFallback) {
    struct Case {
        std::string key;
        const char* value;
        const char* option;
    };
    const Case cases[] = {
        {"Channel", "0", "-ac 1"},          {"Channel", "1", "-ac 2"},
        {"Channel", "5", "-ac 2"},          {"Channel", "-1", "-ac 2"},
        {"Channel", "abc", "-ac 1"},        {"SampleRate", "0", "-ar 11025"},
        {"SampleRate", "1", "-ar 22050"},   {"SampleRate", "2", "-ar 44100"},
        {"SampleRate", "3", "-ar 22050"},   {"SampleRate", "-1", "-ar 22050"},
        {"AudioBitRate", "0", "-ab 64"},    {"AudioBitRate", "1", "-ab 96"},
        {"AudioBitRate", "2", "-ab 128"},   {"AudioBitRate", "3", "-ab 160"},
        {"AudioBitRate", "4", "-ab 192"},   {"AudioBitRate", "5", "-ab 256"},
        {"AudioBitRate", "6", "-ab 64"},    {"AudioBitRate", "-1", "-ab 64"},
        {"Resolution", "0", "-s 240x160"},  {"Resolution", "1", "-s 320x240"},
        {"Resolution", "2", "-s 480x272"},  {"Resolution", "3", "-s 480x320"},
        {"Resolution", "4", "-s 480x368"},  {"Resolution", "5", "-s 512x384"},
        {"Resolution", "6", "-s 640x480"},  {"Resolution", "7", "-s 240x160"},
        {"Resolution", "-1", "-s 240x160"}, {"FrameRate", "0", ""},  // the source's rate: no -r
        {"FrameRate", "1", "-r 12"},        {"FrameRate", "2", "-r 15"},
        {"FrameRate", "3", "-r 20"},        {"FrameRate", "4", "-r 23.97"},
        {"FrameRate", "5", "-r 24"},        {"FrameRate", "6", "-r 25"},
        {"FrameRate", "7", "-r 29.97"},     {"FrameRate", "8", "-r 30"},
        {"FrameRate", "9", "-r 20"},        {"FrameRate", "-1", "-r 20"},
        {"BitRate", "0", "-b 256"},         {"BitRate", "1", "-b 384"},
        {"BitRate", "2", "-b 512"},         {"BitRate", "3", "-b 640"},
        {"BitRate", "4", "-b 768"},         {"BitRate", "5", "-b 900"},
        {"BitRate", "6", "-b 1500"},        {"BitRate", "7", "-b 256"},
        {"BitRate", "-1", "-b 256"},
    };
    const std::map<std::string, std::string> defaults = {
        {"Channel", "-ac 2"},         {"SampleRate", "-ar 22050"}, {"AudioBitRate", "-ab 96"},
        {"Resolution", "-s 320x240"}, {"FrameRate", "-r 12"},      {"BitRate", "-b 384"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key + "=" + c.value);
        std::string expected = kDefaults;
        const std::string& old = defaults.at(c.key);
        expected.replace(expected.find(old), old.size(), c.option);
        if (*c.option == '\0')
            expected.erase(expected.find("  "), 1);
        EXPECT_EQ(OptionsWith(c.key, c.value), expected);
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
