// The *_windows.cpp files' way from a system error code to the errno values that the headers
// of this folder promise (FileStatus::Error, PathInfo::error), and to a message.
#pragma once

#include <string>

namespace platform {

// ENOENT for a missing file or folder, EACCES, EEXIST, EBUSY for a file another program holds
// open, ENOSPC, EXDEV, ENAMETOOLONG...; EIO for the rest.
int ErrnoFromSystemError(unsigned long error);

// The system's text for `error`, in English where the system has it, without the final
// line break.
std::string SystemErrorText(unsigned long error);

}  // namespace platform
