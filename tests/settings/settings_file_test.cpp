// vantrel.ini: where it lives, its "Settings" section, and the start-up output folder check.
#include "settings/settings_file.h"

#include "platform/path.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using testing_support::ReadFile;
using testing_support::ScopedEnv;
using testing_support::TempFolder;
using testing_support::WriteFile;

namespace fs = std::filesystem;

using platform::path::Join;

// The variables that move the home and settings folders, and the settings file's folder.
#ifdef _WIN32
constexpr char kHomeVariable[] = "USERPROFILE";
constexpr char kConfigVariable[] = "APPDATA";
constexpr char kFolder[] = "Vantrel";
#else
constexpr char kHomeVariable[] = "HOME";
constexpr char kConfigVariable[] = "XDG_CONFIG_HOME";
constexpr char kFolder[] = "vantrel";
#endif

std::string IniIn(const std::string& config) {
    return Join(Join(config, kFolder), "vantrel.ini");
}

// A private home and configuration folder for each test. On Windows the default output folder
// is on the system drive, which the test moves to the home folder too.
class SettingsFileTest : public ::testing::Test {
protected:
    std::string Ini() const { return IniIn(config_.Path()); }
    std::string Home() const { return home_.Path(); }
    std::string Fallback() const { return Join(home_.Path(), "ZedovAvizevare"); }

    TempFolder home_;
    TempFolder config_;
    ScopedEnv homeEnv_{kHomeVariable, home_.Path()};
    ScopedEnv configEnv_{kConfigVariable, config_.Path()};
    ScopedEnv driveEnv_{"SystemDrive", home_.Path()};
};

