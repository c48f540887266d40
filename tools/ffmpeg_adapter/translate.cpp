// Legacy option spellings to today's FFmpeg.
#include "tools/ffmpeg_adapter/translate.h"

#include <cctype>

namespace ffmpeg_adapter {

namespace {

// Options of the legacy command lines that are followed by a value.
bool TakesValue(const std::string& option) {
    static const char* const kValueOptions[] = {"-i",  "-title", "-acodec", "-ac", "-ar",
                                                "-ab", "-s",     "-r",      "-b",  "-f"};
    for (const char* known : kValueOptions)
        if (option == known)
            return true;
    return false;
}

// A bare number such as "96" or "1.5", which FFmpeg would read as bits per second.
bool IsBareNumber(const std::string& value) {
    bool digit = false;
    bool dot = false;
    for (char c : value) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digit = true;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            return false;
        }
    }
    return digit;
}

// A kbit/s figure in FFmpeg's spelling; values that already carry a unit stay as they are.
std::string KiloBits(const std::string& value) {
    return IsBareNumber(value) ? value + "k" : value;
}

}  // namespace

std::vector<std::string> TranslateArguments(const std::vector<std::string>& legacy) {
    std::vector<std::string> out{"-nostdin"};
    for (std::size_t i = 0; i < legacy.size(); ++i) {
        const std::string& option = legacy[i];
        if (!TakesValue(option) || i + 1 == legacy.size()) {
            out.push_back(option);
            continue;
        }
        const std::string& value = legacy[++i];
        if (option == "-title") {
            out.insert(out.end(), {"-metadata", "title=" + value});
        } else if (option == "-ab") {
            out.insert(out.end(), {"-b:a", KiloBits(value)});
        } else if (option == "-b") {
            out.insert(out.end(), {"-b:v", KiloBits(value)});
        } else if (option == "-acodec" && value == "mp3") {
            out.insert(out.end(), {"-c:a", "libmp3lame"});
        } else {
            out.insert(out.end(), {option, value});
        }
    }
    return out;
}

}  // namespace ffmpeg_adapter
