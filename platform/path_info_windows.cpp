// PathInfo from the file's handle: its volume's serial number and its index on that volume
// name a file whatever the path's spelling (MinGW's stat gives every file the same inode 0).
#include <windows.h>

#include <cerrno>
#include <string>

#include "platform/path.h"
#include "platform/path_info.h"
#include "platform/wide_text.h"
#include "platform/windows_error.h"

namespace platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsDevicePath(const std::string& path) {
    return path.size() >= 4 && path::IsSeparator(path[0]) && path::IsSeparator(path[1]) &&
           path[2] == '.' && path::IsSeparator(path[3]);
}

bool Check(bool ok, int* error) {
    const DWORD failure = ok ? 0 : ::GetLastError();
    if (error)
        *error = ok ? 0 : ErrnoFromSystemError(failure);
    return ok;
}

}  // namespace

PathInfo Inspect(const std::string& path) {
    PathInfo info;
    if (path.empty()) {
        info.error = ENOENT;
        return info;
    }
    // A device is never opened: opening one may wait, or do something.
    if (IsDevicePath(path) || path::IsWindowsDeviceName(path::FileName(path))) {
        info.kind = PathInfo::Kind::Other;
        return info;
    }
    // Opened for no access at all, which no other program's sharing mode refuses; a folder
    // opens only with backup semantics.
    HANDLE file = ::CreateFileW(WidePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        info.error = ErrnoFromSystemError(::GetLastError());
        return info;
    }
    BY_HANDLE_FILE_INFORMATION about{};
    const bool known = ::GetFileInformationByHandle(file, &about) != 0;
    const DWORD type = ::GetFileType(file);
    const DWORD failure = ::GetLastError();
    ::CloseHandle(file);
    if (!known) {
        info.error = ErrnoFromSystemError(failure);
        return info;
    }
    if (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        info.kind = PathInfo::Kind::Folder;
    else if (type == FILE_TYPE_DISK)
        info.kind = PathInfo::Kind::Regular;
    else
        info.kind = PathInfo::Kind::Other;
    info.size = (static_cast<std::uint64_t>(about.nFileSizeHigh) << 32) | about.nFileSizeLow;
    info.device = about.dwVolumeSerialNumber;
    info.inode = (static_cast<std::uint64_t>(about.nFileIndexHigh) << 32) | about.nFileIndexLow;
    // FILETIME counts 100 ns from 1601.
    const std::int64_t ticks = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(about.ftLastWriteTime.dwHighDateTime) << 32) |
        about.ftLastWriteTime.dwLowDateTime);
    info.modified = (ticks - 116444736000000000LL) * 100;
    return info;
}

bool CanRead(const std::string& path, int* error) {
    HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Check(file != INVALID_HANDLE_VALUE, error))
        return false;
    ::CloseHandle(file);
    return true;
}

// Windows has no access() worth the name (ACLs, read-only media, shares): a file is made and
// gone again.
bool CanWriteInto(const std::string& folder, int* error) {
    static volatile LONG serial = 0;
    const std::string probe =
        path::Join(folder, ".vantrel-write-" + std::to_string(::GetCurrentProcessId()) + "-" +
                               std::to_string(::InterlockedIncrement(&serial)));
    HANDLE file = ::CreateFileW(
        WidePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (!Check(file != INVALID_HANDLE_VALUE, error))
        return false;
    ::CloseHandle(file);
    return true;
}

}  // namespace platform
