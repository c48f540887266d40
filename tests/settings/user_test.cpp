// The user's session folder: the session's own when the system names one, else a folder of
// this user's in the temporary folder that nobody else may reach.
#include "platform/user.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/path.h"
#include "support/temp_folder.h"

namespace {

using testing_support::ScopedEnv;
using testing_support::TempFolder;

#ifdef _WIN32
constexpr char kTempVariable[] = "TMP";
#else
constexpr char kTempVariable[] = "TMPDIR";
#endif

TEST(User, RuntimeFolderIsTheSessionsElseAPrivateOneInTheTemporaryFolder) {
    TempFolder temp;
    const std::string session = platform::path::Join(temp.Path(), "session");
    std::filesystem::create_directories(std::filesystem::u8path(session));
    const std::string scratch = platform::path::Join(temp.Path(), "tmp");
    std::filesystem::create_directories(std::filesystem::u8path(scratch));
    ScopedEnv tempFolder(kTempVariable, scratch);
    const std::string own = platform::path::Join(scratch, "vantrel-" + platform::UserId());

    const struct {
        std::string runtime;  // $XDG_RUNTIME_DIR
        std::string expected;
    } cases[] = {
#ifndef _WIN32
        {session, session},
#endif
        {"", own},
        {"relative", own},
        {platform::path::Join(temp.Path(), "missing"), own},
    };
    for (const auto& c : cases) {
        ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime);
        platform::FileStatus status;
        EXPECT_EQ(platform::UserRuntimeFolder(&status), c.expected) << c.runtime;
        EXPECT_TRUE(status) << status.Message();
    }
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(own)));
#ifndef _WIN32
    // Someone else's folder of that name, or one open to others, is never used.
    std::filesystem::permissions(own, std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add);
    ScopedEnv noSession("XDG_RUNTIME_DIR", "");
    platform::FileStatus status;
    EXPECT_EQ(platform::UserRuntimeFolder(&status), "");
    EXPECT_NE(status.Message().find("other users"), std::string::npos) << status.Message();
#endif
}

}  // namespace
