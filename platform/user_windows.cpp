#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <vector>

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/user.h"
#include "platform/user_common.h"
#include "platform/wide_text.h"

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

namespace user {

std::string SessionFolder() {
    return "";  // none on Windows: the temporary folder is the user's own already
}

// %TEMP% lies in the user's profile, which Windows already keeps from other users.
std::string TemporaryFolder() {
    wchar_t temp[MAX_PATH + 1] = L"";
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    std::string folder = length > 0 && length <= MAX_PATH
                             ? Utf8FromWide(std::wstring_view(temp, length))
                             : path::Join(HomeDir(), "AppData\\Local\\Temp");
    while (folder.size() > path::RootLength(folder) && path::IsSeparator(folder.back()))
        folder.pop_back();
    return folder;
}

}  // namespace user
}  // namespace platform
