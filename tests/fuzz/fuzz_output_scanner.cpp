// The encoder output scanner on any output: the same bytes give the same results however the
// reads split them (whole, byte by byte, in pieces of random sizes), and no input makes it or
// its progress figure misbehave.
//
// Input: four bytes that choose the pieces, then the tool's output.
#include "engine/output_scanner.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Equal, NaN included: the scanner's figures must not depend on the split either way.
bool SameNumber(const std::optional<double>& a, const std::optional<double>& b) {
    if (a.has_value() != b.has_value())
        return false;
    return !a || std::memcmp(&*a, &*b, sizeof(double)) == 0;
}

void CheckSame(const engine::OutputScanner& a, const engine::OutputScanner& b) {
    Check(a.DurationText() == b.DurationText());
    Check(SameNumber(a.DurationSeconds(), b.DurationSeconds()));
    Check(a.SizeKb() == b.SizeKb());
    Check(SameNumber(a.TimeSeconds(), b.TimeSeconds()));
    Check(a.DecodeFailed() == b.DecodeFailed());
    Check(a.LastLine() == b.LastLine());
    for (const unsigned long sourceKb :
         {0ul, 1ul, 1000ul, 4294967295ul, static_cast<unsigned long>(-1)})
        Check(a.Progress(sourceKb) == b.Progress(sourceKb));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    std::minstd_rand pieces(provider.ConsumeIntegral<std::uint32_t>());
    const std::string output = provider.ConsumeRemainingBytesAsString();

    engine::OutputScanner whole;
    whole.Feed(output);
    whole.Finish();

    engine::OutputScanner byByte;
    for (const char c : output) byByte.Feed(std::string_view(&c, 1));
    byByte.Finish();
    CheckSame(whole, byByte);

    engine::OutputScanner inPieces;
    for (std::size_t pos = 0; pos < output.size();) {
        const std::size_t length = std::min<std::size_t>(pieces() % 300, output.size() - pos);
        inPieces.Feed(std::string_view(output).substr(pos, length));  // empty reads too
        pos += length;
    }
    inPieces.Finish();
    CheckSame(whole, inPieces);
    return 0;
}
