#include "engine/tool_location.h"

#include <algorithm>

#include "engine/encoder_tool.h"
#include "platform/fs.h"
#include "platform/path.h"

// The installed tool folder relative to the installed programs, computed by the build from the
// install folders (bindir to libexecdir/vantrel).
#ifndef VANTREL_INSTALLED_TOOL_FOLDER
#error "VANTREL_INSTALLED_TOOL_FOLDER must be defined by the build"
#endif

namespace engine {
namespace {

// The installed tool folder for a program in `folder`. Each leading ".." of the relative
// path climbs one folder, so that the result reads /usr/libexec/vantrel rather than
// /usr/bin/../libexec/vantrel; the program's folder is resolved (no symbolic links), so
// climbing by name is exact.
std::string InstalledToolFolder(std::string folder) {
    std::string rest = VANTREL_INSTALLED_TOOL_FOLDER;
    while (rest.rfind("..", 0) == 0 && (rest.size() == 2 || platform::path::IsSeparator(rest[2]))) {
        folder = platform::path::Parent(folder);
        rest.erase(0, std::min<std::size_t>(rest.size(), 3));
    }
    return rest.empty() ? folder : platform::path::Join(folder, rest);
}

bool HoldsTool(const std::string& folder) {
    return platform::PathExists(platform::path::Join(folder, kEncoderPath));
}

}  // namespace

std::string FindToolFolderFor(const std::string& programDir) {
    if (HoldsTool(programDir) || !platform::path::IsAbsolute(programDir))
        return programDir;
    const std::string installed = InstalledToolFolder(programDir);
    return HoldsTool(installed) ? installed : programDir;
}

std::string FindToolFolder() {
    return FindToolFolderFor(platform::ExecutableDir());
}

}  // namespace engine
