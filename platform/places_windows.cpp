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
// A file of this name beside the program makes the copy portable: its settings and its state
// live in the program's folder (a USB stick, an unpacked zip) and nothing is left in the
// user's profile.
constexpr char kPortableMarker[] = "portable.ini";

// The program's folder when it is a portable copy, else "". Looked up once: the marker is put
// there before the program starts, and every caller must see the same folders.
const std::string& PortableFolder() {
    static const std::string folder = [] {
        const std::string here = ExecutableDir();
        return !here.empty() && PathExists(path::Join(here, kPortableMarker)) &&
                       !FolderExists(path::Join(here, kPortableMarker))
                   ? here
                   : std::string();
    }();
    return folder;
}

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
    if (!PortableFolder().empty())
        return PortableFolder();
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
    if (!PortableFolder().empty())
        return PortableFolder();
    return path::Join(LocalAppData(), kFolderName);
}

}  // namespace platform
