#include <cstdlib>

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/places.h"

namespace platform {
namespace {

constexpr char kFolderName[] = "vantrel";
constexpr char kOutputFolderName[] = "ZedovAvizevare";

}  // namespace

std::string SettingsFolder() {
    return path::Join(ConfigDir(), kFolderName);
}

std::string DefaultOutputFolder() {
    return path::Join(HomeDir(), kOutputFolderName);
}

std::string FallbackOutputFolder() {
    return path::Join(HomeDir(), kOutputFolderName);
}

std::string StateFolder() {
    const char* xdg = std::getenv("XDG_STATE_HOME");
    const std::string base =
        xdg && path::IsAbsolute(xdg) ? xdg : path::Join(path::Join(HomeDir(), ".local"), "state");
    return path::Join(base, kFolderName);
}

}  // namespace platform
