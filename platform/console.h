// The program's own console or terminal: what vantrel-cli needs to read its arguments and to
// write to a terminal the same way on every system.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class StdStream { Output, Error };

// The program's arguments (without its name) in UTF-8. On Windows they are read from the
// wide command line, since `argv` holds them in the local code page, which may lose names.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes the console take UTF-8 and terminal control sequences, and lets a write to a closed
// pipe fail instead of ending the program. Call once, first thing.
void PrepareConsole();

// True when the stream is a terminal (a console on Windows), not a file or a pipe.
bool IsTerminal(StdStream stream);

// The width of the terminal on the stream in characters, or 0 when it is none or unknown.
int TerminalColumns(StdStream stream);

}  // namespace platform
