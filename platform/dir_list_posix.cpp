#include "platform/dir_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <string_view>

namespace platform {
namespace {

FolderEntry::Kind KindOf(mode_t mode) {
    if (S_ISREG(mode))
        return FolderEntry::Kind::File;
    if (S_ISDIR(mode))
        return FolderEntry::Kind::Folder;
    return FolderEntry::Kind::Other;
}

}  // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return std::nullopt;
    const int fd = ::dirfd(dir);
    std::vector<FolderEntry> entries;
    while (const dirent* found = ::readdir(dir)) {
        const std::string_view name = found->d_name;
        if (name == "." || name == "..")
            continue;
        FolderEntry entry;
        entry.name = std::string(name);
        struct stat status {};
        if (::fstatat(fd, found->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.link = S_ISLNK(status.st_mode);
            if (!entry.link)
                entry.kind = KindOf(status.st_mode);
            else if (::fstatat(fd, found->d_name, &status, 0) == 0)
                entry.kind = KindOf(status.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return entries;
}

}  // namespace platform
