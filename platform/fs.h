// File-system operations that the rest of Vantrel needs, behind one header so that a Windows
// implementation can stand beside the POSIX one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The outcome of a file operation: success, or a message naming what failed and the system's
// reason, taken from the call that failed before any other call could overwrite it. Tests true
// on success, so `if (!CreateFolderTree(x))` reads as before.
class FileStatus {
public:
    FileStatus() = default;  // success
    // A failure with the whole `message` to show and its error number (never 0).
    FileStatus(std::string message, int error);
    // A failure "<what>: <the system's text for error>".
    static FileStatus FromError(const std::string& what, int error);

    explicit operator bool() const { return error_ == 0; }
    // The error number (errno) of the call that failed; 0 on success.
    int Error() const { return error_; }
    // "" on success.
    const std::string& Message() const { return message_; }

private:
    int error_ = 0;
    std::string message_;
};

// True when `path` names an existing folder (a file, a missing path or "" give false).
bool FolderExists(const std::string& path);

// Creates one folder; missing parents are not created.
FileStatus CreateFolder(const std::string& path);

// Creates a folder and every missing parent. Success when the folder exists afterwards; else
// the failure of the first folder that could not be made.
FileStatus CreateFolderTree(const std::string& path);

// True when a file, folder or anything else exists at `path`.
bool PathExists(const std::string& path);

// Removes a file (not a folder). Nothing there at all counts as success.
FileStatus RemoveFile(const std::string& path);

enum class ExistingTarget { Replace, Keep };

// Renames `from` onto `to` in one step. With ExistingTarget::Keep, a file that stands at `to`
// (even one that appeared a moment ago) is never replaced: the rename fails with EEXIST.
FileStatus RenameFile(const std::string& from, const std::string& to,
                      ExistingTarget existing = ExistingTarget::Replace);

// Reads a whole file. Nothing when it cannot be read; `status` (when given) then says why.
std::optional<std::string> ReadFile(const std::string& path, FileStatus* status = nullptr);

// Reads a whole regular file of at most `maxBytes`. Anything else (a FIFO, a device, a folder)
// is never opened, since opening or reading it may block or never end; it and a larger file
// give nothing, with `status` (when given) saying why (EINVAL, EFBIG).
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes,
                                           FileStatus* status = nullptr);

// An exclusive, advisory lock that this process holds on a file for as long as the object lives
// (or until Release). The system drops it when the process ends, however it ends. It does not
// keep any program from reading, writing or renaming the file; only other locks see it.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return handle_ != kNone; }
    void Release();

    // Locks `path`, creating it when missing, and waits while another process holds it. The
    // file is removed again when the lock is released, so none is left behind.
    static FileLock Wait(const std::string& path, FileStatus* status = nullptr);

    enum class Claim {
        Created,  // `path` is a new, empty file that the returned lock holds
        Busy,     // another live process holds the file at `path`; nothing was touched
        Failed,   // see `status`
    };
    // Creates `path` as a new file and locks it, in a way that no two processes can both
    // succeed. A regular file already there that no process holds is taken to be abandoned by
    // a process that died: it is removed and the creation tried again. Anything else at `path`
    // (a link, a folder) is left alone and fails the claim.
    static FileLock Create(const std::string& path, Claim* claim, FileStatus* status = nullptr);

private:
    static constexpr std::intptr_t kNone = -1;
    explicit FileLock(std::intptr_t handle, std::string removeOnRelease = {})
        : handle_(handle), removeOnRelease_(std::move(removeOnRelease)) {}
    std::intptr_t handle_ = kNone;  // the system's handle of the open file
    std::string removeOnRelease_;   // removed, while still locked, by Release
};

// Removes `path` when it is a regular file that no process holds a FileLock on; true when it
// was removed. A link, a folder or a held file is left as it is.
bool RemoveIfUnlocked(const std::string& path);

// The names in `folder`, without "." and "..", in no particular order; empty when it cannot
// be read.
std::vector<std::string> FolderNames(const std::string& folder);

// Makes `path` a folder that only this user can reach: created with owner-only permissions
// when missing; when it exists it must be a folder (not a symbolic link) owned by this user
// whose permissions give nobody else any access. Failure says which of these does not hold.
FileStatus EnsurePrivateFolder(const std::string& path);

// Replaces a file with `content` atomically: readers, and a kill of this process at any moment,
// see the old or the new content, never a mix and never no file. The new content is written
// and flushed in the same folder as an unnamed file (or, where the file system has none, as a
// hidden temporary file), named ".<name>.tmp-<process id>-<n>" only once complete and then
// renamed over the target. Such a temporary name whose process is gone, left by a kill between
// those two steps, is removed by the next replacement in that folder.
// A file that is read-only (no write permission at all, or none for this process) is left as
// it is and reported. The folder is created when missing; when `path` is a symbolic link, the
// file it points to is replaced and the link kept. On failure the old file is untouched.
FileStatus ReplaceFileAtomically(const std::string& path, const std::string& content);

// std::fopen for a UTF-8 path, whatever the system's own character set for file names is.
std::FILE* OpenFile(const std::string& path, const char* mode);

// The folder that holds the running program (no trailing separator).
std::string ExecutableDir();

// The user's home folder: $HOME when it is an absolute path, else the account's.
std::string HomeDir();

// The user's configuration folder: $XDG_CONFIG_HOME, else ~/.config.
std::string ConfigDir();

// Splitting and joining paths: platform/path.h.

// `path` made absolute against the current folder; an absolute path is returned as it is.
// Nothing is resolved or normalised, so the user's spelling survives in messages.
std::string AbsolutePath(const std::string& path);

// The system's text for an errno value ("Permission denied"); safe from any thread.
std::string ErrorText(int error);

}  // namespace platform
