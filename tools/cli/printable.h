// Names printed so that one job is one line: a file name may hold a line break, a tab or any
// other control character, and a script reading vantrel-cli's output splits on those.
#pragma once

#include <string>
#include <string_view>

#include "platform/path.h"

namespace cli {

// `text` with each control character (bytes 0x01 to 0x1F and 0x7F) and each backslash
// written as a C escape: \n, \t, \r, \\, and \xHH (two lower-case hex digits) for the rest.
// Every other byte, UTF-8 included, is kept, so the original is always recoverable. In the
// Windows style a backslash is kept: it separates the folders of every path there, and since
// a Windows name holds no control character, every backslash in a valid path is the path's own.
std::string Printable(std::string_view text, platform::path::Style style = platform::path::kNative);

}  // namespace cli
