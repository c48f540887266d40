#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <cerrno>
#include <vector>

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/user.h"
#include "platform/wide_text.h"
#include "platform/windows_error.h"

namespace platform {
namespace {

// The security identifier of the account of this process's token, "" when it cannot be read.
std::string AccountSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return "";
    std::string sid;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size != 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
        LPWSTR text = nullptr;
        if (::ConvertSidToStringSidW(user->User.Sid, &text)) {
            sid = Utf8FromWide(text);
            ::LocalFree(text);
        }
    }
    ::CloseHandle(token);
    return sid;
}

}  // namespace

std::string UserId() {
    std::string sid = AccountSid();
    if (!sid.empty())
        return sid;
    // Without a token to read, the account's name still tells users apart on one machine.
    wchar_t name[257] = L"";
    DWORD size = sizeof name / sizeof name[0];
    return ::GetUserNameW(name, &size) ? Utf8FromWide(name) : "user";
}

// %TEMP% is inside the user's profile, which Windows already keeps from other users.
std::string UserRuntimeFolder(FileStatus* status) {
    wchar_t temp[MAX_PATH + 1] = L"";
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        if (status)
            *status = FileStatus(
                "cannot find the temporary folder: " + SystemErrorText(::GetLastError()), ENOENT);
        return "";
    }
    std::string base = Utf8FromWide(std::wstring_view(temp, length));
    while (base.size() > path::RootLength(base) && path::IsSeparator(base.back())) base.pop_back();
    const std::string folder = path::Join(base, "vantrel-" + UserId());
    if (FileStatus own = EnsurePrivateFolder(folder); !own) {
        if (status)
            *status = std::move(own);
        return "";
    }
    return folder;
}

}  // namespace platform
