// The INI text functions on any text and any arguments: a value written with SetValue reads
// back unchanged and leaves every other key's value alone; EncodeValue round-trips; cutting to
// a buffer keeps a prefix and whole UTF-8 sequences; ParseInt is the standard conversion; UTF-16
// decoding and encoding agree.
//
// Input: three strings (section, key, value, each ended by "\ " as FuzzedDataProvider reads
// them), then the INI text.
#include "platform/ini_text.h"
#include "platform/ini_text_encoding.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace ini = platform::ini;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// Reading trims blanks around names, so only names without them come back as written.
bool ReadsAsWritten(std::string_view name) {
    return name.empty() || (!IsBlank(name.front()) && !IsBlank(name.back()));
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view name) {
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    return name;
}

// Up to 32 (section, key) pairs that the lines of `text` name, read roughly as the INI reader
// does, with each key also paired with `section`.
std::vector<std::pair<std::string, std::string>> NamesIn(std::string_view text,
                                                         const std::string& section) {
    std::vector<std::pair<std::string, std::string>> names;
    std::string current;
    for (std::size_t begin = 0; begin < text.size() && names.size() < 32;) {
        std::size_t end = text.find_first_of("\r\n", begin);
        if (end == text.npos)
            end = text.size();
        const std::string_view line = TrimBlanks(text.substr(begin, end - begin));
        begin = end + 1;
        if (!line.empty() && line.front() == '[') {
            current = TrimBlanks(line.substr(1, line.find(']') - 1));
        } else if (!line.empty() && line.front() != ';' && line.find('=') != line.npos) {
            const std::string key(TrimBlanks(line.substr(0, line.find('='))));
            names.emplace_back(current, key);
            names.emplace_back(section, key);
        }
    }
    return names;
}

bool IsUtf8(std::string_view text) {
    return ini::EncodeText(text, ini::TextEncoding::kUtf16Le).has_value();
}

// The C library's conversion, brought into the range of int as ParseInt saturates it.
int ReferenceParseInt(std::string_view text) {
    const std::string terminated(text.substr(0, text.find('\0')));
    errno = 0;
    const long value = std::strtol(terminated.c_str(), nullptr, 10);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string section = provider.ConsumeRandomLengthString(64);
    const std::string key = provider.ConsumeRandomLengthString(64);
    const std::string value = provider.ConsumeRandomLengthString(300);
    const std::string text = provider.ConsumeRemainingBytesAsString();

    const std::optional<std::string> before = ini::FindValue(text, section, key);
    Check(ini::ParseInt(value) == ReferenceParseInt(value));
    for (const std::size_t buffer :
         {std::size_t{0}, std::size_t{1}, std::size_t{4}, value.size(), std::size_t{260}}) {
        const std::string cut = ini::CutToBufferSize(value, buffer);
        Check(value.compare(0, cut.size(), cut) == 0);
        Check(buffer == 0 ? cut.empty() : cut.size() <= buffer - 1);
        Check(!IsUtf8(value) || IsUtf8(cut));
        // At most the last three bytes of a split sequence are dropped.
        Check(buffer == 0 || cut.size() + 3 >= std::min(value.size(), buffer - 1));
    }

    const ini::DecodedText decoded = ini::DecodeText(text);
    const std::optional<std::string> encoded = ini::EncodeText(decoded.text, decoded.encoding);
    if (decoded.encoding == ini::TextEncoding::kBytes) {
        Check(encoded == text);
    } else {
        Check(encoded.has_value());
        Check(ini::DecodeText(*encoded).text == decoded.text);
    }

    if (ini::WriteArgumentError(section, key, value) || !ReadsAsWritten(section) ||
        !ReadsAsWritten(key))
        return 0;
    const std::string encodedValue = ini::EncodeValue(value);
    Check(ini::FindValue("[s]\n" + std::string("k=") + encodedValue, "s", "k") == value);

    const std::string after = ini::SetValue(text, section, key, value);
    Check(ini::FindValue(after, section, key) == value);
    // Every other key keeps its value: the names found in the text, and other keys of the
    // section written.
    for (const auto& [otherSection, otherKey] : NamesIn(text, section)) {
        if (EqualIgnoringAsciiCase(otherSection, section) && EqualIgnoringAsciiCase(otherKey, key))
            continue;
        Check(ini::FindValue(after, otherSection, otherKey) ==
              ini::FindValue(text, otherSection, otherKey));
    }
    // Writing the value read before gives back a text with the same values.
    if (before && !ini::WriteArgumentError(section, key, *before))
        Check(ini::FindValue(ini::SetValue(after, section, key, *before), section, key) == before);
    return 0;
}
