// Paths as both systems spell them: one table per question, each row in one style.
#include "platform/path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::path::Style;
constexpr Style P = Style::Posix;
constexpr Style W = Style::Windows;

struct PathCase {
    Style style;
    const char* path;
    bool absolute;
    const char* parent;
    const char* name;
    const char* stem;
};

const PathCase kPaths[] = {
    {P, "/", true, "/", "", ""},
    {P, "/a", true, "/", "a", "a"},
    {P, "/v/clip.avi", true, "/v", "clip.avi", "clip"},
    {P, "/v/x.tar.gz", true, "/v", "x.tar.gz", "x.tar"},
    {P, "/v/.avi", true, "/v", ".avi", ".avi"},
    {P, "/v/dir/", true, "/v/dir", "", ""},
    {P, "rel/a", false, "rel", "a", "a"},
    {P, "a", false, "", "a", "a"},
    {P, "", false, "", "", ""},
    {P, "C:\\v\\a.avi", false, "", "C:\\v\\a.avi", "C:\\v\\a"},  // backslash is a name byte
    {W, "C:\\", true, "C:\\", "", ""},
    {W, "C:/", true, "C:/", "", ""},
    {W, "c:\\v\\clip.avi", true, "c:\\v", "clip.avi", "clip"},
    {W, "C:/v/clip.avi", true, "C:/v", "clip.avi", "clip"},
    {W, "C:\\a", true, "C:\\", "a", "a"},
    {W, "C:a.avi", false, "C:", "a.avi", "a"},
    {W, "\\v\\a.avi", false, "\\v", "a.avi", "a"},
    {W, "\\\\server\\share\\v\\a.avi", true, "\\\\server\\share\\v", "a.avi", "a"},
    {W, "\\\\server\\share\\a.avi", true, "\\\\server\\share\\", "a.avi", "a"},
    {W, "//server/share/a.avi", true, "//server/share/", "a.avi", "a"},
    {W, "\\\\server\\share", true, "\\\\server\\share", "", ""},
    {W, "\\\\?\\C:\\v\\a.avi", true, "\\\\?\\C:\\v", "a.avi", "a"},
    {W, "\\\\?\\C:\\a.avi", true, "\\\\?\\C:\\", "a.avi", "a"},
    {W, "\\\\?\\UNC\\server\\share\\a.avi", true, "\\\\?\\UNC\\server\\share\\", "a.avi", "a"},
    {W, "v\\sub/a.b.avi", false, "v\\sub", "a.b.avi", "a.b"},
    {W, "\xc3\xa9t\xc3\xa9\\\xe6\x98\xa0\xe7\x94\xbb.avi", false, "\xc3\xa9t\xc3\xa9",
     "\xe6\x98\xa0\xe7\x94\xbb.avi", "\xe6\x98\xa0\xe7\x94\xbb"},
};

TEST(Path, SplitsBothStyles) {
    for (const PathCase& c : kPaths) {
        SCOPED_TRACE(std::string(c.style == W ? "windows " : "posix ") + c.path);
        EXPECT_EQ(platform::path::IsAbsolute(c.path, c.style), c.absolute);
        EXPECT_EQ(platform::path::Parent(c.path, c.style), c.parent);
        EXPECT_EQ(platform::path::FileName(c.path, c.style), c.name);
        EXPECT_EQ(platform::path::Stem(c.path, c.style), c.stem);
    }
}

TEST(Path, JoinsWithOneSeparator) {
    struct {
        Style style;
        const char *folder, *name, *joined;
    } const cases[] = {
        {P, "/v", "a.flv", "/v/a.flv"},
        {P, "/v/", "a.flv", "/v/a.flv"},
        {P, "/", "a.flv", "/a.flv"},
        {P, "", "a.flv", "a.flv"},
        {W, "C:\\v", "a.flv", "C:\\v\\a.flv"},
        {W, "C:/v/", "a.flv", "C:/v/a.flv"},
        {W, "C:\\", "a.flv", "C:\\a.flv"},
        {W, "C:", "a.flv", "C:a.flv"},
        {W, "\\\\s\\sh", "a.flv", "\\\\s\\sh\\a.flv"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::path::Join(c.folder, c.name, c.style), c.joined) << c.folder;
        EXPECT_EQ(platform::path::FileName(c.joined, c.style), c.name) << c.joined;
    }
}

