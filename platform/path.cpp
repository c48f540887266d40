#include "platform/path.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace platform::path {
namespace {

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The position just past the separator that ends the component starting at `from`, or the
// end of `path` when no separator follows.
std::size_t PastComponent(std::string_view path, std::size_t from, Style style) {
    while (from < path.size() && !IsSeparator(path[from], style)) ++from;
    return from < path.size() ? from + 1 : path.size();
}

bool StartsWithPrefix(std::string_view path, std::string_view prefix) {
    if (path.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const bool slashes = prefix[i] == '\\';
        if (slashes ? !IsSeparator(path[i], Style::Windows) : path[i] != prefix[i])
            return false;
    }
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::size_t WindowsRootLength(std::string_view path) {
    const Style w = Style::Windows;
    // Verbatim and device prefixes: "\\?\UNC\server\share\", "\\?\C:\", "\\.\NAME\".
    if (StartsWithPrefix(path, "\\\\?\\") || StartsWithPrefix(path, "\\\\.\\")) {
        const std::string_view rest = path.substr(4);
        if (rest.size() >= 4 && EqualsNoCase(rest.substr(0, 3), "UNC") && IsSeparator(rest[3], w))
            return PastComponent(path, PastComponent(path, 8, w), w);
        if (rest.size() >= 2 && IsDriveLetter(rest[0]) && rest[1] == ':')
            return rest.size() >= 3 && IsSeparator(rest[2], w) ? 7 : 6;
        return PastComponent(path, 4, w);
    }
    // A share: "\\server\share\".
    if (path.size() >= 2 && IsSeparator(path[0], w) && IsSeparator(path[1], w))
        return PastComponent(path, PastComponent(path, 2, w), w);
    // A drive: "C:\" or "C:" (its current folder).
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':')
        return path.size() >= 3 && IsSeparator(path[2], w) ? 3 : 2;
    // The current drive's root: "\".
    return !path.empty() && IsSeparator(path[0], w) ? 1 : 0;
}

// The position of the last separator after the root, or npos.
std::size_t LastSeparator(std::string_view path, std::size_t root, Style style) {
    for (std::size_t i = path.size(); i > root; --i)
        if (IsSeparator(path[i - 1], style))
            return i - 1;
    return std::string_view::npos;
}

// Names Windows keeps for devices in every folder, whatever their extension.
constexpr std::array<std::string_view, 4> kDeviceNames = {"CON", "PRN", "AUX", "NUL"};
constexpr std::array<std::string_view, 2> kNumberedDeviceNames = {"COM", "LPT"};

}  // namespace

bool IsWindowsDeviceName(std::string_view name) {
    const std::string_view base = name.substr(0, name.find('.'));
    // "CON .avi" is CON as well: spaces before the extension are dropped.
    const std::string_view trimmed = base.substr(0, base.find_last_not_of(' ') + 1);
    for (std::string_view device : kDeviceNames)
        if (EqualsNoCase(trimmed, device))
            return true;
    for (std::string_view device : kNumberedDeviceNames)
        if (trimmed.size() == 4 && EqualsNoCase(trimmed.substr(0, 3), device) &&
            trimmed[3] >= '1' && trimmed[3] <= '9')
            return true;
    return false;
}

namespace {

std::string NameProblem(std::string_view name) {
    const std::string quoted = "\"" + std::string(name) + "\"";
    if (name == "." || name == "..")
        return {};
    if (IsWindowsDeviceName(name))
        return quoted + " is a name Windows keeps for a device";
    if (name.back() == '.' || name.back() == ' ')
        return quoted + " ends in a dot or a space, which Windows drops";
    if (name.find(':') != std::string_view::npos)
        return quoted + " names an alternate data stream (\":\")";
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("<>\"|?*").find(c) != std::string_view::npos)
            return quoted + " holds a character Windows does not allow in a name";
    return {};
}

}  // namespace

std::size_t RootLength(std::string_view path, Style style) {
    if (style == Style::Windows)
        return WindowsRootLength(path);
    return !path.empty() && path[0] == '/' ? 1 : 0;
}

bool IsAbsolute(std::string_view path, Style style) {
    const std::size_t root = RootLength(path, style);
    if (style == Style::Posix)
        return root == 1;
    // "\" and "C:" depend on the current drive or its current folder.
    return root > 2 || (root == 2 && IsSeparator(path[0], style));
}

std::string Join(std::string_view folder, std::string_view name, Style style) {
    std::string joined(folder);
    if (!joined.empty() && !IsSeparator(joined.back(), style) &&
        !(style == Style::Windows && RootLength(joined, style) == joined.size() &&
          joined.back() == ':'))
        joined += Separator(style);
    joined += name;
    return joined;
}

std::string Parent(std::string_view path, Style style) {
    const std::size_t root = RootLength(path, style);
    const std::size_t last = LastSeparator(path, root, style);
    if (last == std::string_view::npos)
        return std::string(path.substr(0, root));
    return std::string(path.substr(0, last));
}

std::string FileName(std::string_view path, Style style) {
    const std::size_t root = RootLength(path, style);
    const std::size_t last = LastSeparator(path, root, style);
    return std::string(path.substr(last == std::string_view::npos ? root : last + 1));
}

std::string Stem(std::string_view path, Style style) {
    const std::string name = FileName(path, style);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return name;
    return name.substr(0, dot);
}

std::string WindowsProblem(std::string_view path, Style style) {
    if (style != Style::Windows || path.empty())
        return {};
    if (StartsWithPrefix(path, "\\\\.\\"))
        return "\"" + std::string(path) + "\" is a device path, not a file";
    std::size_t from = RootLength(path, style);
    // The verbatim prefix hands names over as they are, so they are checked all the same.
    while (from < path.size()) {
        const std::size_t end = PastComponent(path, from, style);
        std::string_view name = path.substr(from, end - from);
        if (!name.empty() && IsSeparator(name.back(), style))
            name.remove_suffix(1);
        if (!name.empty())
            if (std::string problem = NameProblem(name); !problem.empty())
                return problem;
        from = end;
    }
    return {};
}

std::string VerbatimForm(std::string_view path) {
    if (StartsWithPrefix(path, "\\\\?\\") || StartsWithPrefix(path, "\\\\.\\") ||
        !IsAbsolute(path, Style::Windows))
        return std::string(path);
    std::string verbatim(path);
    // The system takes the rest of a verbatim path as it stands: '/' would be part of a name.
    std::replace(verbatim.begin(), verbatim.end(), '/', '\\');
    if (IsSeparator(path[0], Style::Windows))  // "\\server\share\x"
        return "\\\\?\\UNC\\" + verbatim.substr(2);
    return "\\\\?\\" + verbatim;
}

}  // namespace platform::path
