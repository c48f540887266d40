// The text encodings a settings file may be saved in. Files are 8-bit text (UTF-8 or not),
// used byte for byte, unless they begin with a UTF-16 byte-order mark, as Windows tools save
// "Unicode" files; those are read, and written back, in UTF-16 of the same byte order.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::ini {

enum class TextEncoding { kBytes, kUtf16Le, kUtf16Be };

struct DecodedText {
    TextEncoding encoding = TextEncoding::kBytes;
    std::string text;  // UTF-8 for UTF-16 files, without the byte-order mark
};

// The file's encoding as its first bytes announce it, and its text. A UTF-16 unit that is not
// part of a character (a lone surrogate, an odd last byte) reads as U+FFFD.
DecodedText DecodeText(std::string_view raw);

// `text` in `encoding`, with the byte-order mark for UTF-16; nothing when `text` is not valid
// UTF-8 and so has no UTF-16 form. For kBytes, `text` itself.
std::optional<std::string> EncodeText(std::string_view text, TextEncoding encoding);

}  // namespace platform::ini
