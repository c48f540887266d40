// The adapter's unit rewriting on any output: what it forwards, flushed at the end, is the same
// however the output is split into pieces, and no piece is held back after a flush.
//
// Input: four bytes that choose the pieces, then FFmpeg's output.
#include "tools/ffmpeg_adapter/kib_rewriter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    std::minstd_rand pieces(provider.ConsumeIntegral<std::uint32_t>());
    const std::string output = provider.ConsumeRemainingBytesAsString();

    ffmpeg_adapter::KibRewriter whole;
    std::string expected = whole.Feed(output);
    expected += whole.Flush();
    Check(!whole.Holding());

    ffmpeg_adapter::KibRewriter byByte;
    std::string forwarded;
    for (const char c : output) forwarded += byByte.Feed(std::string_view(&c, 1));
    forwarded += byByte.Flush();
    Check(forwarded == expected);

    ffmpeg_adapter::KibRewriter inPieces;
    forwarded.clear();
    for (std::size_t pos = 0; pos < output.size();) {
        const std::size_t length = std::min<std::size_t>(pieces() % 64, output.size() - pos);
        forwarded += inPieces.Feed(std::string_view(output).substr(pos, length));
        pos += length;
    }
    forwarded += inPieces.Flush();
    Check(forwarded == expected);
    // Only "KiB" after a figure changes, to the shorter "kB".
    Check(forwarded.size() <= output.size());
    return 0;
}
