#include "platform/fs.h"
#include "platform/path.h"

#include "platform/kernel.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace platform {

FileStatus::FileStatus(std::string message, int error)
    : error_(error == 0 ? EIO : error), message_(std::move(message)) {}

FileStatus FileStatus::FromError(const std::string& what, int error) {
    return FileStatus(what + ": " + ErrorText(error), error);
}

std::string ErrorText(int error) {
    char buffer[256];
    // The GNU strerror_r returns its text (perhaps a static one), not always in `buffer`.
    return ::strerror_r(error, buffer, sizeof buffer);
}

namespace {

// The failure of the call that has just failed, "<what> <path>: <reason>": errno is read
// first, before building the message can change it.
FileStatus LastCallFailed(const char* what, const std::string& path) {
    const int error = errno;
    return FileStatus::FromError(std::string(what) + " " + path, error);
}

}  // namespace

bool FolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileStatus CreateFolder(const std::string& path) {
    if (path.empty())
        return FileStatus("cannot create a folder without a name", ENOENT);
    if (::mkdir(path.c_str(), 0777) != 0)
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
    if (::mkdir(path.c_str(), 0777) == 0)
        return {};
    const FileStatus failed = LastCallFailed("cannot create folder", path);
    // Another process may have made it in the meantime.
    if (failed.Error() == EEXIST && FolderExists(path))
        return {};
    return failed;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

FileStatus RemoveFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return LastCallFailed("cannot remove", path);
    return {};
}

FileStatus RenameFile(const std::string& from, const std::string& to, ExistingTarget existing) {
    if (existing == ExistingTarget::Replace) {
        if (::rename(from.c_str(), to.c_str()) != 0)
            return LastCallFailed("cannot rename", from + " to " + to);
        return {};
    }
    const int renamed = RenameNoReplace(from.c_str(), to.c_str());
    if (renamed == 0)
        return {};
    if (renamed != EINVAL && renamed != ENOSYS)
        return FileStatus::FromError("cannot rename " + from + " to " + to, renamed);
    // A file system without that kind of rename: a hard link fails just as surely when the
    // target exists.
    if (::link(from.c_str(), to.c_str()) != 0)
        return LastCallFailed("cannot rename", from + " to " + to);
    ::unlink(from.c_str());
    return {};
}

std::optional<std::string> ReadFile(const std::string& path, FileStatus* status) {
    auto fail = [&](FileStatus why) -> std::optional<std::string> {
        if (status)
            *status = std::move(why);
        return std::nullopt;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(LastCallFailed("cannot read", path));
    std::string content;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            FileStatus why = LastCallFailed("cannot read", path);
            ::close(fd);
            return fail(std::move(why));
        }
        if (n == 0)
            break;
        content.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return content;
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes,
                                           FileStatus* status) {
    auto fail = [&](FileStatus why) -> std::optional<std::string> {
        if (status)
            *status = std::move(why);
        return std::nullopt;
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return fail(LastCallFailed("cannot read", path));
    if (S_ISDIR(st.st_mode))
        return fail(FileStatus::FromError("cannot read " + path, EISDIR));
    if (!S_ISREG(st.st_mode))
        return fail(FileStatus("cannot read " + path + ": it is not a regular file", EINVAL));
    // O_NONBLOCK: should a FIFO have taken the file's place since, opening it must not wait.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(LastCallFailed("cannot read", path));
    std::string content;
    FileStatus why;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = FileStatus("cannot read " + path + ": it is not a regular file", EINVAL);
    } else {
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                why = LastCallFailed("cannot read", path);
                break;
            }
            if (n == 0)
                break;
            if (content.size() + static_cast<std::size_t>(n) > maxBytes) {
                why = FileStatus("cannot read " + path + ": it is larger than " +
                                     std::to_string(maxBytes) + " bytes",
                                 EFBIG);
                break;
            }
            content.append(buf, static_cast<size_t>(n));
        }
    }
    ::close(fd);
    if (!why)
        return fail(std::move(why));
    return content;
}

void FileLock::Release() {
    if (handle_ != kNone) {
        if (!removeOnRelease_.empty())
            ::unlink(removeOnRelease_.c_str());
        ::close(static_cast<int>(handle_));  // closing the descriptor drops its lock
    }
    handle_ = kNone;
    removeOnRelease_.clear();
}

