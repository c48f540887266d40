// The profile functions on real files: defaults, buffer cut, integers, atomic writes that keep
// the user's other lines, failures reported, odd files survived, and overlapping threads.
#include "platform/profile.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using platform::ReadProfileInt;
using platform::ReadProfileText;
using platform::WriteProfileText;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

using namespace std::string_literals;

constexpr std::size_t kBuffer = 260;

// --- Reading ---

TEST(ProfileRead, ReturnsTheDefaultWhenFileSectionOrKeyIsMissing) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    EXPECT_EQ(ReadProfileText(ini, "S", "F", "d", kBuffer), "d");
    EXPECT_FALSE(std::filesystem::exists(ini));

    WriteFile(ini, "[S]\r\nF=flv\r\nE=\r\n");
    EXPECT_EQ(ReadProfileText(ini, "S", "F", "d", kBuffer), "flv");
    EXPECT_EQ(ReadProfileText(ini, "S", "E", "d", kBuffer), "");
    EXPECT_EQ(ReadProfileText(ini, "S", "G", "d", kBuffer), "d");
    EXPECT_EQ(ReadProfileText(ini, "T", "F", "d", kBuffer), "d");
    // A folder where the file should be reads as a missing file.
    EXPECT_EQ(ReadProfileText(dir.Path(), "S", "F", "d", kBuffer), "d");
}

TEST(ProfileRead, TrimsOnlySpacesFromArgumentsAndTrailingSpacesFromTheDefault) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    WriteFile(ini, "  [ Settings ]\r\n \tOut Path \t=  C:\\V \t\r\n[s]\r\n");
    EXPECT_EQ(ReadProfileText(ini, " Settings ", " Out Path ", "d", kBuffer), "C:\\V");
    EXPECT_EQ(ReadProfileText(ini, "\tSettings", "Out Path", "d", kBuffer), "d");

    EXPECT_EQ(ReadProfileText(ini, "s", "x", "d  ", kBuffer), "d");
    EXPECT_EQ(ReadProfileText(ini, "s", "x", "  d", kBuffer), "  d");
    EXPECT_EQ(ReadProfileText(ini, "s", "x", "d\t", kBuffer), "d\t");
    EXPECT_EQ(ReadProfileText(ini, "s", "x", "", kBuffer), "");
}

TEST(ProfileRead, CutsValuesAndDefaultsToTheBufferSize) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    WriteFile(ini, "[s]\r\nk=val1\r\nlong=" + std::string(300, 'p') + "\r\n");
    EXPECT_EQ(ReadProfileText(ini, "s", "k", "d", 4), "val");
    EXPECT_EQ(ReadProfileText(ini, "s", "k", "d", 5), "val1");
    EXPECT_EQ(ReadProfileText(ini, "s", "k", "d", 1), "");
    EXPECT_EQ(ReadProfileText(ini, "s", "long", "d", kBuffer), std::string(259, 'p'));
    EXPECT_EQ(ReadProfileText(ini, "s", "none", std::string(300, 'd'), kBuffer),
              std::string(259, 'd'));
}

TEST(ProfileReadInt, ConvertsTheValueOrGivesTheDefault) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    EXPECT_EQ(ReadProfileInt(ini, "S", "K", 5), 5);
    WriteFile(ini,
              "[S]\r\nM=-1\r\nP=+1\r\nA=42A9\r\nB=B42\r\nR=640x480\r\nH=0x1F\r\nE=\r\n"
              "Q=\"3\"\r\nX=abc\r\nBig=4294967297\r\n");
    EXPECT_EQ(ReadProfileInt(ini, "S", "M", 5), -1);
    EXPECT_EQ(ReadProfileInt(ini, "S", "P", 5), 1);
    EXPECT_EQ(ReadProfileInt(ini, "S", "A", 5), 42);
    EXPECT_EQ(ReadProfileInt(ini, "S", "B", 5), 0);
    EXPECT_EQ(ReadProfileInt(ini, "S", "R", 5), 640);
    EXPECT_EQ(ReadProfileInt(ini, "S", "H", 5), 0);
    EXPECT_EQ(ReadProfileInt(ini, "S", "Q", 5), 3);
    EXPECT_EQ(ReadProfileInt(ini, "S", "X", 5), 0);
    EXPECT_EQ(ReadProfileInt(ini, "S", "Big", 5), 2147483647);
    EXPECT_EQ(ReadProfileInt(ini, "S", "E", 7), 7);
    EXPECT_EQ(ReadProfileInt(ini, "S", "missing", 7), 7);
    EXPECT_EQ(ReadProfileInt(ini, "S", "missing", -1), -1);
}

