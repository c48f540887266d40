// File locks and the other file helpers of fs.h that need a handle, on Windows. A lock is a
// byte-range lock on one byte far past any file's end: Windows enforces a range lock on reads
// and writes of that range only, so the locked file stays writable for FFmpeg and readable
// for everyone, and the lock is advisory as it is on POSIX. The system drops it when the
// handle closes or the process ends, however it ends.
#include <windows.h>

#include <cerrno>

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/wide_text.h"
#include "platform/windows_error.h"

namespace platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLockOffsetHigh = 0x40000000;  // byte 2^62: no file reaches it

// The reason is the same text as on POSIX where the error has an errno of its own, so that a
// message reads alike on both systems; the system's own text otherwise.
FileStatus LastCallFailed(const char* what, const std::string& path) {
    const DWORD error = ::GetLastError();
    const int number = ErrnoFromSystemError(error);
    const std::string reason = number == EIO ? SystemErrorText(error) : ErrorText(number);
    return FileStatus(std::string(what) + " " + path + ": " + reason, number);
}

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Locks the lock byte of `file`; with `wait` false, fails at once (ERROR_LOCK_VIOLATION) when
// another handle holds it.
bool LockByte(HANDLE file, bool wait) {
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return ::LockFileEx(file, flags, 0, 1, 0, &at) != 0;
}

// True when `file` is still the file that `path` names (not removed or replaced meanwhile).
bool StillNamed(HANDLE file, const std::string& path) {
    BY_HANDLE_FILE_INFORMATION opened{};
    if (!::GetFileInformationByHandle(file, &opened))
        return false;
    HANDLE named = ::CreateFileW(WidePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (named == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION now{};
    const bool known = ::GetFileInformationByHandle(named, &now) != 0;
    ::CloseHandle(named);
    return known && now.dwVolumeSerialNumber == opened.dwVolumeSerialNumber &&
           now.nFileIndexHigh == opened.nFileIndexHigh && now.nFileIndexLow == opened.nFileIndexLow;
}

// Opens the regular file at `path` (not a link, a folder or a device); INVALID_HANDLE_VALUE,
// with the last error set, for anything else.
HANDLE OpenExisting(const std::string& path, DWORD access) {
    HANDLE file = ::CreateFileW(WidePath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return file;
    BY_HANDLE_FILE_INFORMATION about{};
    if (!::GetFileInformationByHandle(file, &about) || ::GetFileType(file) != FILE_TYPE_DISK ||
        (about.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        ::CloseHandle(file);
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

}  // namespace

void FileLock::Release() {
    if (handle_ != kNone) {
        if (!removeOnRelease_.empty())
            ::DeleteFileW(WidePath(removeOnRelease_).c_str());  // gone once the handle closes
        ::CloseHandle(AsHandle(handle_));                       // closing drops the lock
    }
    handle_ = kNone;
    removeOnRelease_.clear();
}

FileLock FileLock::Wait(const std::string& path, FileStatus* status) {
    for (;;) {
        HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            // The holder before us is removing it: its name is busy for a moment.
            if (::GetLastError() == ERROR_ACCESS_DENIED) {
                ::Sleep(10);
                continue;
            }
            if (status)
                *status = LastCallFailed("cannot open the lock file", path);
            return {};
        }
        if (!LockByte(file, true)) {
            if (status)
                *status = LastCallFailed("cannot lock", path);
            ::CloseHandle(file);
            return {};
        }
        if (StillNamed(file, path))
            return FileLock(reinterpret_cast<std::intptr_t>(file), path);
        ::CloseHandle(file);
    }
}

FileLock FileLock::Create(const std::string& path, Claim* claim, FileStatus* status) {
    auto fail = [&](Claim outcome, FileStatus why) {
        *claim = outcome;
        if (status)
            *status = std::move(why);
        return FileLock();
    };
    for (int round = 0; round < 8; ++round) {
        HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            LockByte(file, true);
            if (StillNamed(file, path)) {
                *claim = Claim::Created;
                return FileLock(reinterpret_cast<std::intptr_t>(file));
            }
            ::CloseHandle(file);
            continue;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED) {  // being removed this moment
            ::Sleep(10);
            continue;
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            ::SetLastError(error);
            return fail(Claim::Failed, LastCallFailed("cannot create", path));
        }
        HANDLE existing = OpenExisting(path, GENERIC_READ);
        if (existing == INVALID_HANDLE_VALUE) {
            const DWORD why = ::GetLastError();
            if (why == ERROR_FILE_NOT_FOUND)
                continue;
            if (why == ERROR_SHARING_VIOLATION)
                return fail(Claim::Busy, FileStatus(path + " is held by another program", EBUSY));
            return fail(Claim::Failed,
                        FileStatus(path + " is in the way and is not a file Vantrel made", EEXIST));
        }
        if (!LockByte(existing, false)) {
            ::CloseHandle(existing);
            return fail(Claim::Busy, FileStatus(path + " is held by another process", EBUSY));
        }
        if (StillNamed(existing, path))
            ::DeleteFileW(WidePath(path).c_str());
        ::CloseHandle(existing);
    }
    return fail(Claim::Failed, FileStatus("cannot create " + path + ": it keeps changing", EBUSY));
}

bool RemoveIfUnlocked(const std::string& path) {
    HANDLE file = OpenExisting(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool removed = false;
    if (LockByte(file, false) && StillNamed(file, path))
        removed = ::DeleteFileW(WidePath(path).c_str()) != 0;
    ::CloseHandle(file);
    return removed;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(WidePath(path::Join(folder, "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = Utf8FromWide(found.cFileName);
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

// The folders Vantrel keeps private live in the user's own profile, which Windows already
// keeps from other users; what is checked here is that it is a real folder.
FileStatus EnsurePrivateFolder(const std::string& path) {
    if (!::CreateDirectoryW(WidePath(path).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        return LastCallFailed("cannot create folder", path);
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return LastCallFailed("cannot look at", path);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return FileStatus(path + " is not a folder but a link or a file", ENOTDIR);
    return {};
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes,
                                           FileStatus* status) {
    auto fail = [&](FileStatus why) -> std::optional<std::string> {
        if (status)
            *status = std::move(why);
        return std::nullopt;
    };
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return fail(LastCallFailed("cannot read", path));
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return fail(FileStatus::FromError("cannot read " + path, EISDIR));
    if (path::IsWindowsDeviceName(path::FileName(path)))
        return fail(FileStatus("cannot read " + path + ": it is not a regular file", EINVAL));
    HANDLE file = OpenExisting(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) {
        if (::GetLastError() == ERROR_INVALID_PARAMETER)
            return fail(FileStatus("cannot read " + path + ": it is not a regular file", EINVAL));
        return fail(LastCallFailed("cannot read", path));
    }
    std::string content;
    FileStatus why;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
            why = LastCallFailed("cannot read", path);
            break;
        }
        if (read == 0)
            break;
        if (content.size() + read > maxBytes) {
            why = FileStatus("cannot read " + path + ": it is larger than " +
                                 std::to_string(maxBytes) + " bytes",
                             EFBIG);
            break;
        }
        content.append(buffer, read);
    }
    ::CloseHandle(file);
    if (!why)
        return fail(std::move(why));
    return content;
}

}  // namespace platform
