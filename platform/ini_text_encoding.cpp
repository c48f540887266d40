#include "platform/ini_text_encoding.h"

namespace platform::ini {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLowSurrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::string& out, char32_t unit, bool bigEndian) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

// The next character of UTF-8 `text` at `pos` (advanced past it), or nothing when the bytes
// there are not a well-formed sequence (overlong forms and surrogates included).
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - pos < length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c))
        return std::nullopt;
    pos += length;
    return c;
}

}  // namespace

DecodedText DecodeText(std::string_view raw) {
    const bool le = raw.size() >= 2 && raw[0] == '\xFF' && raw[1] == '\xFE';
    const bool be = raw.size() >= 2 && raw[0] == '\xFE' && raw[1] == '\xFF';
    if (!le && !be)
        return {TextEncoding::kBytes, std::string(raw)};
    DecodedText decoded{le ? TextEncoding::kUtf16Le : TextEncoding::kUtf16Be, {}};
    decoded.text.reserve(raw.size());
    const auto unitAt = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(raw[i]);
        const auto second = static_cast<unsigned char>(raw[i + 1]);
        return le ? (second << 8 | first) : (first << 8 | second);
    };
    std::size_t i = 2;
    for (; i + 1 < raw.size(); i += 2) {
        const char32_t unit = unitAt(i);
        if (IsHighSurrogate(unit) && i + 3 < raw.size() && IsLowSurrogate(unitAt(i + 2))) {
            AppendUtf8(decoded.text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00));
            i += 2;
        } else {
            AppendUtf8(decoded.text,
                       IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit);
        }
    }
    if (i < raw.size())
        AppendUtf8(decoded.text, kReplacement);
    return decoded;
}

std::optional<std::string> EncodeText(std::string_view text, TextEncoding encoding) {
    if (encoding == TextEncoding::kBytes)
        return std::string(text);
    const bool bigEndian = encoding == TextEncoding::kUtf16Be;
    std::string out;
    out.reserve(2 + text.size() * 2);
    AppendUtf16(out, 0xFEFF, bigEndian);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::optional<char32_t> c = NextUtf8(text, pos);
        if (!c)
            return std::nullopt;
        if (*c >= 0x10000) {
            AppendUtf16(out, 0xD800 + ((*c - 0x10000) >> 10), bigEndian);
            AppendUtf16(out, 0xDC00 + ((*c - 0x10000) & 0x3FF), bigEndian);
        } else {
            AppendUtf16(out, *c, bigEndian);
        }
    }
    return out;
}

}  // namespace platform::ini
