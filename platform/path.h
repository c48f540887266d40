// Paths as text: the one place that knows how a path is spelled on each system. Pure functions
// on UTF-8 strings; nothing here looks at the disk.
//
// POSIX paths have '/' as their only separator and one root, "/". Windows paths take '\' and
// '/' alike and have several kinds of root: a drive ("C:\", "C:/"; "C:" alone is relative to
// that drive's current folder), a share ("\\server\share\"), and the verbatim and device
// prefixes ("\\?\C:\", "\\?\UNC\server\share\", "\\.\COM1").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::path {

enum class Style { Posix, Windows };

#ifdef _WIN32
inline constexpr Style kNative = Style::Windows;
#else
inline constexpr Style kNative = Style::Posix;
#endif

// The separator that joins a folder and a name.
constexpr char Separator(Style style = kNative) {
    return style == Style::Windows ? '\\' : '/';
}

constexpr bool IsSeparator(char c, Style style = kNative) {
    return c == '/' || (style == Style::Windows && c == '\\');
}

// How many leading characters of `path` are its root, separator included ("/", "C:\",
// "\\server\share\", "\\?\C:\"); 0 for a relative path.
std::size_t RootLength(std::string_view path, Style style = kNative);

// True when `path` names the same place whatever the current folder (and, on Windows, the
// current drive): "/x"; "C:\x", "\\server\share\x", "\\?\...". Not "\x" or "C:x" on Windows.
bool IsAbsolute(std::string_view path, Style style = kNative);

// `name` inside `folder`, with one separator between them; `name` alone when `folder` is "".
std::string Join(std::string_view folder, std::string_view name, Style style = kNative);

// The folder part: everything before the last separator, the root for a name in the root
// ("/" for "/a", "C:\" for "C:\a"), the root itself for a root, "" for a bare name.
std::string Parent(std::string_view path, Style style = kNative);

// The name part: everything after the last separator and the root ("" for a root).
std::string FileName(std::string_view path, Style style = kNative);

// The name without its extension (the last dot and what follows). A name with no dot, or
// whose only dot leads it (".avi"), is its own stem, so that a stem is never empty.
std::string Stem(std::string_view path, Style style = kNative);

// Why Windows would not let `path` name the file it seems to name, or "" when it would:
// a device path ("\\.\"), a name it reserves for a device ("CON", "nul.avi", "COM1"), a name
// ending in a dot or a space (which Windows drops, naming another file), a ':' after the
// drive (an alternate data stream, "movie.avi:hidden") or a character no name may hold. A path
// longer than the classic limit of 260 characters is no problem: the Windows functions of
// platform/ hand it to the system in the "\\?\" form that has no such limit.
// Always "" for the POSIX style.
std::string WindowsProblem(std::string_view path, Style style = kNative);

// An absolute Windows path in the verbatim form that the system's wide functions take at any
// length: "C:\x" as "\\?\C:\x", "\\server\share\x" as "\\?\UNC\server\share\x", with '/' turned
// into '\'. The system does not clean a verbatim path up, so `path` must already be whole (no
// "." or ".." parts). A path already verbatim, a device path and a relative path are returned as
// they are.
std::string VerbatimForm(std::string_view path);

// True for a name Windows keeps for a device in every folder ("CON", "nul.avi", "COM1").
bool IsWindowsDeviceName(std::string_view name);

// The classic length limit of a Windows path, terminating null included.
inline constexpr std::size_t kWindowsMaxPath = 260;

}  // namespace platform::path
