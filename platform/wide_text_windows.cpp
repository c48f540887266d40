#include <windows.h>

#include "platform/path.h"
#include "platform/wide_text.h"

namespace platform {

std::wstring WideFromUtf8(std::string_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

namespace {

// CreateDirectoryW takes 12 characters less than the classic limit without the prefix (room
// for an 8.3 name inside the new folder).
constexpr std::size_t kPlainPathMax = path::kWindowsMaxPath - 12;

}  // namespace

std::wstring WidePath(std::string_view path) {
    std::wstring wide = WideFromUtf8(path);
    if (wide.size() < kPlainPathMax || !path::IsAbsolute(path) || path::VerbatimForm(path) == path)
        return wide;
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return wide;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return wide;
    full.resize(length);
    return WideFromUtf8(path::VerbatimForm(Utf8FromWide(full)));
}

}  // namespace platform
