// Running FFmpeg as a child and relaying its output.
#pragma once

#include <string>
#include <vector>

namespace ffmpeg_adapter {

// True when Vantrel started us with a pipe as standard input that it holds and never writes,
// whose end is its death. The variable that says so is taken out of our environment.
bool TakeParentPipe();

// Asks for SIGTERM when our parent dies, and exits at once when it is already gone.
void EndWithParent(bool parentPipe);

// Runs `program` with `args` (without a shell), its standard output and standard error on one
// pipe whose content goes to our standard output, rewritten by KibRewriter. SIGTERM, SIGINT
// and SIGHUP sent to us (SIGTERM too when our parent dies, and when `parentPipe` is set and our
// standard input, the pipe our parent holds, ends) are passed on to FFmpeg; when it has
// not ended a few seconds later, it is killed and we return without waiting any longer. FFmpeg
// is killed at once should we die without doing that ourselves.
// Returns FFmpeg's exit status, 128 + the signal when a signal ended it, 128 + the stop signal
// when it had to be killed, or 127 (with a message on standard error) when it could not be
// started. When FFmpeg failed for want of libx264, a line on standard error says so.
int RunAndRelay(const std::string& program, const std::vector<std::string>& args,
                bool parentPipe = false);

}  // namespace ffmpeg_adapter
