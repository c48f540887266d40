// Files and folders through the wide functions, with UTF-8 paths and errno values outside.
#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/wide_text.h"
#include "platform/windows_error.h"

namespace platform {

FileStatus::FileStatus(std::string message, int error)
    : error_(error == 0 ? EIO : error), message_(std::move(message)) {}

FileStatus FileStatus::FromError(const std::string& what, int error) {
    return FileStatus(what + ": " + ErrorText(error), error);
}

std::string ErrorText(int error) {
    if (error == EBUSY)
        return "another program has the file open";
    // The runtime keeps the text per thread.
    return std::strerror(error);
}

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// How long a rename waits for another program (a virus scanner, an indexer, a preview) to
// let go of one of its files.
constexpr auto kBusyFor = std::chrono::seconds(2);

// The failure of the call that has just failed, "<what> <path>: <reason>", with the system's
// own text for its reason.
// The reason is the same text as on POSIX where the error has an errno of its own, so that a
// message reads alike on both systems; the system's own text otherwise.
FileStatus LastCallFailed(const char* what, const std::string& path) {
    const DWORD error = ::GetLastError();
    const int number = ErrnoFromSystemError(error);
    const std::string reason = number == EIO ? SystemErrorText(error) : ErrorText(number);
    return FileStatus(std::string(what) + " " + path + ": " + reason, number);
}

bool Busy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

// True when another program has `path` open without letting others remove or rename it.
bool HeldOpen(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        return false;
    }
    return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

// MoveFileExW, tried again for a while when another program holds one of the files. Windows
// refuses to replace a file that is held open with "access denied", as it refuses a file this
// user may not change: a failure is reported as a sharing violation when one of the files is
// held open at the end.
bool Move(const std::string& from, const std::string& to, DWORD flags) {
    const std::wstring source = WidePath(from);
    const std::wstring target = WidePath(to);
    const auto giveUp = std::chrono::steady_clock::now() + kBusyFor;
    for (;;) {
        if (::MoveFileExW(source.c_str(), target.c_str(), flags | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        if (!Busy(error) || std::chrono::steady_clock::now() >= giveUp) {
            const bool held =
                error == ERROR_ACCESS_DENIED && (HeldOpen(target) || HeldOpen(source));
            ::SetLastError(held ? ERROR_SHARING_VIOLATION : error);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::SetLastError(error);
    }
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR folder = nullptr;
    std::string result;
    if (::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK && folder)
        result = Utf8FromWide(folder);
    ::CoTaskMemFree(folder);
    return result;
}

std::string Environment(const wchar_t* name) {
    const wchar_t* value = ::_wgetenv(name);
    return value ? Utf8FromWide(value) : std::string();
}

}  // namespace

bool FolderExists(const std::string& path) {
    if (path.empty())
        return false;
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileStatus CreateFolder(const std::string& path) {
    if (path.empty())
        return FileStatus("cannot create a folder without a name", ENOENT);
    if (!::CreateDirectoryW(WidePath(path).c_str(), nullptr))
        return LastCallFailed("cannot create folder", path);
    return {};
}

FileStatus CreateFolderTree(const std::string& path) {
    if (path.empty())
        return FileStatus("cannot create a folder without a name", ENOENT);
    if (FolderExists(path))
        return {};
    const std::string parent = path::Parent(path);
    if (!parent.empty() && parent != path && !FolderExists(parent)) {
        if (FileStatus made = CreateFolderTree(parent); !made)
            return made;
    }
    if (::CreateDirectoryW(WidePath(path).c_str(), nullptr))
        return {};
    const FileStatus failed = LastCallFailed("cannot create folder", path);
    // Another process may have made it in the meantime.
    if (failed.Error() == EEXIST && FolderExists(path))
        return {};
    return failed;
}

bool PathExists(const std::string& path) {
    return !path.empty() && ::GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

FileStatus RemoveFile(const std::string& path) {
    if (!::DeleteFileW(WidePath(path).c_str())) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {};
        ::SetLastError(error);
        return LastCallFailed("cannot remove", path);
    }
    return {};
}

FileStatus RenameFile(const std::string& from, const std::string& to, ExistingTarget existing) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when a file stands at `to`, in one step.
    const DWORD flags = existing == ExistingTarget::Replace ? MOVEFILE_REPLACE_EXISTING : 0;
    if (!Move(from, to, flags))
        return LastCallFailed("cannot rename", from + " to " + to);
    return {};
}

std::optional<std::string> ReadFile(const std::string& path, FileStatus* status) {
    auto fail = [&](FileStatus why) -> std::optional<std::string> {
        if (status)
            *status = std::move(why);
        return std::nullopt;
    };
    HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail(LastCallFailed("cannot read", path));
    std::string content;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
            FileStatus why = LastCallFailed("cannot read", path);
            ::CloseHandle(file);
            return fail(std::move(why));
        }
        if (read == 0)
            break;
        content.append(buffer, read);
    }
    ::CloseHandle(file);
    return content;
}

namespace {

std::string TempPrefix(const std::string& name) {
    return "." + name + ".tmp-";
}

// Removes the temporary names of replacements of `name` in `folder` whose process is gone.
void SweepOrphans(const std::string& folder, const std::string& name) {
    const std::string prefix = TempPrefix(name);
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(WidePath(path::Join(folder, prefix + "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string entry = Utf8FromWide(found.cFileName);
        const std::string rest = entry.substr(std::min(prefix.size(), entry.size()));
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || dash > 9 ||
            rest.find_first_not_of("0123456789-") != std::string::npos)
            continue;
        const DWORD writer = std::strtoul(rest.substr(0, dash).c_str(), nullptr, 10);
        if (writer == ::GetCurrentProcessId())
            continue;
        HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, writer);
        if (process == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER)
            ::DeleteFileW(WidePath(path::Join(folder, entry)).c_str());
        else if (process != nullptr)
            ::CloseHandle(process);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

FileStatus WriteNamed(const std::string& temp, const std::string& content) {
    HANDLE file = ::CreateFileW(WidePath(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastCallFailed("cannot create the temporary file", temp);
    FileStatus written;
    std::size_t done = 0;
    while (written && done < content.size()) {
        DWORD n = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1 << 20));
        if (!::WriteFile(file, content.data() + done, chunk, &n, nullptr) || n == 0)
            written = LastCallFailed("cannot write", temp);
        done += n;
    }
    if (written && !::FlushFileBuffers(file))
        written = LastCallFailed("cannot write", temp);
    ::CloseHandle(file);
    if (!written)
        ::DeleteFileW(WidePath(temp).c_str());
    return written;
}

}  // namespace

FileStatus ReplaceFileAtomically(const std::string& path, const std::string& content) {
    std::string folder = path::Parent(path);
    if (folder.empty())
        folder = ".";
    if (FileStatus made = CreateFolderTree(folder); !made)
        return made;

    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return FileStatus::FromError("cannot replace " + path, EISDIR);
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return FileStatus("cannot replace " + path + ": the file is read-only", EACCES);
    }

    const std::string name = path::FileName(path);
    SweepOrphans(folder, name);
    static std::atomic<unsigned> serial{0};
    const std::string temp =
        path::Join(folder, TempPrefix(name) + std::to_string(::GetCurrentProcessId()) + "-" +
                               std::to_string(serial.fetch_add(1)));
    ::DeleteFileW(WidePath(temp).c_str());  // a leftover of an earlier process with this id
    if (FileStatus written = WriteNamed(temp, content); !written)
        return written;
    if (!Move(temp, path, MOVEFILE_REPLACE_EXISTING)) {
        FileStatus why = LastCallFailed("cannot replace", path);
        ::DeleteFileW(WidePath(temp).c_str());
        return why;
    }
    return {};
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return ::_wfopen(WidePath(path).c_str(), WideFromUtf8(mode).c_str());
}

std::string ExecutableDir() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return ".";
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    std::string program = Utf8FromWide(buffer);
    if (program.rfind("\\\\?\\", 0) == 0 && program.rfind("\\\\?\\UNC\\", 0) != 0)
        program.erase(0, 4);
    return path::Parent(program);
}

// The environment comes first, as $HOME does on POSIX, so that a session (or a test) can move
// these folders; the system's known folder when it is unset.
std::string HomeDir() {
    std::string home = Environment(L"USERPROFILE");
    if (!path::IsAbsolute(home))
        home = KnownFolder(FOLDERID_Profile);
    return path::IsAbsolute(home) ? home : "C:\\";
}

std::string ConfigDir() {
    std::string folder = Environment(L"APPDATA");
    if (!path::IsAbsolute(folder))
        folder = KnownFolder(FOLDERID_RoamingAppData);
    return path::IsAbsolute(folder) ? folder : path::Join(HomeDir(), "AppData\\Roaming");
}

std::string AbsolutePath(const std::string& path) {
    if (path::IsAbsolute(path))
        return path;
    // "C:x" and "\x" depend on the current drive and its folder, which only the system knows;
    // a plain relative path is joined to the current folder as it is spelled.
    const std::wstring wide = WideFromUtf8(path);
    const bool simple = path::RootLength(path) == 0;
    const DWORD size = simple ? ::GetCurrentDirectoryW(0, nullptr)
                              : ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring buffer(size, L'\0');
    const DWORD length = simple ? ::GetCurrentDirectoryW(size, buffer.data())
                                : ::GetFullPathNameW(wide.c_str(), size, buffer.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    buffer.resize(length);
    const std::string resolved = Utf8FromWide(buffer);
    return simple ? path::Join(resolved, path) : resolved;
}

}  // namespace platform