TEST_F(SettingsFileTest, PathsFollowTheEnvironmentOnEveryCall) {
    EXPECT_EQ(settings::SettingsFilePath(), Ini());
    EXPECT_EQ(settings::DefaultOutPath(), Fallback());
    EXPECT_EQ(settings::FallbackOutPath(), Fallback());

    TempFolder other;
    ScopedEnv moved(kConfigVariable, other.Path());
    EXPECT_EQ(settings::SettingsFilePath(), IniIn(other.Path()));
    ASSERT_TRUE(settings::WriteText(settings::kFormat, "2"));
    EXPECT_TRUE(fs::exists(IniIn(other.Path())));
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(SettingsFileTest, FirstStartReadsDefaultsAndCreatesNoFile) {
    EXPECT_EQ(settings::ReadText(settings::kOutPath, settings::DefaultOutPath()), Fallback());
    EXPECT_EQ(settings::ReadInt(settings::kFormat, 0), 0);
    EXPECT_EQ(settings::ReadText(settings::kResolution, "1"), "1");
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(SettingsFileTest, ReadsAndWritesTheSettingsSectionOnly) {
    // "Out Path" is read whole however long, other values through the 260-byte buffer.
    const std::string videos = "/videos/" + std::string(150, 'v') + "/" + std::string(150, 'w');
    WriteFile(Ini(),
              "[Other]\r\nFormat=6\r\nOut Path=/elsewhere\r\n"
              "[settings]\r\nformat=3\r\nOut Path=" +
                  videos + "\r\nResolution=abc\r\nChannel=" + std::string(300, '7') + "\r\n");
    EXPECT_EQ(settings::ReadInt(settings::kFormat, 0), 3);
    EXPECT_EQ(settings::ReadText(settings::kOutPath, "d"), videos);
    EXPECT_EQ(settings::TextToInt(settings::ReadText(settings::kResolution, "1")), 0);
    EXPECT_EQ(settings::ReadText(settings::kChannel, "1"), std::string(259, '7'));

    ASSERT_TRUE(settings::WriteText(settings::kFormat, "-1"));
    // Seen at once by the next read: nothing is cached.
    EXPECT_EQ(settings::ReadInt(settings::kFormat, 0), -1);
    EXPECT_EQ(ReadFile(Ini()),
              "[Other]\r\nFormat=6\r\nOut Path=/elsewhere\r\n"
              "[settings]\r\nformat=-1\r\nOut Path=" +
                  videos + "\r\nResolution=abc\r\nChannel=" + std::string(300, '7') + "\r\n");
}

TEST_F(SettingsFileTest, TextToIntIsTheStandardConversion) {
    EXPECT_EQ(settings::TextToInt("abc"), 0);
    EXPECT_EQ(settings::TextToInt(" 12x"), 12);
    EXPECT_EQ(settings::TextToInt("-1"), -1);
    EXPECT_EQ(settings::TextToInt(""), 0);
    EXPECT_EQ(settings::TextToInt("   1234kB"), 1234);
}

TEST_F(SettingsFileTest, WriteTextReportsAFileThatCannotBeReplaced) {
    fs::create_directories(Ini());  // a folder where the file should be
    std::string error;
    EXPECT_FALSE(settings::WriteText(settings::kFormat, "1", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(Ini()));
}

// --- Start-up output folder check ---

TEST_F(SettingsFileTest, KeepsAnExistingFolderWithoutWriting) {
    const std::string videos = Home() + "/Videos";
    fs::create_directory(videos);
    EXPECT_EQ(settings::EnsureOutputFolder(videos), videos);
    EXPECT_EQ(settings::EnsureOutputFolder(videos + "/"), videos + "/");
    EXPECT_FALSE(fs::exists(Ini()));
    EXPECT_FALSE(fs::exists(Fallback()));
}

TEST_F(SettingsFileTest, CreatesAMissingFolderWhoseParentExistsWithoutWriting) {
    const std::string out = settings::DefaultOutPath();
    EXPECT_EQ(settings::EnsureOutputFolder(out), out);
    EXPECT_TRUE(fs::is_directory(out));
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(SettingsFileTest, FallsBackAndRemembersWhenTheFolderCannotBeCreated) {
    WriteFile(Ini(), "[Settings]\r\nOut Path=" + Home() + "/gone/deeper\r\nFormat=2\r\n");
    EXPECT_EQ(settings::EnsureOutputFolder(Home() + "/gone/deeper"), Fallback());
    EXPECT_TRUE(fs::is_directory(Fallback()));
    EXPECT_FALSE(fs::exists(Home() + "/gone"));  // parents are not created
    EXPECT_EQ(ReadFile(Ini()), "[Settings]\r\nOut Path=" + Fallback() + "\r\nFormat=2\r\n");
}

TEST_F(SettingsFileTest, FallsBackForAnEmptyPath) {
    EXPECT_EQ(settings::EnsureOutputFolder(""), Fallback());
    EXPECT_TRUE(fs::is_directory(Fallback()));
    EXPECT_EQ(settings::ReadText(settings::kOutPath, "d"), Fallback());
}

TEST_F(SettingsFileTest, FallsBackWhenAFileStandsWhereTheFolderShouldBe) {
    const std::string notAFolder = Home() + "/clip.flv";
    WriteFile(notAFolder, "video");
    EXPECT_EQ(settings::EnsureOutputFolder(notAFolder), Fallback());
    EXPECT_EQ(ReadFile(notAFolder), "video");
    EXPECT_EQ(settings::ReadText(settings::kOutPath, "d"), Fallback());
}

TEST_F(SettingsFileTest, FallsBackForARelativePathEvenWhenItExists) {
    // Relative to the current folder, or read by the encoder as a protocol: never used.
    fs::create_directory(Home() + "/videos");
    const fs::path before = fs::current_path();
    fs::current_path(Home());
    for (const std::string relative : {"videos", ".", "pipe:", "./out", "~/videos"}) {
        EXPECT_EQ(settings::ResolveOutputFolder(relative, false).folder, Fallback()) << relative;
        WriteFile(Ini(), "[Settings]\r\nOut Path=" + relative + "\r\n");
        EXPECT_EQ(settings::EnsureOutputFolder(relative), Fallback()) << relative;
        EXPECT_EQ(settings::ReadText(settings::kOutPath, "d"), Fallback()) << relative;
    }
    EXPECT_FALSE(fs::exists(Home() + "/pipe:"));
    EXPECT_FALSE(fs::exists(Home() + "/out"));
    // A relative $HOME does not make the fall-back relative.
    ScopedEnv relativeHome(kHomeVariable, "home");
    EXPECT_TRUE(platform::path::IsAbsolute(settings::FallbackOutPath()));
    fs::current_path(before);
}

TEST_F(SettingsFileTest, FallsBackWhenHomeLacksTheFallbackFolderParents) {
    // The fall-back folder is created with its parents.
    TempFolder other;
    const std::string home = Join(Join(other.Path(), "new"), "home");
    ScopedEnv homeEnv(kHomeVariable, home);
    ScopedEnv driveEnv("SystemDrive", home);
    EXPECT_EQ(settings::EnsureOutputFolder(""), Join(home, "ZedovAvizevare"));
    EXPECT_TRUE(fs::is_directory(fs::u8path(Join(home, "ZedovAvizevare"))));
}

}  // namespace
