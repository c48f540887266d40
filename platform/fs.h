// File-system operations that the rest of Vantrel needs, behind one header so that a Windows
// implementation can stand beside the POSIX one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The separator that joins a folder and a file name.
inline constexpr char kPathSeparator = '/';

// True when `path` names an existing folder (a file, a missing path or "" give false).
bool FolderExists(const std::string& path);

// Creates one folder; missing parents are not created. True on success.
bool CreateFolder(const std::string& path);

// Creates a folder and every missing parent. True when the folder exists afterwards.
bool CreateFolderTree(const std::string& path);

// True when a file, folder or anything else exists at `path`.
bool PathExists(const std::string& path);

// Deletes a file. True on success.
bool DeleteFile(const std::string& path);

// The size of a file in bytes, or nothing when it cannot be opened for reading.
std::optional<std::uint64_t> FileSize(const std::string& path);

// True when the two paths name one and the same existing file (device and inode), whatever
// their spelling ("in/x.flv" and "./in/x.flv").
bool SameFile(const std::string& a, const std::string& b);

// Reads a whole file. Nothing when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path);

// Replaces a file with `content` atomically: a temporary file in the same folder is written,
// flushed and renamed over the target, so readers see either the old or the new content.
// The folder is created when missing; when `path` is a symbolic link, the file it points to
// is replaced and the link kept. On failure the old file is untouched and `error` (when given)
// says why.
bool ReplaceFileAtomically(const std::string& path, const std::string& content,
                           std::string* error = nullptr);

// The folder that holds the running program (no trailing separator).
std::string ExecutableDir();

// The user's home folder.
std::string HomeDir();

// The user's configuration folder: $XDG_CONFIG_HOME, else ~/.config.
std::string ConfigDir();

// The folder part of a path ("" when it has no separator; "/" for a file in the root).
std::string DirName(const std::string& path);

}  // namespace platform
