#include "platform/path_info.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {

PathInfo Inspect(const std::string& path) {
    PathInfo status;
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        status.error = path.empty() ? ENOENT : errno;
        return status;
    }
    if (S_ISREG(info.st_mode))
        status.kind = PathInfo::Kind::Regular;
    else if (S_ISDIR(info.st_mode))
        status.kind = PathInfo::Kind::Folder;
    else
        status.kind = PathInfo::Kind::Other;
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.device = static_cast<std::uint64_t>(info.st_dev);
    status.inode = static_cast<std::uint64_t>(info.st_ino);
    return status;
}

std::string ErrorText(int error) {
    return std::strerror(error);
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

bool RenameFile(const std::string& from, const std::string& to, int* error) {
    return Check(::rename(from.c_str(), to.c_str()), error);
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path.front() == '/')
        return path;
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return path;  // no current folder to resolve against
        buffer.resize(buffer.size() * 2);
    }
    std::string folder = buffer.data();
    if (folder.back() != '/')
        folder += '/';
    return path.empty() ? folder : folder + path;
}

int OnlineCores() {
    const long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
    return cores < 1 ? 1 : static_cast<int>(cores);
}

}  // namespace platform
