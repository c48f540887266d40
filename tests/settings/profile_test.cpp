// The profile functions on real files: defaults, buffer cut, integers, atomic writes that keep
// the user's other lines, failures reported with their cause, kills survived, UTF-16 files,
// odd files survived, and overlapping threads.
#include "platform/profile.h"

#include "platform/ini_text_encoding.h"
#include "support/temp_folder.h"

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::ReadProfileInt;
using platform::ReadProfileText;
using platform::WriteProfileText;
using platform::ini::EncodeText;
using platform::ini::TextEncoding;
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
    const platform::FileStatus written = WriteProfileText(ini, "Settings", "Out Path", "/home/u/V");
    ASSERT_TRUE(written) << written.Message();
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

// --- Faults ---

namespace fs = std::filesystem;

// Every file and folder under `root` with its permissions and content, to show that a failed
// write changed nothing and left nothing.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const auto mode = static_cast<int>(entry.symlink_status().permissions());
        const bool file = entry.is_regular_file() && (mode & 0400) != 0;
        entries[entry.path().string()] =
            std::to_string(mode) + ":" + (file ? ReadFile(entry.path()) : "");
    }
    return entries;
}

// A write by an ordinary user: when the tests run as root, whom permissions do not stop, it
// runs as "nobody" in a child process. The failure's message, "" on success.
std::string WriteAsOrdinaryUser(const std::string& file, const std::string& value) {
    const auto write = [&] {
        return WriteProfileText(file, "Settings", "Format", value).Message();
    };
    if (::geteuid() != 0)
        return write();
    int fds[2];
    if (::pipe(fds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
            ::setuid(nobody->pw_uid) != 0)
            ::_exit(2);
        const std::string message = write();
        ::_exit(::write(fds[1], message.data(), message.size()) < 0 ? 3 : 0);
    }
    ::close(fds[1]);
    std::string message;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        message.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? message : "(the child failed)";
}

TEST(ProfileWrite, ReportsTheRealCauseOfAFailureAndChangesNothing) {
    const std::string original = "[Settings]\r\nFormat=1\r\n";
    const std::string utf16 = *EncodeText(original, TextEncoding::kUtf16Le);
    const auto chmod = [](const char* name, int mode) {
        return [=](const TempFolder& dir) { fs::permissions(dir / name, fs::perms(mode)); };
    };
    // Writes `name` (readable and writable for all), then sets its folder's permissions.
    const auto write = [](const char* name, std::string content, int folderMode = 0) {
        return [=](const TempFolder& dir) {
            WriteFile(dir / name, content);
            fs::permissions(dir / name, fs::perms(0666));
            if (folderMode != 0)
                fs::permissions(fs::path(dir / name).parent_path(), fs::perms(folderMode));
        };
    };
    struct Fault {
        const char* what;
        std::string file;  // in the test folder, which holds "v.ini" with `original`
        std::string value;
        std::function<void(const TempFolder&)> arrange;
        bool ordinaryUser;  // the fault stops an ordinary user only
        std::string says;   // the start of the message
        std::string cause;  // its end
    };
    const Fault faults[] = {
        {"read-only file", "v.ini", "2", chmod("v.ini", 0444), false, "cannot replace",
         "the file is read-only"},
        {"file this user may not write", "v.ini", "2", chmod("v.ini", 0464), true, "cannot replace",
         "Permission denied"},
        {"file this user may not read", "v.ini", "2", chmod("v.ini", 0220), true, "cannot read",
         "Permission denied"},
        {"folder this user may not write", "locked/v.ini", "2",
         write("locked/v.ini", original, 0555), true, "cannot create the temporary file",
         "Permission denied"},
        {"folder this user may not create", "locked/new/v.ini", "2", write("locked/x", "", 0555),
         true, "cannot create folder", "Permission denied"},
        {"file in the way of the folder", "blocker/v.ini", "2", write("blocker", "keep me"), false,
         "cannot read", "Not a directory"},
        {"folder in the way of the file", "folder.ini", "2", write("folder.ini/inside", ""), false,
         "cannot read", "Is a directory"},
        {"value with a line break",
         "v.ini",
         "2\r\n[Settings]\r\nFormat=3",
         {},
         false,
         "cannot write to",
         "the value contains a line break"},
        {"UTF-16 file that is not well formed", "u16.ini", "2",
         write("u16.ini", utf16 + "\x00\xD8"s), false, "cannot write to",
         "its UTF-16 text is not well formed and would not be kept as it is"},
        {"value that is not UTF-8 for a UTF-16 file", "u16.ini", "\xE9", write("u16.ini", utf16),
         false, "cannot write to", "the file is in UTF-16 and the value is not UTF-8 text"},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        TempFolder dir;
        fs::permissions(dir.Path(), fs::perms(0755));
        WriteFile(dir / "v.ini", original);
        if (fault.arrange)
            fault.arrange(dir);
        const auto before = Snapshot(dir.Path());
        const std::string message =
            fault.ordinaryUser
                ? WriteAsOrdinaryUser(dir / fault.file, fault.value)
                : WriteProfileText(dir / fault.file, "Settings", "Format", fault.value).Message();
        EXPECT_EQ(message.substr(0, fault.says.size()), fault.says) << message;
        EXPECT_TRUE(message.size() >= fault.cause.size() &&
                    message.compare(message.size() - fault.cause.size(), fault.cause.size(),
                                    fault.cause) == 0)
            << message;
        EXPECT_EQ(Snapshot(dir.Path()), before);
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
    }
}

