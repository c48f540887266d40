// Whether a finished encoder run gave a whole file, and if not, why: pure rules over what the
// run left behind, so that "Complete" is said only when it is true.
#pragma once

#include <string>
#include <vector>

#include "engine/encoder_process.h"
#include "platform/path_info.h"

namespace engine {

// What the tool said of its run.
struct ToolReport {
    std::vector<std::string> errorLines;  // OutputScanner::ErrorLines
    std::string lastLine;                 // OutputScanner::LastLine
};

// Why the run failed, judged from how the tool ended and what it printed; "" when it exited
// by itself with status 0 and reported no failure to write `output`. FFmpeg returns 0 even
// when the disk filled up while it closed the file, so its error lines count too.
std::string RunFailure(const EncoderProcess::Outcome& outcome, const ToolReport& report,
                       const std::string& output);

// Why `source` (what Inspect found at `path`) cannot be handed to the encoder, or "": it must
// be a regular file this process may read. Nothing is opened: a FIFO or a device would block
// the opener, and the encoder with it.
std::string SourceProblem(const std::string& path, const platform::PathInfo& source);

// Why the file a successful run left at `output` is not a result, or "": it must be a regular
// file that is not empty.
std::string OutputFailure(const platform::PathInfo& output, const std::string& outputPath);

}  // namespace engine
