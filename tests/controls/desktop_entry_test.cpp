#include "controls/desktop_entry.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

using controls::DefaultApplications;
using controls::DefaultBrowserCommand;
using controls::DesktopEntryExec;
using controls::XdgDirectories;
using testing_support::ScopedEnv;
using testing_support::TempFolder;
using testing_support::WriteFile;
using Words = std::vector<std::string>;

TEST(DefaultApplications, ReadsListOfTheDefaultGroupOnly) {
    const std::string list =
        "[Added Associations]\n"
        "x-scheme-handler/http=added.desktop;\n"
        "\n"
        "[Default Applications]\n"
        "# comment\n"
        "text/html = html.desktop\n"
        "x-scheme-handler/http=first.desktop;second.desktop;\n";
    EXPECT_EQ(DefaultApplications(list, "x-scheme-handler/http"),
              Words({"first.desktop", "second.desktop"}));
    EXPECT_EQ(DefaultApplications(list, "text/html"), Words({"html.desktop"}));
    EXPECT_TRUE(DefaultApplications(list, "image/png").empty());
}

TEST(DesktopEntryExec, ReadsExecOfTheDesktopEntryGroup) {
    const std::string entry =
        "[Desktop Entry]\nName=Web\nExec=/usr/lib/web/web %u\n"
        "[Desktop Action new-window]\nExec=/usr/lib/web/web --new-window %u\n";
    EXPECT_EQ(DesktopEntryExec(entry), std::string("/usr/lib/web/web %u"));
}

TEST(DesktopEntryExec, UndoesFileFormatEscapesOnly) {
    // In the file a quote inside a quoted word is written \\" (the backslash itself escaped).
    EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\nExec=\"/opt/a\\sb/run\" \"x\\\\\"y\" %U\n"),
              std::string("\"/opt/a b/run\" \"x\\\"y\" %U"));
}

TEST(DesktopEntryExec, MissingExecIsNothing) {
    EXPECT_FALSE(DesktopEntryExec("[Desktop Entry]\nName=Web\n").has_value());
    EXPECT_FALSE(DesktopEntryExec("[Other]\nExec=x\n").has_value());
}

class DefaultBrowserCommandTest : public ::testing::Test {
protected:
    XdgDirectories Dirs() const {
        return XdgDirectories{
            {folder / "config/mimeapps.list", folder / "data/applications/mimeapps.list"},
            {folder / "data/applications", folder / "system/applications"}};
    }
    TempFolder folder;
};

TEST_F(DefaultBrowserCommandTest, SkipsListedEntriesThatAreNotInstalled) {
    WriteFile(folder / "config/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/http=gone.desktop;web.desktop;\n");
    WriteFile(folder / "system/applications/web.desktop",
              "[Desktop Entry]\nExec=/usr/bin/web --private %u\n");
    EXPECT_EQ(DefaultBrowserCommand(Dirs()), std::string("/usr/bin/web --private %u"));
}

TEST_F(DefaultBrowserCommandTest, FallsBackToHtmlHandler) {
    WriteFile(folder / "data/applications/mimeapps.list",
              "[Default Applications]\ntext/html=html.desktop\n");
    WriteFile(folder / "data/applications/html.desktop", "[Desktop Entry]\nExec=viewer %f\n");
    EXPECT_EQ(DefaultBrowserCommand(Dirs()), std::string("viewer %f"));
}

TEST_F(DefaultBrowserCommandTest, NothingWhenNoBrowserIsSetUp) {
    EXPECT_FALSE(DefaultBrowserCommand(Dirs()).has_value());
}

TEST(CurrentXdgDirectories, FollowsXdgVariables) {
    ScopedEnv configHome("XDG_CONFIG_HOME", "/c");
    ScopedEnv configDirs("XDG_CONFIG_DIRS", "/cd1:/cd2");
    ScopedEnv dataHome("XDG_DATA_HOME", "/d");
    ScopedEnv dataDirs("XDG_DATA_DIRS", "/dd1::/dd2");
    const XdgDirectories dirs = controls::CurrentXdgDirectories();
    EXPECT_EQ(dirs.mimeappsLists,
              Words({"/c/mimeapps.list", "/cd1/mimeapps.list", "/cd2/mimeapps.list",
                     "/d/applications/mimeapps.list", "/dd1/applications/mimeapps.list",
                     "/dd2/applications/mimeapps.list"}));
    EXPECT_EQ(dirs.applicationDirs,
              Words({"/d/applications", "/dd1/applications", "/dd2/applications"}));
}

TEST(CurrentXdgDirectories, EmptyVariablesMeanTheDefaults) {
    ScopedEnv home("HOME", "/home/u");
    ScopedEnv configHome("XDG_CONFIG_HOME", "");
    ScopedEnv configDirs("XDG_CONFIG_DIRS", "");
    ScopedEnv dataHome("XDG_DATA_HOME", "");
    ScopedEnv dataDirs("XDG_DATA_DIRS", "");
    const XdgDirectories dirs = controls::CurrentXdgDirectories();
    EXPECT_EQ(dirs.mimeappsLists.front(), "/home/u/.config/mimeapps.list");
    EXPECT_EQ(dirs.applicationDirs,
              Words({"/home/u/.local/share/applications", "/usr/local/share/applications",
                     "/usr/share/applications"}));
}

}  // namespace
