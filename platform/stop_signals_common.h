// The part of StopSignalWatch that is the same on every system: which watch gets the
// requests. The system files catch the requests and call NotifyStopWatch from a thread of
// their own.
#pragma once

#include <functional>

namespace platform::stop_signals {

// Makes `onStop` (when not null) the callee of the requests, or removes `owner`'s callee.
// Waits for a call in progress.
void SetCallee(const void* owner, std::function<void()> onStop);
void ClearCallee(const void* owner);

// Calls the current callee, if any.
void NotifyStopWatch();

}  // namespace platform::stop_signals
