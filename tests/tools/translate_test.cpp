// The adapter's translation of legacy encoder command lines into today's FFmpeg syntax.
#include "tools/ffmpeg_adapter/translate.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "engine/profiles.h"

namespace {

using ffmpeg_adapter::TranslateArguments;
using Args = std::vector<std::string>;

Args Words(const std::string& text) {
    std::istringstream in(text);
    Args words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::string Joined(const Args& args) {
    std::string text;
    for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
    return text;
}

constexpr char kFirst[] = "-nostdin -loglevel level+info";

// What today's FFmpeg is given for each fixed profile's options, index 1 first.
TEST(TranslateArguments, EveryFixedProfileLine) {
    const std::vector<std::string> modern = {
        "-c:a libmp3lame -ac 2 -ar 11025 -b:a 64k -s 240x160 -r 15 -b:v 256k -f flv",
        "-c:a libmp3lame -ac 1 -ar 11025 -b:a 64k -s 240x160 -r 15 -b:v 256k -f flv",
        "-c:a libmp3lame -ac 2 -ar 22050 -b:a 96k -s 320x240 -r 20 -b:v 256k -f flv",
        "-c:a libmp3lame -ac 1 -ar 22050 -b:a 96k -s 320x240 -r 20 -b:v 256k -f flv",
        "-c:a libmp3lame -ac 2 -ar 44100 -b:a 96k -s 480x320 -r 25 -b:v 512k -f flv",
        "-c:a libmp3lame -ac 1 -ar 44100 -b:a 96k -s 480x320 -r 25 -b:v 512k -f flv",
        "-c:a aac -ac 2 -ar 44100 -b:a 128k -c:v libx264 -profile:v main -pix_fmt yuv420p -g 50 "
        "-vf scale=w=640:h=360:force_original_aspect_ratio=decrease:force_divisible_by=2 -r 25 "
        "-b:v 1000k -f flv",
        "-c:a aac -ac 2 -ar 44100 -b:a 128k -c:v libx264 -profile:v main -pix_fmt yuv420p -g 60 "
        "-vf scale=w=1280:h=720:force_original_aspect_ratio=decrease:force_divisible_by=2 -r 30 "
        "-b:v 2500k -f flv",
    };
    ASSERT_EQ(modern.size() + 1, static_cast<std::size_t>(engine::kProfileCount));
    for (int index = 1; index < engine::kProfileCount; ++index) {
        const std::string legacy = engine::kProfiles[index].options;
        SCOPED_TRACE(legacy);
        EXPECT_EQ(Joined(TranslateArguments(
                      Words("-y -i /in/clip.avi -title clip " + legacy + " /out/clip.flv"))),
                  std::string(kFirst) + " -y -i /in/clip.avi -metadata title=clip " +
                      modern[index - 1] + " /out/clip.flv");
    }
}

TEST(TranslateArguments, EveryOption) {
    const std::vector<std::pair<std::string, std::string>> options = {
        {"-ac 1", "-ac 1"},
        {"-ar 11025", "-ar 11025"},
        {"-ab 64", "-b:a 64k"},
        {"-ab 256", "-b:a 256k"},
        {"-s 240x160", "-s 240x160"},
        {"-r 23.97", "-r 23.97"},
        {"-b 1500", "-b:v 1500k"},
        {"-acodec mp3", "-c:a libmp3lame"},
        {"-acodec aac", "-c:a aac"},
        {"-vcodec libx264", "-c:v libx264"},
        {"-vprofile main", "-profile:v main"},
        {"-pix_fmt yuv420p", "-pix_fmt yuv420p"},
        {"-g 60", "-g 60"},
        {"-fit 1280x720",
         "-vf scale=w=1280:h=720:force_original_aspect_ratio=decrease:force_divisible_by=2"},
        {"-f flv", "-f flv"},
        // Values it cannot read are left for FFmpeg to judge.
        {"-ab 96k -b 1.5M -b -1", "-b:a 96k -b:v 1.5M -b:v -1"},
        {"-fit 640 -fit x360 -fit 640x -fit 6a0x360 -fit 640x360x2",
         "-fit 640 -fit x360 -fit 640x -fit 6a0x360 -fit 640x360x2"},
    };
    for (const auto& [legacy, modern] : options) {
        SCOPED_TRACE(legacy);
        EXPECT_EQ(Joined(TranslateArguments(Words(legacy))), std::string(kFirst) + " " + modern);
    }
    // The custom line carries no title, and a kept frame rate has no -r at all.
    EXPECT_EQ(Joined(TranslateArguments(Words("-y -i /in/a.avi -acodec mp3 -ac 2 -ar 22050 -ab "
                                              "96 -s 320x240 -b 384 -f flv /out/a.flv"))),
              std::string(kFirst) +
                  " -y -i /in/a.avi -c:a libmp3lame -ac 2 -ar 22050 -b:a 96k -s 320x240 "
                  "-b:v 384k -f flv /out/a.flv");
}

TEST(TranslateArguments, ProbeLineOnlyGainsTheFirstOptions) {
    EXPECT_EQ(Joined(TranslateArguments({"-i", "/in/clip.avi"})),
              std::string(kFirst) + " -i /in/clip.avi");
    EXPECT_EQ(Joined(TranslateArguments({})), kFirst);
}

TEST(TranslateArguments, ValuesAreNeverTakenForOptions) {
    // A title, source or output that reads like a legacy option stays what it is.
    EXPECT_EQ(TranslateArguments({"-y", "-i", "/in/-b", "-title", "-ab", "-b", "256", "-b"}),
              (Args{"-nostdin", "-loglevel", "level+info", "-y", "-i", "/in/-b", "-metadata",
                    "title=-ab", "-b:v", "256k", "-b"}));
    EXPECT_EQ(TranslateArguments({"-i", "-title", "-title", "-acodec"}),
              (Args{"-nostdin", "-loglevel", "level+info", "-i", "-title", "-metadata",
                    "title=-acodec"}));
}

TEST(TranslateArguments, BlanksAndSignsInTitlesStayOneArgument) {
    EXPECT_EQ(
        TranslateArguments({"-title", "summer trip = 2 parts"}),
        (Args{"-nostdin", "-loglevel", "level+info", "-metadata", "title=summer trip = 2 parts"}));
    EXPECT_EQ(TranslateArguments({"-title", ""}),
              (Args{"-nostdin", "-loglevel", "level+info", "-metadata", "title="}));
}

TEST(TranslateArguments, UnusualValuesPassOnUnchanged) {
    // An option missing its value is left for FFmpeg to report.
    EXPECT_EQ(TranslateArguments({"-i", "/in/a.avi", "-title"}),
              (Args{"-nostdin", "-loglevel", "level+info", "-i", "/in/a.avi", "-title"}));
    EXPECT_EQ(TranslateArguments({"-hide_banner", "-y"}),
              (Args{"-nostdin", "-loglevel", "level+info", "-hide_banner", "-y"}));
}

}  // namespace
