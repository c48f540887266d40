// UTF-8, the text of every header here, to and from the UTF-16 of Windows' wide functions.
// Used by the *_windows.cpp files only; wchar_t is UTF-16 there.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Invalid UTF-8 (or a lone surrogate in UTF-16) turns into U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// `path` for a wide file function: a long absolute path (248 characters or more, where
// CreateDirectoryW's limit lies) is made whole and given in its verbatim form, "\\?\C:\..." or
// "\\?\UNC\server\share\...", which has no length limit; any other path is only converted.
std::wstring WidePath(std::string_view path);

}  // namespace platform