// --- Writing ---

TEST(ProfileWrite, CreatesTheFileAndItsFolder) {
    TempFolder dir;
    const std::string ini = dir / "config/vantrel/v.ini";
    std::string error;
    ASSERT_TRUE(WriteProfileText(ini, "Settings", "Out Path", "/home/u/V", &error)) << error;
    EXPECT_EQ(ReadFile(ini), "[Settings]\r\nOut Path=/home/u/V\r\n");

    ASSERT_TRUE(WriteProfileText(ini, "Settings", "Format", "3"));
    ASSERT_TRUE(WriteProfileText(ini, "Other", "k", "v"));
    EXPECT_EQ(ReadFile(ini), "[Settings]\r\nOut Path=/home/u/V\r\nFormat=3\r\n[Other]\r\nk=v\r\n");
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "Format", 0), 3);
}

TEST(ProfileWrite, TrimsSpacesFromNamesAndRoundTripsTheValue) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    ASSERT_TRUE(WriteProfileText(ini, " S ", " k ", " v "));
    EXPECT_EQ(ReadFile(ini), "[S]\r\nk=\" v \"\r\n");
    EXPECT_EQ(ReadProfileText(ini, "S", "k", "d", kBuffer), " v ");
    ASSERT_TRUE(WriteProfileText(ini, "S", "k", "/home/u/My Videos "));
    EXPECT_EQ(ReadProfileText(ini, "S", "k", "d", kBuffer), "/home/u/My Videos ");
}

TEST(ProfileWrite, ChangesOneValueAndKeepsEveryOtherByte) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    const std::string windowsFile =
        "; written by hand\r\n"
        "[Settings]\r\n"
        "Out Path=C:\\ZedovAvizevare\r\n"
        "Format=2\r\n"
        "Resolution = 1\r\n"
        "\r\n"
        "[Recent]\n"
        "#1=a.avi\n";
    WriteFile(ini, windowsFile);
    ASSERT_TRUE(WriteProfileText(ini, "settings", "format", "5"));
    std::string expected = windowsFile;
    expected.replace(expected.find("Format=2"), 8, "Format=5");
    EXPECT_EQ(ReadFile(ini), expected);

    ASSERT_TRUE(WriteProfileText(ini, "Settings", "Channel", "1"));
    expected.insert(expected.find("\r\n\r\n[Recent]") + 2, "Channel=1\r\n");
    EXPECT_EQ(ReadFile(ini), expected);
}