namespace {

// True when `fd` is still the file that `path` names: a lock taken on a file that another
// process removed (or replaced) in the meantime guards nothing.
bool StillNamed(int fd, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace

FileLock FileLock::Wait(const std::string& path, FileStatus* status) {
    // The holder before us removes the file as it lets go: then the lock we got guards a file
    // no one else will open, and we start again with the file as it is now.
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (status)
                *status = LastCallFailed("cannot open the lock file", path);
            return {};
        }
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (locked != 0) {
            if (status)
                *status = LastCallFailed("cannot lock", path);
            ::close(fd);
            return {};
        }
        if (StillNamed(fd, path))
            return FileLock(fd, path);
        ::close(fd);
    }
}

namespace {

// Opens the regular file at `path` without following a link and without waiting on a FIFO;
// -1 (errno set) for anything else.
int OpenExisting(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// Removes the file `fd` was opened on, when no one else holds it and `path` still names it.
// `fd` is closed. True when it was removed.
bool RemoveWhenFree(int fd, const std::string& path) {
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, path))
        removed = ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
}

}  // namespace

FileLock FileLock::Create(const std::string& path, Claim* claim, FileStatus* status) {
    auto fail = [&](Claim outcome, FileStatus why) {
        *claim = outcome;
        if (status)
            *status = std::move(why);
        return FileLock();
    };
    // Each round either creates the file or removes an abandoned one; a few rounds are only
    // needed when other processes claim and abandon the same name at the same moment.
    for (int round = 0; round < 8; ++round) {
        const int fd =
            ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // Between the creation and the lock another process may have found the file free
            // and removed it as abandoned: then this lock holds a file no one can see.
            while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
            }
            if (StillNamed(fd, path)) {
                *claim = Claim::Created;
                return FileLock(fd);
            }
            ::close(fd);
            continue;
        }
        if (errno != EEXIST)
            return fail(Claim::Failed, LastCallFailed("cannot create", path));
        const int existing = OpenExisting(path);
        if (existing < 0) {
            if (errno == ENOENT)
                continue;  // removed a moment ago
            return fail(Claim::Failed,
                        FileStatus(path + " is in the way and is not a file Vantrel made", EEXIST));
        }
        if (::flock(existing, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(existing);
            if (error == EWOULDBLOCK)
                return fail(Claim::Busy, FileStatus(path + " is held by another process", EBUSY));
            return fail(Claim::Failed, FileStatus::FromError("cannot lock " + path, error));
        }
        if (StillNamed(existing, path))
            ::unlink(path.c_str());
        ::close(existing);
    }
    return fail(Claim::Failed, FileStatus("cannot create " + path + ": it keeps changing", EBUSY));
}

bool RemoveIfUnlocked(const std::string& path) {
    const int fd = OpenExisting(path);
    return fd >= 0 && RemoveWhenFree(fd, path);
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

FileStatus EnsurePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return LastCallFailed("cannot create folder", path);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return LastCallFailed("cannot look at", path);
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode))
        return FileStatus(path + " is not a folder but a link or a file", ENOTDIR);
    if (st.st_uid != ::geteuid())
        return FileStatus(path + " belongs to another user", EPERM);
    if ((st.st_mode & 077) != 0)
        return FileStatus(path + " can be reached by other users", EACCES);
    return {};
}

namespace {

// Writes everything, then the permissions (when given), then flushes it to the disk.
FileStatus WriteAndFlush(int fd, const std::string& content, std::optional<mode_t> mode,
                         const std::string& what) {
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return LastCallFailed("cannot write", what);
        if (n == 0)
            return FileStatus::FromError("cannot write " + what, EIO);
        done += static_cast<size_t>(n);
    }
    if (mode && ::fchmod(fd, *mode) != 0)
        return LastCallFailed("cannot set the permissions of", what);
    if (::fsync(fd) != 0)
        return LastCallFailed("cannot write", what);
    return {};
}

// The temporary names of replacements of `name`: ".<name>.tmp-<process id>-<n>".
std::string TempPrefix(const std::string& name) {
    return "." + name + ".tmp-";
}

// The process id in a temporary name after its prefix ("<pid>-<n>"), or 0 when `rest` is not
// of that form.
pid_t WriterOf(std::string_view rest) {
    const auto digits = [](std::string_view s) {
        return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == s.npos;
    };
    const std::size_t dash = rest.find('-');
    if (dash == rest.npos || !digits(rest.substr(0, dash)) || !digits(rest.substr(dash + 1)))
        return 0;
    return static_cast<pid_t>(std::strtol(std::string(rest.substr(0, dash)).c_str(), nullptr, 10));
}

