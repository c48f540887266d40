// Where the encoder tool (kEncoderPath, "DLL/ffmpeg") is found for the running program.
#pragma once

#include <string>

namespace engine {

// The folder against which kEncoderPath resolves: the program's own folder when the tool is
// beside it (a build folder), else the installed tool folder relative to the program (for an
// install, bin/../libexec/vantrel), so that an install into any prefix, or a package unpacked
// anywhere, finds its own adapter. When neither holds the tool, the program's own folder, so
// that the error names the place a build would use.
std::string FindToolFolder();

// The same choice for a program in `programDir`.
std::string FindToolFolderFor(const std::string& programDir);

}  // namespace engine
