// What the POSIX files of this folder use beyond POSIX when the kernel has it: Linux's in
// kernel_linux.cpp, and in kernel_posix.cpp answers that send the callers to their portable
// ways. Only for platform/'s own *_posix.cpp files.
#pragma once

namespace platform {

// A descriptor that becomes readable once the child `pid` has exited (close-on-exec), or -1:
// the caller then asks waitid.
int OpenExitDescriptor(long pid);

}  // namespace platform
