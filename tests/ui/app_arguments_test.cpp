// The window program's command line: --help and --version win, other options are refused,
// everything else (and everything after "--") is a file.
#include "ui/app_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ui::AppAction;

struct Case {
    std::vector<std::string> args;
    AppAction action;
    std::vector<std::string> files;
    std::string error;
};

TEST(AppArgumentsTest, ParsesTheCommandLine) {
    const std::vector<Case> cases = {
        {{}, AppAction::Run, {}, ""},
        {{"a.avi", "dir/b c.mp4", "-"}, AppAction::Run, {"a.avi", "dir/b c.mp4", "-"}, ""},
        {{"a.avi", "--", "--help", "-x"}, AppAction::Run, {"a.avi", "--help", "-x"}, ""},
        {{"a.avi", "--help"}, AppAction::Help, {"a.avi"}, ""},
        {{"-h"}, AppAction::Help, {}, ""},
        {{"--bogus", "--version", "--help"}, AppAction::Help, {}, "unknown option --bogus"},
        {{"--version", "-x"}, AppAction::Version, {}, "unknown option -x"},
        {{"a.avi", "-x", "--y"}, AppAction::UsageError, {"a.avi"}, "unknown option -x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const ui::AppArguments parsed = ui::ParseAppArguments(c.args);
        EXPECT_EQ(parsed.action, c.action);
        EXPECT_EQ(parsed.files, c.files);
        EXPECT_EQ(parsed.error, c.error);
    }
}

}  // namespace
