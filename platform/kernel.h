// What the POSIX files of this folder use beyond POSIX when the kernel has it: Linux's in
// kernel_linux.cpp, and in kernel_posix.cpp answers that send the callers to their portable
// ways. Only for platform/'s own *_posix.cpp files.
#pragma once

#include <string>

namespace platform {

// A descriptor that becomes readable once the child `pid` has exited (close-on-exec), or -1:
// the caller then asks waitid.
int OpenExitDescriptor(long pid);

// Renames `from` to `to` unless a file stands at `to`, in one step. 0, or an errno: EEXIST
// when the target exists, EINVAL or ENOSYS when the kernel or the file system cannot (the
// caller then links and unlinks).
int RenameNoReplace(const char* from, const char* to);

// A file without a name in `folder`, open for writing, or -1 when the file system or the
// kernel has none; NameUnnamedFile gives it the name `path` (false when it cannot).
int OpenUnnamedFile(const std::string& folder);
bool NameUnnamedFile(int fd, const std::string& path);

// The running program's own path, or "" when the system does not say.
std::string ExecutablePath();

}  // namespace platform
