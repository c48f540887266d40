#include "platform/dir_list.h"

#include <windows.h>

#include "platform/path.h"
#include "platform/wide_text.h"

namespace platform {

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(WidePath(path::Join(folder, "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(std::vector<FolderEntry>())
                                                        : std::nullopt;
    std::vector<FolderEntry> entries;
    do {
        FolderEntry entry;
        entry.name = Utf8FromWide(found.cFileName);
        if (entry.name == "." || entry.name == "..")
            continue;
        const DWORD attributes = found.dwFileAttributes;
        entry.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            entry.kind = FolderEntry::Kind::Folder;
        else if (!(attributes & FILE_ATTRIBUTE_DEVICE))
            entry.kind = FolderEntry::Kind::File;
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return entries;
}

}  // namespace platform
