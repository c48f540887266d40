#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/places.h"
#include "platform/wide_text.h"

namespace platform {
namespace {

constexpr char kFolderName[] = "Vantrel";
constexpr char kOutputFolderName[] = "ZedovAvizevare";

// %LOCALAPPDATA% (the environment first, as for the other folders), else the known folder.
std::string LocalAppData() {
    if (const wchar_t* value = ::_wgetenv(L"LOCALAPPDATA"); value && *value) {
        const std::string folder = Utf8FromWide(value);
        if (path::IsAbsolute(folder))
            return folder;
    }
    PWSTR folder = nullptr;
    std::string result;
    if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK &&
        folder)
        result = Utf8FromWide(folder);
    ::CoTaskMemFree(folder);
    return path::IsAbsolute(result) ? result : path::Join(HomeDir(), "AppData\\Local");
}

}  // namespace

std::string SettingsFolder() {
    return path::Join(ConfigDir(), kFolderName);
}

// On the system drive (%SystemDrive%, "C:" almost always), which a session or a test may move.
std::string DefaultOutputFolder() {
    const wchar_t* value = ::_wgetenv(L"SystemDrive");
    std::string drive = value ? Utf8FromWide(value) : "";
    if (drive.size() == 2 && drive[1] == ':')
        drive += '\\';
    return path::Join(path::IsAbsolute(drive) ? drive : "C:\\", kOutputFolderName);
}

std::string FallbackOutputFolder() {
    return path::Join(HomeDir(), kOutputFolderName);
}

std::string StateFolder() {
    return path::Join(LocalAppData(), kFolderName);
}

}  // namespace platform
