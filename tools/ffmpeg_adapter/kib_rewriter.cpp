// Streaming "KiB" to "kB" rewrite.
#include "tools/ffmpeg_adapter/kib_rewriter.h"

#include <cctype>

namespace ffmpeg_adapter {

namespace {

constexpr std::string_view kKibiUnit = "KiB";
constexpr std::string_view kKiloUnit = "kB";

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

std::string KibRewriter::Feed(std::string_view data) {
    std::string text = held_;
    text.append(data);
    held_.clear();

    std::string out;
    out.reserve(text.size());
    const std::string_view view(text);
    std::size_t i = 0;
    while (i < view.size()) {
        const std::string_view rest = view.substr(i);
        const bool afterDigit = IsDigit(out.empty() ? lastForwarded_ : out.back());
        if (afterDigit && rest.substr(0, kKibiUnit.size()) == kKibiUnit) {
            out.append(kKiloUnit);
            i += kKibiUnit.size();
            continue;
        }
        if (afterDigit && rest.size() < kKibiUnit.size() &&
            kKibiUnit.substr(0, rest.size()) == rest) {
            held_ = std::string(rest);  // may become "KiB" with the next piece
            break;
        }
        out.push_back(view[i]);
        ++i;
    }
    if (!out.empty())
        lastForwarded_ = out.back();
    return out;
}

std::string KibRewriter::Flush() {
    std::string out;
    out.swap(held_);
    if (!out.empty())
        lastForwarded_ = out.back();
    return out;
}

}  // namespace ffmpeg_adapter
