// Conversion and probe command lines for the encoder tool.
#include "engine/command_line.h"

#include <sstream>

#include "engine/encoder_tool.h"
#include "settings/settings_file.h"

namespace engine {

const char* const kProfileNames[kProfileCount] = {
    "Custom Settings",
    "240x160,15fps,256kbps.mp3,stereo,11025hz",
    "240x160,15fps,256kbps,mp3,mono,11025hz",
    "320x240,20fps,256kbps,mp3,stereo,22050hz",
    "320x240,20fps,256kbps,mp3,mono,22050hz",
    "480x320,25fps,512kbps,mp3,stereo,44100hz",
    "480x320,25fps,512kbps,mp3,mono,44100hz",
};

namespace {

// Options of the fixed profiles 1 to 6, blank-separated.
const char* const kFixedOptions[kProfileCount] = {
    nullptr,
    "-acodec mp3 -ac 2 -ar 11025 -ab 64 -s 240x160 -r 15 -b 256 -f flv",
    "-acodec mp3 -ac 1 -ar 11025 -ab 64 -s 240x160 -r 15 -b 256 -f flv",
    "-acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 20 -b 256 -f flv",
    "-acodec mp3 -ac 1 -ar 22050 -ab 96 -s 320x240 -r 20 -b 256 -f flv",
    "-acodec mp3 -ac 2 -ar 44100 -ab 96 -s 480x320 -r 25 -b 512 -f flv",
    "-acodec mp3 -ac 1 -ar 44100 -ab 96 -s 480x320 -r 25 -b 512 -f flv",
};

// A profile list without a valid selection converts with the last profile.
constexpr int kFallbackProfile = 6;

void AppendWords(std::vector<std::string>& args, const std::string& words) {
    std::istringstream in(words);
    std::string word;
    while (in >> word) args.push_back(word);
}

// The file name part of a path: everything after its last "/".
std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int ReadChoice(const char* key, const char* defaultValue) {
    return settings::TextToInt(settings::ReadText(key, defaultValue));
}

const char* AudioChannels(int value) {
    return value == 0 ? "1" : "2";
}

const char* SampleRate(int value) {
    switch (value) {
        case 0:
            return "11025";
        case 2:
            return "44100";
        default:
            return "22050";
    }
}

const char* AudioBitRate(int value) {
    switch (value) {
        case 1:
            return "96";
        case 2:
            return "128";
        case 3:
            return "160";
        case 4:
            return "192";
        case 5:
            return "256";
        default:
            return "64";
    }
}

const char* FrameSize(int value) {
    switch (value) {
        case 1:
            return "320x240";
        case 2:
            return "480x272";
        case 3:
            return "480x320";
        case 4:
            return "480x368";
        case 5:
            return "512x384";
        case 6:
            return "640x480";
        default:
            return "240x160";
    }
}

// nullptr: keep the source's frame rate (no -r at all).
const char* FrameRate(int value) {
    switch (value) {
        case 0:
            return nullptr;
        case 1:
            return "12";
        case 2:
            return "15";
        case 4:
            return "23.97";
        case 5:
            return "24";
        case 6:
            return "25";
        case 7:
            return "29.97";
        case 8:
            return "30";
        default:
            return "20";
    }
}

const char* VideoBitRate(int value) {
    switch (value) {
        case 1:
            return "384";
        case 2:
            return "512";
        case 3:
            return "640";
        case 4:
            return "768";
        case 5:
            return "900";
        case 6:
            return "1500";
        default:
            return "256";
    }
}

}  // namespace

std::string CommandLine::Text() const {
    std::string text;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0)
            text += ' ';
        text += args[i];
    }
    return text;
}

std::string TitleOf(const std::string& source) {
    const std::string name = FileNameOf(source);
    const auto dot = name.rfind('.');
    // No extension, or a name that is all extension (".avi"): the whole name is the title,
    // so the title is never empty for a non-empty name.
    if (dot == std::string::npos || dot == 0)
        return name;
    return name.substr(0, dot);
}

std::string OutputFileNameOf(const std::string& source) {
    return TitleOf(source) + ".flv";
}

std::string OutputPathOf(const std::string& source, const std::string& folder) {
    return folder + "/" + OutputFileNameOf(source);
}

CommandLine BuildFixedCommand(const std::string& source, const std::string& folder,
                              int profileIndex) {
    if (profileIndex < 1 || profileIndex >= kProfileCount)
        profileIndex = kFallbackProfile;
    CommandLine command;
    command.args = {kEncoderPath, "-y", "-i", source, "-title", TitleOf(source)};
    AppendWords(command.args, kFixedOptions[profileIndex]);
    command.args.push_back(OutputPathOf(source, folder));
    return command;
}

CommandLine BuildCustomCommand(std::string source, std::string outputPath) {
    CommandLine command;
    auto& args = command.args;
    args = {kEncoderPath, "-y", "-i", std::move(source)};

    // Read in this order, each option appended right after its key is read.
    ReadChoice(settings::kAudioEncoder, "0");  // one choice only: always MP3
    args.insert(args.end(), {"-acodec", "mp3"});
    args.insert(args.end(), {"-ac", AudioChannels(ReadChoice(settings::kChannel, "1"))});
    args.insert(args.end(), {"-ar", SampleRate(ReadChoice(settings::kSampleRate, "1"))});
    args.insert(args.end(), {"-ab", AudioBitRate(ReadChoice(settings::kAudioBitRate, "1"))});
    args.insert(args.end(), {"-s", FrameSize(ReadChoice(settings::kResolution, "1"))});
    if (const char* rate = FrameRate(ReadChoice(settings::kFrameRate, "1")))
        args.insert(args.end(), {"-r", rate});
    args.insert(args.end(), {"-b", VideoBitRate(ReadChoice(settings::kBitRate, "1"))});
    ReadChoice(settings::kEncoder, "0");  // one choice only: always FLV
    args.insert(args.end(), {"-f", "flv"});

    args.push_back(std::move(outputPath));
    return command;
}

CommandLine BuildConvertCommand(const std::string& source, const std::string& folder,
                                int profileIndex) {
    if (profileIndex == kCustomProfile)
        return BuildCustomCommand(source, OutputPathOf(source, folder));
    return BuildFixedCommand(source, folder, profileIndex);
}

CommandLine BuildProbeCommand(const std::string& source) {
    CommandLine command;
    command.args = {kEncoderPath, "-i", source};
    return command;
}

}  // namespace engine
