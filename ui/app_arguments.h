// The window program's command line, parsed without side effects, so that --help and
// --version answer before anything needs a display.
#pragma once

#include <string>
#include <vector>

namespace ui {

enum class AppAction { Run, Help, Version, UsageError };

struct AppArguments {
    AppAction action = AppAction::Run;
    std::vector<std::string> files;  // the other arguments, in the order given
    std::string error;               // what was wrong, for UsageError
};

// --help (or -h) wins over everything, then --version; any other argument that starts with
// '-' is a usage error. After "--" every argument is a file.
AppArguments ParseAppArguments(const std::vector<std::string>& args);

// The text --help prints, and the second half of a usage error.
std::string AppUsageText();

// The line --version prints.
std::string AppVersionText();

}  // namespace ui
