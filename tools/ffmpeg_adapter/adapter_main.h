// The adapter's work from Vantrel's command line to FFmpeg's exit status, the same on every
// system. main_<system>.cpp prepares the process and brings the system's way of running FFmpeg.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ffmpeg_adapter {

// Runs FFmpeg (`program`) with `args` and relays its output (RunAndRelay); its exit status.
using RunFfmpeg = std::function<int(const std::string& program, std::vector<std::string> args)>;

// Refuses to go on when another adapter started us as its "FFmpeg", finds FFmpeg, and runs it
// with `args` (Vantrel's legacy command line, without the program's name) translated into
// today's syntax. 127, with a message on standard error, when there is no FFmpeg to run.
int RunAdapter(const std::vector<std::string>& args, const RunFfmpeg& run);

}  // namespace ffmpeg_adapter
