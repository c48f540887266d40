// Running FFmpeg as a child and relaying its output.
#pragma once

#include <string>
#include <vector>

namespace ffmpeg_adapter {

// Runs `program` with `args` (without a shell), its standard output and standard error on one
// pipe whose content goes to our standard output, rewritten by KibRewriter. SIGTERM, SIGINT
// and SIGHUP sent to us are passed on to FFmpeg, and FFmpeg gets SIGTERM when we die.
// Returns FFmpeg's exit status, 128 + the signal when a signal ended it, or 127 (with a
// message on standard error) when it could not be started.
int RunAndRelay(const std::string& program, const std::vector<std::string>& args);

}  // namespace ffmpeg_adapter
