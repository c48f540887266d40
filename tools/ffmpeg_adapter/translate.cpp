// Legacy option spellings to today's FFmpeg.
#include "tools/ffmpeg_adapter/translate.h"

#include <cctype>
#include <optional>

namespace ffmpeg_adapter {

namespace {

using Value = std::optional<std::string>;

Value Same(const std::string& value) {
    return value;
}

Value Title(const std::string& value) {
    return "title=" + value;
}

Value AudioCodec(const std::string& value) {
    return value == "mp3" ? "libmp3lame" : value;
}

// Digits alone, at least one.
bool IsDigits(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
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
Value KiloBits(const std::string& value) {
    return IsBareNumber(value) ? value + "k" : value;
}

// "WxH" as a scale filter that fits the picture inside W by H, keeping the source's aspect and
// rounding both sides down to even numbers, as H.264 in 4:2:0 needs.
Value FitInside(const std::string& value) {
    const auto x = value.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    const std::string width = value.substr(0, x);
    const std::string height = value.substr(x + 1);
    if (!IsDigits(width) || !IsDigits(height))
        return std::nullopt;
    return "scale=w=" + width + ":h=" + height +
           ":force_original_aspect_ratio=decrease:force_divisible_by=2";
}

// Every legacy option that takes a value: its spelling today and what becomes of its value.
struct Rule {
    const char* legacy;
    const char* modern;
    Value (*value)(const std::string&);
};

constexpr Rule kRules[] = {
    {"-i", "-i", Same},        {"-title", "-metadata", Title},    {"-acodec", "-c:a", AudioCodec},
    {"-vcodec", "-c:v", Same}, {"-vprofile", "-profile:v", Same}, {"-ac", "-ac", Same},
    {"-ar", "-ar", Same},      {"-ab", "-b:a", KiloBits},         {"-b", "-b:v", KiloBits},
    {"-s", "-s", Same},        {"-fit", "-vf", FitInside},        {"-r", "-r", Same},
    {"-g", "-g", Same},        {"-pix_fmt", "-pix_fmt", Same},    {"-f", "-f", Same},
};

const Rule* RuleFor(const std::string& option) {
    for (const Rule& rule : kRules)
        if (option == rule.legacy)
            return &rule;
    return nullptr;
}

}  // namespace

std::vector<std::string> TranslateArguments(const std::vector<std::string>& legacy) {
    std::vector<std::string> out{"-nostdin", "-loglevel", "level+info"};
    for (std::size_t i = 0; i < legacy.size(); ++i) {
        const std::string& option = legacy[i];
        const Rule* rule = RuleFor(option);
        if (rule == nullptr || i + 1 == legacy.size()) {
            out.push_back(option);
            continue;
        }
        const std::string& value = legacy[++i];
        if (const Value modern = rule->value(value))
            out.insert(out.end(), {rule->modern, *modern});
        else
            out.insert(out.end(), {option, value});
    }
    return out;
}

}  // namespace ffmpeg_adapter