TEST(ProfileWrite, AKilledWriterLeavesTheOldOrTheNewFileAndNothingForGood) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    // Large enough that kills land inside writes.
    const std::string padding(1 << 20, 'p');
    WriteFile(ini, "[Settings]\r\nFormat=0\r\nPad=" + padding + "\r\n");
    std::minstd_rand random(11);
    pid_t writer = 0;
    for (int round = 0; round < 30; ++round) {
        writer = ::fork();
        if (writer == 0) {
            for (int i = 0;; ++i) WriteProfileText(ini, "Settings", "Format", i % 2 ? "1" : "2");
        }
        ::usleep(random() % 80000);
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        ASSERT_EQ(fs::file_size(ini), 28u + padding.size());
        const std::string format = ReadProfileText(ini, "Settings", "Format", "none", kBuffer);
        ASSERT_TRUE(format == "0" || format == "1" || format == "2") << format;
    }
    // Temporary names: of a process that is gone, of one that runs (init), and names that are
    // not Vantrel's.
    const std::vector<std::string> kept = {"v.ini", ".v.ini.tmp-1-0", "v.ini.tmp-5-5",
                                           ".v.ini.tmp-x", ".v.ini.tmp-5-5-5"};
    for (const std::string& name : kept) WriteFile(dir / name, "x");
    WriteFile(dir / (".v.ini.tmp-" + std::to_string(writer) + "-99"), padding);
    ASSERT_TRUE(WriteProfileText(ini, "Settings", "Format", "3"));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".v.ini.tmp-1-0", ".v.ini.tmp-5-5-5", ".v.ini.tmp-x",
                                              "v.ini", "v.ini.tmp-5-5"}));
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "Format", -1), 3);
}

TEST(ProfileEncoding, ReadsUtf16FilesAndKeepsThemInTheirByteOrder) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    const std::string text =
        "; Vid\xC3\xA9os\r\n[Settings]\r\nOut Path=/home/zo\xC3\xAB/Vid\xC3\xA9os\r\nFormat=3\r\n";
    for (const TextEncoding encoding : {TextEncoding::kUtf16Le, TextEncoding::kUtf16Be}) {
        WriteFile(ini, *EncodeText(text, encoding));
        EXPECT_EQ(ReadProfileText(ini, "Settings", "Out Path", "d", kBuffer),
                  "/home/zo\xC3\xAB/Vid\xC3\xA9os");
        EXPECT_EQ(ReadProfileInt(ini, "Settings", "Format", 0), 3);
        ASSERT_TRUE(WriteProfileText(ini, "Settings", "Format", "4"));
        ASSERT_TRUE(WriteProfileText(ini, "Settings", "Channel", "\xE2\x82\xAC"));
        std::string expected = text;
        expected.replace(expected.find("Format=3"), 8, "Format=4\r\nChannel=\xE2\x82\xAC");
        EXPECT_EQ(ReadFile(ini), *EncodeText(expected, encoding));
    }
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

TEST(ProfileBadInput, HandlesAFileNearTheSizeLimitAndAHundredThousandCharacterLine) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    std::string big = "[Settings]\r\n";
    big += "Long=" + std::string(100000, 'L') + "\r\n";
    big += "NoEquals" + std::string(100000, 'N') + "\r\n";
    while (big.size() < platform::kMaxProfileFileSize - 1024)
        big += "[Pad]\r\nk=v\r\n;comment line here\r\n";
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

// Never opened (a FIFO would block, /dev/zero never ends), nor read past the size limit: each
// reads as absent, says why, and is not written over.
TEST(ProfileBadInput, AFileThatIsNoSmallRegularFileIsNeitherReadNorWritten) {
    TempFolder dir;
    const std::string fifo = dir / "fifo.ini";
    const std::string zero = dir / "zero.ini";
    const std::string big = dir / "big.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", zero);
    const std::string bigText = "[S]\r\nk=v\r\n" + std::string(platform::kMaxProfileFileSize, ';');
    WriteFile(big, bigText);
    for (const std::string& ini : {fifo, zero, big}) {
        EXPECT_EQ(ReadProfileText(ini, "S", "k", "d", kBuffer), "d") << ini;
        EXPECT_EQ(platform::ReadProfileValues(ini, "S", {"k"})[0], std::nullopt) << ini;
        EXPECT_NE(platform::ProfileFileProblem(ini), "") << ini;
        EXPECT_FALSE(WriteProfileText(ini, "S", "k", "w")) << ini;
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(ReadFile(big) == bigText);
    EXPECT_EQ(platform::ProfileFileProblem(dir / "missing.ini"), "");
}

// --- Threads ---

// Writers of one file take turns, so however they overlap no update is lost.
TEST(ProfileConcurrency, WritersAtTheSameMomentLoseNoUpdate) {
    TempFolder dir;
    const std::string ini = dir / "v.ini";
    constexpr int kWriters = 4;
    constexpr int kKeys = 20;
    std::atomic<int> failed{0};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (int k = 0; k < kKeys; ++k)
                if (!WriteProfileText(ini, "Settings", std::to_string(w) + "-" + std::to_string(k),
                                      "v"))
                    ++failed;
        });
    }
    for (std::thread& writer : writers) writer.join();
    EXPECT_EQ(failed, 0);
    for (int w = 0; w < kWriters; ++w)
        for (int k = 0; k < kKeys; ++k)
            EXPECT_EQ(ReadProfileText(ini, "Settings", std::to_string(w) + "-" + std::to_string(k),
                                      "lost", kBuffer),
                      "v");
}

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
