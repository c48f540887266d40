// Running FFmpeg as a child and relaying its output, on Windows.
#pragma once

#include <string>
#include <vector>

namespace ffmpeg_adapter {

// Runs `program` with `args` (without a shell, "-nostdin" left out), its standard output and
// standard error on one pipe whose content goes to our standard output, rewritten by
// KibRewriter. A line on our standard input (how Vantrel asks a console program to stop), or
// Ctrl+C, Ctrl+Break or a closed console, is passed on to FFmpeg as the "q" it reads on its
// standard input; when it has not ended a few seconds later, it is killed. FFmpeg ends with us
// however we end (a job object). Returns FFmpeg's exit status, 143 when it was asked to stop
// (FFmpeg itself then returns 0) or killed, or 127 (with a message on standard error) when it
// could not be started. When FFmpeg failed for want of libx264, a line on standard error says
// so.
int RunAndRelay(const std::string& program, std::vector<std::string> args);

}  // namespace ffmpeg_adapter