TEST(ProfileWrite, ReplacesTheFileThatALinkPointsTo) {
    TempFolder dir;
    const std::string real = dir / "dotfiles/v.ini";
    const std::string link = dir / "v.ini";
    WriteFile(real, "[S]\r\nk=1\r\n");
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(WriteProfileText(link, "S", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "[S]\r\nk=2\r\n");
}

TEST(ProfileWrite, ReportsAFailedWriteAndLeavesTheOldFile) {
    TempFolder dir;
    std::string error;

    // The file's folder cannot be made because a file is in the way.
    WriteFile(dir / "blocker", "keep me");
    EXPECT_FALSE(WriteProfileText(dir / "blocker/v.ini", "S", "k", "v", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(dir / "blocker"), "keep me");

    // A folder stands where the file should be: it cannot be read or replaced.
    error.clear();
    std::filesystem::create_directories(dir / "v.ini/inside");
    EXPECT_FALSE(WriteProfileText(dir / "v.ini", "S", "k", "v", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "v.ini/inside"));

    // No temporary file is left behind.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

TEST(ProfileWrite, RefusesArgumentsThatWouldBreakTheFile) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    const std::string original = "[Settings]\r\nOut Path=/v\r\nFormat=1\r\n";
    WriteFile(ini, original);
    std::string error;
    EXPECT_FALSE(WriteProfileText(ini, "Settings", "Out Path", "/v\n[Settings]\nFormat=3", &error));
    EXPECT_NE(error.find("line break"), std::string::npos) << error;
    EXPECT_FALSE(WriteProfileText(ini, "Settings", "a=b", "v"));
    EXPECT_FALSE(WriteProfileText(ini, "Set]tings", "k", "v"));
    EXPECT_EQ(ReadFile(ini), original);
}

// --- Bad input ---

TEST(ProfileBadInput, KeepsBinaryAndNonUtf8LinesThroughAWrite) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    std::string binary = "\0\x01\x02\xFF\xFE\0[\0]\r\n"s;
    for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
    const std::string original = binary + "\r\n[Settings]\r\nName=\xE9t\xE9\r\n\xC3\x28\x80\r\n";
    WriteFile(ini, original);
    EXPECT_EQ(ReadProfileText(ini, "Settings", "Name", "d", kBuffer), "\xE9t\xE9");
    ASSERT_TRUE(WriteProfileText(ini, "Settings", "Format", "1"));
    std::string expected = original;
    expected.insert(expected.find("\xC3\x28"), "Format=1\r\n");
    EXPECT_EQ(ReadFile(ini), expected);
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "Format", 9), 1);
}

TEST(ProfileBadInput, HandlesATenMegabyteFileAndAHundredThousandCharacterLine) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    std::string big = "[Settings]\r\n";
    big += "Long=" + std::string(100000, 'L') + "\r\n";
    big += "NoEquals" + std::string(100000, 'N') + "\r\n";
    while (big.size() < 10 * 1024 * 1024) big += "[Pad]\r\nk=v\r\n;comment line here\r\n";
    big += "[Tail]\r\nEnd=yes";
    WriteFile(ini, big);

    EXPECT_EQ(ReadProfileText(ini, "Settings", "Long", "d", kBuffer), std::string(259, 'L'));
    EXPECT_EQ(ReadProfileText(ini, "Tail", "End", "d", kBuffer), "yes");
    ASSERT_TRUE(WriteProfileText(ini, "Settings", "Format", "4"));
    ASSERT_TRUE(WriteProfileText(ini, "Tail", "End", "no"));
    ASSERT_TRUE(WriteProfileText(ini, "New", "k", "v"));

    std::string expected = big;
    expected.insert(expected.find("NoEquals"), "Format=4\r\n");
    expected.replace(expected.size() - 3, 3, "no\r\n[New]\r\nk=v\r\n");
    EXPECT_TRUE(ReadFile(ini) == expected);
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "Format", 0), 4);
}

// --- Threads ---

TEST(ProfileConcurrency, ReadersSeeTheOldOrTheNewValueWhileAnotherThreadWrites) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    WriteFile(ini, "; keep\r\n[Settings]\r\nFormat=1\r\nOut Path=/v\r\n");
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!done) {
            const int format = ReadProfileInt(ini, "Settings", "Format", -1);
            const std::string out = ReadProfileText(ini, "Settings", "Out Path", "d", kBuffer);
            if ((format != 1 && format != 2) || out != "/v")
                ++bad;
        }
    });
    int failedWrites = 0;
    for (int i = 0; i < 200; ++i) {
        if (!WriteProfileText(ini, "Settings", "Format", i % 2 ? "1" : "2"))
            ++failedWrites;
    }
    done = true;
    reader.join();
    EXPECT_EQ(failedWrites, 0);
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(ReadFile(ini), "; keep\r\n[Settings]\r\nFormat=1\r\nOut Path=/v\r\n");
}

}  // namespace