// Removes the temporary names of replacements of `name` in `folder` whose process is gone. A
// failure here leaves a file for a later sweep and does not concern the replacement at hand.
void SweepOrphans(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const std::string prefix = TempPrefix(name);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        if (entryName.compare(0, prefix.size(), prefix) != 0)
            continue;
        const pid_t writer = WriterOf(entryName.substr(prefix.size()));
        if (writer <= 0 || writer == ::getpid())
            continue;
        if (::kill(writer, 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Writes `content` as an unnamed file in `folder` and gives it the name `temp` once flushed, so
// that a kill while writing leaves nothing behind. Nothing when the system cannot do that here
// (no unnamed files on this file system, no /proc), so that a named file must be written.
std::optional<FileStatus> WriteUnnamed(const std::string& folder, const std::string& temp,
                                       const std::string& content, std::optional<mode_t> mode) {
    const int fd = OpenUnnamedFile(folder);
    if (fd < 0)
        return std::nullopt;
    FileStatus written = WriteAndFlush(fd, content, mode, "a new file in " + folder);
    if (written && !NameUnnamedFile(fd, temp)) {
        ::close(fd);
        return std::nullopt;
    }
    ::close(fd);
    return written;
}

FileStatus WriteNamed(const std::string& temp, const std::string& content,
                      std::optional<mode_t> mode) {
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return LastCallFailed("cannot create the temporary file", temp);
    FileStatus written = WriteAndFlush(fd, content, mode, temp);
    ::close(fd);
    if (!written)
        ::unlink(temp.c_str());
    return written;
}

// Why `path`, which exists with `st`, must not be replaced; success when it may be.
FileStatus ReplaceableCheck(const std::string& path, const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        return FileStatus::FromError("cannot replace " + path, EISDIR);
    // Checked on the permission bits as well, since root may write whatever they say.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return FileStatus("cannot replace " + path + ": the file is read-only", EACCES);
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return LastCallFailed("cannot replace", path);
    return {};
}

}  // namespace

FileStatus ReplaceFileAtomically(const std::string& requested, const std::string& content) {
    // A symbolic link (a linked dotfile) stays a link: its target is what gets replaced.
    std::string path = requested;
    struct stat link {};
    if (::lstat(requested.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char* resolved = ::realpath(requested.c_str(), nullptr);
        if (resolved == nullptr)
            return LastCallFailed("cannot follow the link", requested);
        path = resolved;
        std::free(resolved);
    }
    std::string folder = path::Parent(path);
    if (folder.empty())
        folder = ".";
    if (FileStatus made = CreateFolderTree(folder); !made)
        return made;

    // Keep the permissions of the file being replaced; a new file gets the default ones.
    std::optional<mode_t> mode;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (FileStatus replaceable = ReplaceableCheck(path, st); !replaceable)
            return replaceable;
        mode = st.st_mode & 07777;
    }

    const std::string name = path.substr(path.find_last_of('/') + 1);
    SweepOrphans(folder, name);
    static std::atomic<unsigned> serial{0};
    const std::string temp = folder + "/" + TempPrefix(name) + std::to_string(::getpid()) + "-" +
                             std::to_string(serial.fetch_add(1));
    // A file of that name is a leftover of an earlier process that had this id.
    ::unlink(temp.c_str());

    std::optional<FileStatus> written = WriteUnnamed(folder, temp, content, mode);
    if (!written)
        written = WriteNamed(temp, content, mode);
    if (!*written)
        return *written;
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        FileStatus why = LastCallFailed("cannot replace", path);
        ::unlink(temp.c_str());
        return why;
    }
    // Make the rename itself durable.
    const int dirfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd >= 0) {
        ::fsync(dirfd);
        ::close(dirfd);
    }
    return {};
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::string ExecutableDir() {
    const std::string program = ExecutablePath();
    return program.empty() ? "." : path::Parent(program);
}

std::string HomeDir() {
    // A relative $HOME would make every folder under it depend on the current folder.
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir == '/')
        return pw->pw_dir;
    return "/";
}

std::string ConfigDir() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return xdg;
    return HomeDir() + "/.config";
}

std::string AbsolutePath(const std::string& path) {
    if (path::IsAbsolute(path))
        return path;
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return path;  // no current folder to resolve against
        buffer.resize(buffer.size() * 2);
    }
    return path::Join(buffer.data(), path);
}

}  // namespace platform
