#include "engine/tool_location.h"

#include "engine/encoder_tool.h"
#include "platform/fs.h"

// The installed tool folder relative to the installed programs, computed by the build from the
// install folders (bindir to libexecdir/vantrel).
#ifndef VANTREL_INSTALLED_TOOL_FOLDER
#error "VANTREL_INSTALLED_TOOL_FOLDER must be defined by the build"
#endif

namespace engine {
namespace {

// The installed tool folder for a program in `folder`. Each leading "../" of the relative
// path climbs one folder, so that the result reads /usr/libexec/vantrel rather than
// /usr/bin/../libexec/vantrel; the program's folder is resolved (no symbolic links), so
// climbing by name is exact.
std::string InstalledToolFolder(std::string folder) {
    std::string rest = VANTREL_INSTALLED_TOOL_FOLDER;
    while (rest.rfind("../", 0) == 0) {
        folder = platform::DirName(folder);
        rest.erase(0, 3);
    }
    if (folder.empty() || folder.back() != platform::kPathSeparator)
        folder += platform::kPathSeparator;
    return folder + rest;
}

bool HoldsTool(const std::string& folder) {
    return platform::PathExists(folder + platform::kPathSeparator + kEncoderPath);
}

}  // namespace

std::string FindToolFolderFor(const std::string& programDir) {
    if (HoldsTool(programDir) || !platform::IsAbsolutePath(programDir))
        return programDir;
    const std::string installed = InstalledToolFolder(programDir);
    return HoldsTool(installed) ? installed : programDir;
}

std::string FindToolFolder() {
    return FindToolFolderFor(platform::ExecutableDir());
}

}  // namespace engine
