#include "ui/app_arguments.h"

#include "ui/product.h"

namespace ui {

AppArguments ParseAppArguments(const std::vector<std::string>& args) {
    AppArguments result;
    bool version = false;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            result.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            result.action = AppAction::Help;
        } else if (arg == "--version") {
            version = true;
        } else if (result.error.empty()) {
            result.error = "unknown option " + arg;
        }
    }
    if (result.action == AppAction::Help)
        return result;
    if (version)
        result.action = AppAction::Version;
    else if (!result.error.empty())
        result.action = AppAction::UsageError;
    return result;
}

std::string AppUsageText() {
    return "Usage: vantrel [FILE...]\n"
           "\n"
           "Converts video files (MPEG, AVI, MP4, 3GP, Video CD, QuickTime, Windows Media, FLV,\n"
           "VOB) into FLV files: collect the files in the job list, pick an output profile\n"
           "and an output folder, and convert. Files given here are added to the list; when\n"
           "Vantrel already runs, they go to its window.\n"
           "\n"
           "  FILE...     video files for the job list\n"
           "  --help      show this text\n"
           "  --version   show the version\n"
           "\n"
           "Settings are kept in $XDG_CONFIG_HOME/vantrel/vantrel.ini (by default\n"
           "~/.config/vantrel/vantrel.ini). vantrel-cli converts the same way without a window.\n";
}

std::string AppVersionText() {
    return std::string("vantrel ") + product::kVersion + "\n";
}

}  // namespace ui
