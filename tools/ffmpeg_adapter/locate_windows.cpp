// FFmpeg for the Windows adapter: the one shipped beside Vantrel (ffmpeg\ffmpeg.exe next to
// the DLL folder that holds the adapter), else VANTREL_FFMPEG, else ffmpeg.exe on PATH; never
// the adapter itself.
#include <windows.h>

#include <cstdlib>
#include <sstream>

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/path_info.h"
#include "platform/wide_text.h"
#include "tools/ffmpeg_adapter/locate.h"

namespace ffmpeg_adapter {
namespace {

std::string Environment(const wchar_t* name) {
    const wchar_t* value = ::_wgetenv(name);
    return value ? platform::Utf8FromWide(value) : std::string();
}

// The path of this adapter as the system sees it.
std::string SelfPath() {
    wchar_t buffer[32768];
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, 32768);
    return length > 0 && length < 32768 ? platform::Utf8FromWide({buffer, length}) : "";
}

bool IsProgram(const std::string& path, const platform::PathInfo& self) {
    const platform::PathInfo info = platform::Inspect(path);
    return info.kind == platform::PathInfo::Kind::Regular && !info.SameFileAs(self);
}

}  // namespace

std::optional<std::string> LocateFfmpeg(std::string* problem) {
    const std::string self = SelfPath();
    const platform::PathInfo selfInfo = platform::Inspect(self);

    // <bin>\DLL\ffmpeg.exe is the adapter; <bin>\ffmpeg\ffmpeg.exe the FFmpeg shipped with it.
    const std::string shipped = platform::path::Join(
        platform::path::Join(platform::path::Parent(platform::path::Parent(self)), "ffmpeg"),
        "ffmpeg.exe");
    if (!self.empty() && IsProgram(shipped, selfInfo))
        return shipped;

    const std::string named = Environment(L"VANTREL_FFMPEG");
    if (!named.empty()) {
        const platform::PathInfo info = platform::Inspect(named);
        if (info.kind != platform::PathInfo::Kind::Regular) {
            *problem = "vantrel: VANTREL_FFMPEG names no executable program: " + named;
            return std::nullopt;
        }
        if (info.SameFileAs(selfInfo)) {
            *problem = "vantrel: VANTREL_FFMPEG names this adapter, not FFmpeg: " + named;
            return std::nullopt;
        }
        return named;
    }

    std::istringstream folders(Environment(L"PATH"));
    std::string folder;
    while (std::getline(folders, folder, ';')) {
        // PATH entries may be quoted; relative ones depend on where we were started from.
        if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
            folder = folder.substr(1, folder.size() - 2);
        if (!platform::path::IsAbsolute(folder))
            continue;
        const std::string candidate = platform::path::Join(folder, "ffmpeg.exe");
        if (IsProgram(candidate, selfInfo))
            return candidate;
    }
    *problem = kNotFoundMessage;
    return std::nullopt;
}

}  // namespace ffmpeg_adapter