TEST(Path, TellsWhatWindowsWouldNotTakeAsAFileName) {
    const std::string longName(250, 'x');
    // Each path and a word of the message it gets; "" for a path Windows takes as it is.
    struct {
        std::string path;
        const char* problem;
    } const cases[] = {
        {"C:\\v\\clip.avi", ""},
        {"\\\\server\\share\\v\\clip.avi", ""},
        {"\\\\?\\C:\\v\\clip.avi", ""},
        {"C:\\v\\..\\v\\.\\clip.avi", ""},
        {"C:\\v\\CON", "device"},
        {"C:\\v\\con.avi", "device"},
        {"C:\\v\\Nul.flv", "device"},
        {"C:\\aux\\clip.avi", "device"},
        {"C:\\v\\COM1.avi", "device"},
        {"C:\\v\\lpt9", "device"},
        {"C:\\v\\PRN .avi", "device"},
        {"C:\\v\\COM0.avi", ""},
        {"C:\\v\\CONSOLE.avi", ""},
        {"C:\\v\\clip.", "dot or a space"},
        {"C:\\v\\clip.avi ", "dot or a space"},
        {"C:\\v.\\clip.avi", "dot or a space"},
        {"C:\\v\\clip.avi:hidden", "alternate data stream"},
        {"C:\\v\\clip.avi::$DATA", "alternate data stream"},
        {"C:\\v\\a?b.avi", "character"},
        {"C:\\v\\a\tb.avi", "character"},
        {"\\\\.\\PhysicalDrive0", "device path"},
        {"//./COM1", "device path"},
        {"C:\\" + longName + "\\" + longName + "\\clip.avi", ""},
        {"\\\\server\\share\\" + longName + "\\" + longName + ".avi", ""},
        {"C:\\" + longName + "\\con.avi", "device"},
    };
    for (const auto& c : cases) {
        const std::string problem = platform::path::WindowsProblem(c.path, W);
        if (*c.problem == '\0')
            EXPECT_EQ(problem, "") << c.path;
        else
            EXPECT_NE(problem.find(c.problem), std::string::npos) << c.path << ": " << problem;
        EXPECT_EQ(platform::path::WindowsProblem(c.path, P), "") << c.path;
    }
}

// The form in which a long path reaches Windows' wide functions, drives and shares alike.
TEST(Path, GivesLongPathsTheirVerbatimForm) {
    const struct {
        const char* path;
        const char* verbatim;
    } cases[] = {
        {"C:\\v\\clip.avi", "\\\\?\\C:\\v\\clip.avi"},
        {"C:/v/clip.avi", "\\\\?\\C:\\v\\clip.avi"},
        {"\\\\server\\share\\v\\clip.avi", "\\\\?\\UNC\\server\\share\\v\\clip.avi"},
        {"//server/share/clip.avi", "\\\\?\\UNC\\server\\share\\clip.avi"},
        {"\\\\?\\C:\\v\\clip.avi", "\\\\?\\C:\\v\\clip.avi"},
        {"\\\\?\\UNC\\server\\share\\clip.avi", "\\\\?\\UNC\\server\\share\\clip.avi"},
        {"\\\\.\\COM1", "\\\\.\\COM1"},
        {"clip.avi", "clip.avi"},
        {"C:clip.avi", "C:clip.avi"},
        {"\\v\\clip.avi", "\\v\\clip.avi"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::path::VerbatimForm(c.path), c.verbatim) << c.path;
        // Still the same file to the path unit: root, folder and name keep their meaning.
        const std::string verbatim = platform::path::VerbatimForm(c.path);
        EXPECT_EQ(platform::path::FileName(verbatim, W), platform::path::FileName(c.path, W));
        EXPECT_EQ(platform::path::IsAbsolute(verbatim, W), platform::path::IsAbsolute(c.path, W));
    }
}

}  // namespace
