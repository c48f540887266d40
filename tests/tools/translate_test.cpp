// The adapter's translation of legacy encoder command lines into today's FFmpeg syntax.
#include "tools/ffmpeg_adapter/translate.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

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

TEST(TranslateArguments, EveryFixedProfileLine) {
    const std::vector<std::pair<std::string, std::string>> profiles = {
        {"-acodec mp3 -ac 2 -ar 11025 -ab 64 -s 240x160 -r 15 -b 256 -f flv",
         "-c:a libmp3lame -ac 2 -ar 11025 -b:a 64k -s 240x160 -r 15 -b:v 256k -f flv"},
        {"-acodec mp3 -ac 1 -ar 11025 -ab 64 -s 240x160 -r 15 -b 256 -f flv",
         "-c:a libmp3lame -ac 1 -ar 11025 -b:a 64k -s 240x160 -r 15 -b:v 256k -f flv"},
        {"-acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 20 -b 256 -f flv",
         "-c:a libmp3lame -ac 2 -ar 22050 -b:a 96k -s 320x240 -r 20 -b:v 256k -f flv"},
        {"-acodec mp3 -ac 1 -ar 22050 -ab 96 -s 320x240 -r 20 -b 256 -f flv",
         "-c:a libmp3lame -ac 1 -ar 22050 -b:a 96k -s 320x240 -r 20 -b:v 256k -f flv"},
        {"-acodec mp3 -ac 2 -ar 44100 -ab 96 -s 480x320 -r 25 -b 512 -f flv",
         "-c:a libmp3lame -ac 2 -ar 44100 -b:a 96k -s 480x320 -r 25 -b:v 512k -f flv"},
        {"-acodec mp3 -ac 1 -ar 44100 -ab 96 -s 480x320 -r 25 -b 512 -f flv",
         "-c:a libmp3lame -ac 1 -ar 44100 -b:a 96k -s 480x320 -r 25 -b:v 512k -f flv"},
    };
    for (const auto& [legacy, modern] : profiles) {
        SCOPED_TRACE(legacy);
        EXPECT_EQ(Joined(TranslateArguments(
                      Words("-y -i /in/clip.avi -title clip " + legacy + " /out/clip.flv"))),
                  "-nostdin -y -i /in/clip.avi -metadata title=clip " + modern + " /out/clip.flv");
    }
}

TEST(TranslateArguments, EveryCustomChoice) {
    const std::vector<std::pair<std::string, std::string>> options = {
        {"-ac 1", "-ac 1"},           {"-ac 2", "-ac 2"},
        {"-ar 11025", "-ar 11025"},   {"-ar 22050", "-ar 22050"},
        {"-ar 44100", "-ar 44100"},   {"-ab 64", "-b:a 64k"},
        {"-ab 96", "-b:a 96k"},       {"-ab 128", "-b:a 128k"},
        {"-ab 160", "-b:a 160k"},     {"-ab 192", "-b:a 192k"},
        {"-ab 256", "-b:a 256k"},     {"-s 240x160", "-s 240x160"},
        {"-s 320x240", "-s 320x240"}, {"-s 480x272", "-s 480x272"},
        {"-s 480x320", "-s 480x320"}, {"-s 480x368", "-s 480x368"},
        {"-s 512x384", "-s 512x384"}, {"-s 640x480", "-s 640x480"},
        {"-r 12", "-r 12"},           {"-r 15", "-r 15"},
        {"-r 20", "-r 20"},           {"-r 23.97", "-r 23.97"},
        {"-r 24", "-r 24"},           {"-r 25", "-r 25"},
        {"-r 29.97", "-r 29.97"},     {"-r 30", "-r 30"},
        {"-b 256", "-b:v 256k"},      {"-b 384", "-b:v 384k"},
        {"-b 512", "-b:v 512k"},      {"-b 640", "-b:v 640k"},
        {"-b 768", "-b:v 768k"},      {"-b 900", "-b:v 900k"},
        {"-b 1500", "-b:v 1500k"},    {"-acodec mp3", "-c:a libmp3lame"},
        {"-f flv", "-f flv"},
    };
    for (const auto& [legacy, modern] : options) {
        SCOPED_TRACE(legacy);
        EXPECT_EQ(Joined(TranslateArguments(Words(legacy))), "-nostdin " + modern);
    }
    // The custom line carries no title, and a kept frame rate has no -r at all.
    EXPECT_EQ(Joined(TranslateArguments(Words("-y -i /in/a.avi -acodec mp3 -ac 2 -ar 22050 -ab "
                                              "96 -s 320x240 -b 384 -f flv /out/a.flv"))),
              "-nostdin -y -i /in/a.avi -c:a libmp3lame -ac 2 -ar 22050 -b:a 96k -s 320x240 "
              "-b:v 384k -f flv /out/a.flv");
}

TEST(TranslateArguments, ProbeLineOnlyGainsNostdin) {
    EXPECT_EQ(TranslateArguments({"-i", "/in/clip.avi"}), (Args{"-nostdin", "-i", "/in/clip.avi"}));
    EXPECT_EQ(TranslateArguments({}), (Args{"-nostdin"}));
}

TEST(TranslateArguments, ValuesAreNeverTakenForOptions) {
    // A title, source or output that reads like a legacy option stays what it is.
    EXPECT_EQ(
        TranslateArguments({"-y", "-i", "/in/-b", "-title", "-ab", "-b", "256", "-b"}),
        (Args{"-nostdin", "-y", "-i", "/in/-b", "-metadata", "title=-ab", "-b:v", "256k", "-b"}));
    EXPECT_EQ(TranslateArguments({"-i", "-title", "-title", "-acodec"}),
              (Args{"-nostdin", "-i", "-title", "-metadata", "title=-acodec"}));
}

TEST(TranslateArguments, BlanksAndSignsInTitlesStayOneArgument) {
    EXPECT_EQ(TranslateArguments({"-title", "summer trip = 2 parts"}),
              (Args{"-nostdin", "-metadata", "title=summer trip = 2 parts"}));
    EXPECT_EQ(TranslateArguments({"-title", ""}), (Args{"-nostdin", "-metadata", "title="}));
}

TEST(TranslateArguments, UnusualValuesPassOnUnchanged) {
    EXPECT_EQ(TranslateArguments({"-acodec", "aac"}), (Args{"-nostdin", "-acodec", "aac"}));
    EXPECT_EQ(TranslateArguments({"-ab", "96k", "-b", "1.5M"}),
              (Args{"-nostdin", "-b:a", "96k", "-b:v", "1.5M"}));
    EXPECT_EQ(TranslateArguments({"-b", "-1"}), (Args{"-nostdin", "-b:v", "-1"}));
    // An option missing its value is left for FFmpeg to report.
    EXPECT_EQ(TranslateArguments({"-i", "/in/a.avi", "-title"}),
              (Args{"-nostdin", "-i", "/in/a.avi", "-title"}));
    EXPECT_EQ(TranslateArguments({"-hide_banner", "-y"}), (Args{"-nostdin", "-hide_banner", "-y"}));
}

}  // namespace
