#include "engine/tool_location.h"

#include <vector>

#include "engine/encoder_tool.h"
#include "platform/fs.h"

// The installed tool folder relative to the installed programs, computed by the build from the
// install folders (bindir to libexecdir/vantrel).
#ifndef VANTREL_INSTALLED_TOOL_FOLDER
#error "VANTREL_INSTALLED_TOOL_FOLDER must be defined by the build"
#endif

namespace engine {
namespace {

// Joins `base` and the relative `path`, folding each ".." into the folder before it, so that
// messages name /usr/libexec/vantrel rather than /usr/bin/../libexec/vantrel. `base` comes
// from the resolved program path, which holds no symbolic links, so the folding is exact.
std::string JoinFolded(const std::string& base, const std::string& path) {
    std::vector<std::string> parts;
    auto add = [&parts](const std::string& text) {
        std::string::size_type start = 0;
        while (start <= text.size()) {
            std::string::size_type end = text.find(platform::kPathSeparator, start);
            if (end == std::string::npos)
                end = text.size();
            const std::string part = text.substr(start, end - start);
            if (part == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            start = end + 1;
        }
    };
    add(base);
    add(path);
    std::string joined;
    for (const std::string& part : parts) joined += platform::kPathSeparator + part;
    return joined.empty() ? std::string(1, platform::kPathSeparator) : joined;
}

bool HoldsTool(const std::string& folder) {
    return platform::PathExists(folder + platform::kPathSeparator + kEncoderPath);
}

}  // namespace

std::string FindToolFolderFor(const std::string& programDir) {
    if (HoldsTool(programDir) || programDir.empty() || programDir[0] != platform::kPathSeparator)
        return programDir;
    const std::string installed = JoinFolded(programDir, VANTREL_INSTALLED_TOOL_FOLDER);
    return HoldsTool(installed) ? installed : programDir;
}

std::string FindToolFolder() {
    return FindToolFolderFor(platform::ExecutableDir());
}

}  // namespace engine
