// Why the desktop could not open a folder, for the window's message.
#pragma once

#include <QString>

namespace ui {

// The reason for a failed open of a folder, from the shell's result `code` (32 or less): the
// folder's own problems in plain words, a missing or failing desktop opener as such, other
// codes as the links report them.
QString OpenFailureText(int code);

}  // namespace ui
