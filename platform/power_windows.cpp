#include <windows.h>

#include "platform/power.h"

namespace platform {
namespace {

// The execution state belongs to the thread that sets it: each thread counts its own.
thread_local int awake = 0;

}  // namespace

KeepAwake::KeepAwake() {
    if (awake++ == 0)
        ::SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

KeepAwake::~KeepAwake() {
    if (--awake == 0)
        ::SetThreadExecutionState(ES_CONTINUOUS);
}

}  // namespace platform
