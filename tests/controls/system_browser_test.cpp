// The real fall-back environment, with the environment variables and files of a test folder.
// Only harmless programs are started (/bin/true), never a browser.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardPaths>
#include <filesystem>

#include "controls/link_launch.h"
#include "platform/shell.h"
#include "support/temp_folder.h"

namespace {

using testing_support::ScopedEnv;
using testing_support::TempFolder;
using testing_support::WriteFile;

class SystemBrowserFallbackTest : public ::testing::Test {
protected:
    SystemBrowserFallbackTest()
        : configHome("XDG_CONFIG_HOME", folder / "config"),
          configDirs("XDG_CONFIG_DIRS", folder / "none"),
          dataHome("XDG_DATA_HOME", folder / "data"),
          dataDirs("XDG_DATA_DIRS", folder / "none") {}

    TempFolder folder;
    ScopedEnv configHome, configDirs, dataHome, dataDirs;
    controls::BrowserFallback& fallback = controls::SystemBrowserFallback();
};

TEST_F(SystemBrowserFallbackTest, BrowserVariableComesFirst) {
    ScopedEnv browser("BROWSER", "my-browser --tab %s:other-browser");
    WriteFile(folder / "config/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/http=web.desktop\n");
    WriteFile(folder / "data/applications/web.desktop", "[Desktop Entry]\nExec=web %u\n");
    EXPECT_EQ(fallback.BrowserCommand(), std::string("my-browser --tab %s"));
}

TEST_F(SystemBrowserFallbackTest, DefaultWebBrowserEntryWhenNoVariable) {
    ScopedEnv browser("BROWSER", "");
    WriteFile(folder / "config/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/http=web.desktop\n");
    WriteFile(folder / "data/applications/web.desktop", "[Desktop Entry]\nExec=web %u\n");
    EXPECT_EQ(fallback.BrowserCommand(), std::string("web %u"));
}

TEST_F(SystemBrowserFallbackTest, NoCommandWhenNothingIsSetUp) {
    ScopedEnv browser("BROWSER", "");
    EXPECT_FALSE(fallback.BrowserCommand().has_value());
}

TEST_F(SystemBrowserFallbackTest, RunStartsProgramAndReportsSuccess) {
#ifdef _WIN32
    const std::string program = "cmd.exe";
#else
    const std::string program = "true";
#endif
    const std::string path =
        QStandardPaths::findExecutable(QString::fromStdString(program)).toStdString();
    ASSERT_FALSE(path.empty());
    EXPECT_GT(fallback.Run({path, "/c"}), 32);
    EXPECT_GT(fallback.Run({program, "/c"}), 32);  // found on PATH
}

TEST_F(SystemBrowserFallbackTest, RunMapsStartFailuresToCodes) {
    EXPECT_EQ(fallback.Run({"vantrel-no-such-browser", "x"}), platform::kShellFileNotFound);
    EXPECT_EQ(fallback.Run({folder / "missing", "x"}), platform::kShellFileNotFound);
    EXPECT_EQ(fallback.Run({folder / "no-folder/browser", "x"}), 3);  // path not found
    WriteFile(folder / "plain-file", "not a program");
    std::filesystem::permissions(folder / "plain-file", std::filesystem::perms::owner_read);
    EXPECT_EQ(fallback.Run({folder / "plain-file", "x"}), platform::kShellAccessDenied);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // QProcess wants an application object
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
