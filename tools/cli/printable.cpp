#include "printable.h"

namespace cli {

std::string Printable(std::string_view text, platform::path::Style style) {
    const bool keepBackslash = style == platform::path::Style::Windows;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\':
                out += keepBackslash ? "\\" : "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (byte < 0x20 || byte == 0x7f) {
                    out += "\\x";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xf];
                } else {
                    out += c;
                }
        }
    }
    return out;
}

}  // namespace cli
