#include <windows.h>

#include "platform/system_info.h"

namespace platform {

int OnlineCores() {
    const DWORD cores = ::GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    return cores < 1 ? 1 : static_cast<int>(cores);
}

}  // namespace platform
