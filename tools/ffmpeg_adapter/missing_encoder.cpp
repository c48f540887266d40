#include "tools/ffmpeg_adapter/missing_encoder.h"

namespace ffmpeg_adapter {

namespace {

constexpr std::string_view kUnknownLibx264 = "Unknown encoder 'libx264'";

}  // namespace

void MissingEncoderWatch::Feed(std::string_view data) {
    if (seen_)
        return;
    std::string text = tail_;
    text.append(data);
    seen_ = text.find(kUnknownLibx264) != std::string::npos;
    const std::size_t keep = kUnknownLibx264.size() - 1;
    tail_ = text.size() > keep ? text.substr(text.size() - keep) : text;
}

}  // namespace ffmpeg_adapter
