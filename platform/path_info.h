// What the engine needs to know about a path before it hands it to the encoder, and the few
// file operations that finish or undo a conversion. Every failure keeps the error of the call
// that failed, so a message can give the real cause.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct PathInfo {
    enum class Kind {
        Missing,  // nothing there, or it cannot be looked at (`error` says why)
        Regular,  // a plain file
        Folder,
        Other,  // a FIFO, a device, a socket: never opened, since opening may block
    };
    Kind kind = Kind::Missing;
    std::uint64_t size = 0;  // bytes, for a regular file
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    int error = 0;  // errno of a failed look, 0 otherwise
};

// What `path` names, following symbolic links. Nothing is opened.
PathInfo Inspect(const std::string& path);

// The text of an errno value ("Permission denied").
std::string ErrorText(int error);

// True when the calling process may read the file.
bool CanRead(const std::string& path, int* error = nullptr);

// True when files can be created in `folder`.
bool CanWriteInto(const std::string& folder, int* error = nullptr);

// Renames `from` onto `to`, replacing `to` in one step. False with `error` (errno) on failure.
bool RenameFile(const std::string& from, const std::string& to, int* error = nullptr);

// Removes a file (not a folder). True when nothing is left at `path` afterwards.
bool RemoveFile(const std::string& path);

// `path` made absolute against the current folder; an absolute path is returned as it is.
// Nothing is resolved or normalised, so the user's spelling survives in messages.
std::string AbsolutePath(const std::string& path);

// The number of processors online, at least 1.
int OnlineCores();

}  // namespace platform
