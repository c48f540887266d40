// The requests by which a session asks a program to end (on POSIX: SIGINT from a terminal's
// Ctrl-C, SIGTERM at logout or shutdown, SIGHUP when the terminal goes; on Windows: Ctrl+C,
// Ctrl+Break, the console's close button, logoff and shutdown), handed to the program as a
// call, so that it ends its work cleanly instead of dying in the middle of it.
#pragma once

#include <functional>

namespace platform {

// While it exists, each stop request calls `onStop` on a thread of the watch's own (never
// inside a signal handler), so `onStop` may take locks or post to an event loop; it must not
// block for long. One watch at a time: a newer one takes the requests from an older one.
// Once a watch is destroyed its `onStop` is neither running nor called again. Requests keep
// being caught after that, and are then ignored.
class StopSignalWatch {
public:
    explicit StopSignalWatch(std::function<void()> onStop);
    ~StopSignalWatch();
    StopSignalWatch(const StopSignalWatch&) = delete;
    StopSignalWatch& operator=(const StopSignalWatch&) = delete;

    // False when the requests could not be caught (they then end the program as before).
    bool Active() const { return active_; }

private:
    bool active_ = false;
};

}  // namespace platform
