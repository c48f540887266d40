#include "platform/ini_text.h"

#include <climits>
#include <cstdint>

namespace platform::ini {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kNewLine = "\r\n";

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Blanks trimmed from lines, names and values inside the file.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

std::size_t BomLength(std::string_view text) {
    return text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
}

// One physical line: its content and where the next line starts (after CRLF, CR or LF).
struct Line {
    std::size_t begin = 0;
    std::string_view content;
    std::size_t next = 0;
};

Line LineAt(std::string_view text, std::size_t begin) {
    std::size_t end = begin;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    std::size_t next = end;
    if (next < text.size()) {
        next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
    }
    return {begin, text.substr(begin, end - begin), next};
}

enum class Kind { kHeader, kComment, kKey, kOther };

// What a line is, with the section name (headers) or the key and raw value (key lines).
struct Parsed {
    Kind kind = Kind::kOther;
    std::string_view name;
    std::string_view value;
};

Parsed Parse(std::string_view content) {
    const std::string_view trimmed = TrimBlanks(content);
    if (trimmed.empty())
        return {};
    if (trimmed.front() == '[') {
        // The name ends at the first "]"; a missing "]" is accepted, text after it ignored.
        std::string_view name = trimmed.substr(1);
        name = name.substr(0, name.find(']'));
        return {Kind::kHeader, TrimBlanks(name), {}};
    }
    if (trimmed.front() == ';')
        return {Kind::kComment, {}, {}};
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return {};
    return {Kind::kKey, TrimBlanks(trimmed.substr(0, equals)),
            TrimBlanks(trimmed.substr(equals + 1))};
}

std::string_view StripOuterQuotes(std::string_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool EndsWithLineBreak(std::string_view text) {
    return !text.empty() && IsLineBreak(text.back());
}

std::string KeyLine(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += EncodeValue(value);
    return line;
}

}  // namespace

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return TrimTrailingSpaces(text);
}

std::string_view TrimTrailingSpaces(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
    bool inSection = false;
    for (std::size_t pos = BomLength(text); pos < text.size();) {
        const Line line = LineAt(text, pos);
        pos = line.next;
        const Parsed parsed = Parse(line.content);
        if (parsed.kind == Kind::kHeader) {
            // Only the first section of that name is searched.
            if (inSection)
                return std::nullopt;
            inSection = EqualsIgnoringCase(parsed.name, section);
        } else if (inSection && parsed.kind == Kind::kKey && EqualsIgnoringCase(parsed.name, key)) {
            return std::string(StripOuterQuotes(parsed.value));
        }
    }
    return std::nullopt;
}

std::optional<std::string> WriteArgumentError(std::string_view section, std::string_view key,
                                              std::string_view value) {
    const auto hasLineBreak = [](std::string_view s) {
        return s.find_first_of("\r\n") != std::string_view::npos;
    };
    if (hasLineBreak(section))
        return "the section name contains a line break";
    if (section.find(']') != std::string_view::npos)
        return "the section name contains \"]\"";
    if (hasLineBreak(key))
        return "the key contains a line break";
    if (key.find('=') != std::string_view::npos)
        return "the key contains \"=\"";
    const std::string_view trimmedKey = TrimBlanks(key);
    if (!trimmedKey.empty() && (trimmedKey.front() == ';' || trimmedKey.front() == '[')) {
        return "the key begins with \"" + std::string(1, trimmedKey.front()) + "\"";
    }
    if (hasLineBreak(value))
        return "the value contains a line break";
    return std::nullopt;
}

std::string EncodeValue(std::string_view value) {
    const bool changedByReading =
        !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                           StripOuterQuotes(value).size() != value.size());
    if (!changedByReading)
        return std::string(value);
    std::string quoted = "\"";
    quoted += value;
    quoted += '"';
    return quoted;
}

std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value) {
    bool inSection = false;
    // Where a new key goes: after the header or the section's last key line.
    std::size_t insertAt = std::string_view::npos;
    for (std::size_t pos = BomLength(text); pos < text.size();) {
        const Line line = LineAt(text, pos);
        pos = line.next;
        const Parsed parsed = Parse(line.content);
        if (parsed.kind == Kind::kHeader) {
            if (inSection)
                break;
            if (insertAt == std::string_view::npos && EqualsIgnoringCase(parsed.name, section)) {
                inSection = true;
                insertAt = line.next;
            }
        } else if (inSection && parsed.kind == Kind::kKey) {
            if (EqualsIgnoringCase(parsed.name, key)) {
                const std::size_t contentEnd = line.begin + line.content.size();
                std::string result(text.substr(0, line.begin));
                result += KeyLine(parsed.name, value);
                result += line.next > contentEnd ? text.substr(contentEnd, line.next - contentEnd)
                                                 : kNewLine;
                result += text.substr(line.next);
                return result;
            }
            insertAt = line.next;
        }
    }

    std::string result;
    std::string addition;
    if (insertAt == std::string_view::npos) {
        insertAt = text.size();
        addition = "[" + std::string(section) + "]" + std::string(kNewLine);
    }
    addition += KeyLine(key, value);
    addition += kNewLine;
    result.reserve(text.size() + addition.size() + kNewLine.size());
    result += text.substr(0, insertAt);
    // Something that is not just a byte-order mark and does not end a line gets a line break.
    if (insertAt > BomLength(text) && !EndsWithLineBreak(result))
        result += kNewLine;
    result += addition;
    result += text.substr(insertAt);
    return result;
}

std::string CutToBufferSize(std::string_view value, std::size_t bufferSize) {
    if (bufferSize == 0)
        return {};
    std::size_t cut = bufferSize - 1;
    if (value.size() <= cut)
        return std::string(value);
    const auto isContinuation = [&](std::size_t i) {
        return (static_cast<unsigned char>(value[i]) & 0xC0) == 0x80;
    };
    if (isContinuation(cut)) {
        // Walk back to the lead byte of the sequence the cut falls into.
        std::size_t lead = cut;
        while (lead > 0 && cut - lead < 3 && isContinuation(lead - 1)) --lead;
        if (lead > 0) {
            const auto byte = static_cast<unsigned char>(value[lead - 1]);
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 0;
            if (byte < 0xF8 && length > cut - (lead - 1))
                cut = lead - 1;
        }
    }
    return std::string(value.substr(0, cut));
}

int ParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude, stopping just past what an int can hold.
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(INT_MAX) + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kLimit)
            magnitude = kLimit;
    }
    if (negative)
        return static_cast<int>(-magnitude);
    return static_cast<int>(magnitude > INT_MAX ? INT_MAX : magnitude);
}

}  // namespace platform::ini
