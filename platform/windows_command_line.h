// An argument vector as the one command line a Windows program receives, quoted so that the
// rules by which CommandLineToArgvW and the C runtime (FFmpeg's included) split it give back
// exactly these arguments. Pure; compiled on every system so that it is tested everywhere.
#pragma once

#include <string>
#include <vector>

namespace platform {

// args[0], the program, is put in quotes without escapes, since the program name is read up
// to the next quote with backslashes taken as they are (a program path holds no quote). Every
// other argument is left as it is when it has no space, tab, line break or quote and is not
// empty; else it is quoted, each quote escaped with a backslash and the backslashes before a
// quote, or before the closing quote, doubled.
std::string WindowsCommandLine(const std::vector<std::string>& args);

}  // namespace platform
