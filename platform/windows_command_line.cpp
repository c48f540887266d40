#include "platform/windows_command_line.h"

namespace platform {
namespace {

void AppendQuoted(std::string& line, const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        line += arg;
        return;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote escape each other; the quote then needs one of its own.
        line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        line += c;
        backslashes = 0;
    }
    line.append(backslashes * 2, '\\');  // they come before the closing quote
    line += '"';
}

}  // namespace

std::string WindowsCommandLine(const std::vector<std::string>& args) {
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i == 0) {
            line += '"' + args[0] + '"';
            continue;
        }
        line += ' ';
        AppendQuoted(line, args[i]);
    }
    return line;
}

}  // namespace platform
