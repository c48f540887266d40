// The signals by which a session asks a program to end (SIGINT from a terminal's Ctrl-C,
// SIGTERM at logout or shutdown, SIGHUP when the terminal goes), turned into something an
// event loop can wait for, so that the program ends its work cleanly instead of dying in the
// middle of it.
#pragma once

namespace platform {

// Catches SIGINT, SIGTERM and SIGHUP from now on and returns a descriptor that becomes
// readable when one of them has arrived (read it to consume the notice), or -1 when that
// could not be set up. Calling it again returns the same descriptor.
int WatchStopSignals();

// Reads the notices that are waiting on the descriptor, without blocking.
void ConsumeStopSignals();

}  // namespace platform
