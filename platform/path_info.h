// What the engine needs to know about a path before it hands it to the encoder, found without
// opening anything. Every failure keeps the error of the call that failed, so a message can
// give the real cause.
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
    std::int64_t modified = 0;  // last modification, nanoseconds since 1970
    int error = 0;              // errno of a failed look, 0 otherwise

    // The same file as `other` (device and inode), whatever the two paths' spelling.
    bool SameFileAs(const PathInfo& other) const {
        return kind != Kind::Missing && other.kind != Kind::Missing && device == other.device &&
               inode == other.inode;
    }
};

// What `path` names, following symbolic links.
PathInfo Inspect(const std::string& path);

// True when the calling process may read the file; else `error` (when given) holds errno.
bool CanRead(const std::string& path, int* error = nullptr);

// True when files can be created in `folder`; else `error` (when given) holds errno.
bool CanWriteInto(const std::string& folder, int* error = nullptr);

}  // namespace platform
