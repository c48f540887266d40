// The fake encoder's script: one command per line, "name" or "name argument". Blank lines and
// lines starting with "#" are skipped.
#pragma once

#include <string>
#include <vector>

namespace fake_encoder {

struct Command {
    std::string name;
    std::string argument;  // everything after the first blank, unchanged
};

std::vector<Command> ParseScript(const std::string& text);

// Replaces the escapes \r \n \t \\ and \xHH by the characters they stand for; any other
// backslash is kept as it is.
std::string Unescape(const std::string& text);

}  // namespace fake_encoder
