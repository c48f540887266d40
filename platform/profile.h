// The private-profile functions on INI files: read a value as text or as an integer, write
// one value. Each call reads the file afresh and keeps no state, so calls from different
// threads may overlap; a write replaces the file atomically, so a reader sees either the
// old or the new file, never a half-written one. Files are 8-bit text, or UTF-16 when they
// begin with its byte-order mark (values then come and go as UTF-8, and a write keeps the
// file in UTF-16 of the same byte order).
#pragma once

#include "platform/fs.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The buffer size that reads a value whole, however long.
inline constexpr std::size_t kWholeValue = static_cast<std::size_t>(-1);

// A private-profile file is small; a larger file (a link to /dev/zero, say) is not read at all,
// and counts as absent. So does anything that is not a regular file (a FIFO would block).
inline constexpr std::size_t kMaxProfileFileSize = 4 * 1024 * 1024;

// Why `file` cannot be read as a profile file (it is no regular file, or larger than
// kMaxProfileFileSize), or "" when it can or when it does not exist.
std::string ProfileFileProblem(const std::string& file);

// The value of `key` in `section` of `file`, or `defaultValue` (less its trailing spaces)
// when the file, the section or the key is absent. Either is cut as a character buffer of
// `bufferSize` bytes would cut it (at most bufferSize - 1 bytes); kWholeValue cuts nothing.
// `section` and `key` lose leading and trailing spaces.
std::string ReadProfileText(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& defaultValue,
                            std::size_t bufferSize);

// The value turned into an integer by the standard text-to-integer conversion, or
// `defaultValue` when the file, the section or the key is absent or the value is empty.
int ReadProfileInt(const std::string& file, const std::string& section, const std::string& key,
                   int defaultValue);

// The values of several keys of `section`, from one reading of `file`, in the order of `keys`;
// nothing for a key that is absent (as for every key when the file or the section is).
std::vector<std::optional<std::string>> ReadProfileValues(const std::string& file,
                                                          const std::string& section,
                                                          const std::vector<std::string>& keys);

// Sets `key` in `section` of `file` to `value`, creating the file (and its folder), the
// section and the key as needed; every other line stays as it is. `section` and `key` lose
// leading and trailing spaces. A failure says why when the arguments would break the file's
// structure, the value cannot be put into the file's encoding, or the file cannot be read or
// replaced (a read-only file is not); the file is then unchanged. Writers of one file, in this
// process or another, take turns through a lock on "<file>.lock" beside it, so that no
// update is lost between reading the file and replacing it.
FileStatus WriteProfileText(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value);

}  // namespace platform
