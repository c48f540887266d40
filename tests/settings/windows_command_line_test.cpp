// The argument vector quoted into one Windows command line; on Windows, also split again by
// the system's own CommandLineToArgvW.
#include "platform/windows_command_line.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/wide_text.h"
#endif

#include <string>
#include <vector>

namespace {

TEST(WindowsCommandLine, QuotesOnlyWhatSplittingWouldChange) {
    const char* program = "C:\\Program Files\\Vantrel\\DLL\\ffmpeg.exe";
    const struct {
        std::string arg;
        std::string quoted;
    } cases[] = {
        {"-y", "-y"},
        {"C:\\v\\clip.avi", "C:\\v\\clip.avi"},
        {"a b.avi", "\"a b.avi\""},
        {"tab\there", "\"tab\there\""},
        {"", "\"\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"\"", "\"\\\"\""},
        {"C:\\v\\", "C:\\v\\"},
        {"C:\\my v\\", "\"C:\\my v\\\\\""},
        {"a\\\\\"b", "\"a\\\\\\\\\\\"b\""},
        {"a\\b c", "\"a\\b c\""},
        {"\xc3\xa9t\xc3\xa9 \xe6\x98\xa0\xe7\x94\xbb.avi",
         "\"\xc3\xa9t\xc3\xa9 \xe6\x98\xa0\xe7\x94\xbb.avi\""},
    };
    std::vector<std::string> args = {program};
    std::string expected = std::string("\"") + program + "\"";
    for (const auto& c : cases) {
        EXPECT_EQ(platform::WindowsCommandLine({program, c.arg}),
                  std::string("\"") + program + "\" " + c.quoted)
            << c.arg;
        args.push_back(c.arg);
        expected += " " + c.quoted;
    }
    const std::string line = platform::WindowsCommandLine(args);
    EXPECT_EQ(line, expected);
#ifdef _WIN32
    int count = 0;
    LPWSTR* split = ::CommandLineToArgvW(platform::WideFromUtf8(line).c_str(), &count);
    ASSERT_NE(split, nullptr);
    std::vector<std::string> back;
    for (int i = 0; i < count; ++i) back.push_back(platform::Utf8FromWide(split[i]));
    ::LocalFree(split);
    EXPECT_EQ(back, args);
#endif
}

}  // namespace
