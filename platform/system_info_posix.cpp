#include "platform/system_info.h"

#include <unistd.h>

namespace platform {

int OnlineCores() {
    const long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
    return cores < 1 ? 1 : static_cast<int>(cores);
}

}  // namespace platform
