#include <sys/syscall.h>
#include <unistd.h>

#include "platform/kernel.h"

namespace platform {

int OpenExitDescriptor(long pid) {
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);  // always close-on-exec (Linux 5.3+)
    return fd >= 0 ? static_cast<int>(fd) : -1;
#else
    (void)pid;
    return -1;
#endif
}

}  // namespace platform
