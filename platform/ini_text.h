// Pure functions over the text of an INI file as the Windows private-profile functions read
// and write it: "[Section]" headers, "key=value" lines, ";" comments. No I/O here.
//
// Reading follows Windows: blanks around section names, keys and values are trimmed; names
// match without regard to (ASCII) case; only the first of duplicate sections or keys counts;
// keys above the first header belong to no section; one outer pair of matching quotes is
// removed from a value. A UTF-8 byte-order mark at the start is skipped.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::ini {

// Removes leading and trailing spaces (0x20 only), as done to section and key arguments.
std::string_view TrimSpaces(std::string_view text);

// Removes trailing spaces (0x20 only), as done to the default text of a read.
std::string_view TrimTrailingSpaces(std::string_view text);

// The value of `key` in the first section named `section`, without its outer quotes, or
// nothing when the section or the key is absent. `section` and `key` are compared as given
// (callers trim them first).
std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// Why `section`, `key` and `value` cannot be written without breaking the file's structure
// (a line break anywhere, "]" in the section, "=" in the key, a key that would read as a
// comment or header), or nothing when they can.
std::optional<std::string> WriteArgumentError(std::string_view section, std::string_view key,
                                              std::string_view value);

// The text to put after "key=" so that FindValue returns `value` again: the value itself,
// or the value in double quotes when trimming or quote removal would change it.
std::string EncodeValue(std::string_view value);

// `text` with `key` in `section` set to `value`. An existing key line becomes
// "key=value" with the key's spelling and line ending kept; a new key follows the
// section's last key line; a new section goes at the end. New lines end in CRLF.
// Every other byte of `text` is kept. Arguments must pass WriteArgumentError.
std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

// `value` as seen through a character buffer of `bufferSize` bytes: at most bufferSize - 1
// bytes, shortened further so that a UTF-8 sequence is not split.
std::string CutToBufferSize(std::string_view value, std::size_t bufferSize);

// The standard text-to-integer conversion: leading white space, an optional sign, then
// decimal digits up to the first non-digit; 0 when no digit follows. Out-of-range numbers
// saturate at the int limits.
int ParseInt(std::string_view text);

}  // namespace platform::ini
