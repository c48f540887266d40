// The adapter's translation of command lines on any arguments: "-nostdin" always comes first,
// the result depends on the arguments alone, and no input makes it misbehave.
//
// Input: the arguments, separated by NUL bytes.
#include "tools/ffmpeg_adapter/translate.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> legacy;
    for (std::size_t begin = 0; begin <= input.size();) {
        std::size_t end = input.find('\0', begin);
        if (end == input.npos)
            end = input.size();
        legacy.emplace_back(input.substr(begin, end - begin));
        begin = end + 1;
    }
    const std::vector<std::string> modern = ffmpeg_adapter::TranslateArguments(legacy);
    if (modern.empty() || modern.front() != "-nostdin")
        std::abort();
    if (ffmpeg_adapter::TranslateArguments(legacy) != modern)
        std::abort();
    return 0;
}
