#include "platform/path_info.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

PathInfo Inspect(const std::string& path) {
    PathInfo info;
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0) {
        info.error = path.empty() ? ENOENT : errno;
        return info;
    }
    if (S_ISREG(status.st_mode))
        info.kind = PathInfo::Kind::Regular;
    else if (S_ISDIR(status.st_mode))
        info.kind = PathInfo::Kind::Folder;
    else
        info.kind = PathInfo::Kind::Other;
    info.size = static_cast<std::uint64_t>(status.st_size);
    info.device = static_cast<std::uint64_t>(status.st_dev);
    info.inode = static_cast<std::uint64_t>(status.st_ino);
    info.modified =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return info;
}

namespace {

bool Check(int result, int* error) {
    const int saved = errno;
    if (error)
        *error = result == 0 ? 0 : saved;
    return result == 0;
}

}  // namespace

bool CanRead(const std::string& path, int* error) {
    return Check(::access(path.c_str(), R_OK), error);
}

bool CanWriteInto(const std::string& folder, int* error) {
    return Check(::access(folder.c_str(), W_OK | X_OK), error);
}

}  // namespace platform
