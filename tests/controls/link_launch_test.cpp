#include "controls/link_launch.h"

#include <gtest/gtest.h>

#include "fake_shell.h"

namespace {

using controls::CutAtPlaceholder;
using controls::FallbackArguments;
using controls::OpenErrorMessage;
using controls::OpenErrorText;
using controls::SplitCommandWords;
using testing_support::RecordingFallback;
using testing_support::RecordingShell;
using Words = std::vector<std::string>;

TEST(CutAtPlaceholder, CutsAtOpeningQuoteOfQuotedPercentOne) {
    EXPECT_EQ(CutAtPlaceholder("\"/opt/browser\" -url \"%1\" -x"), "\"/opt/browser\" -url ");
}

TEST(CutAtPlaceholder, QuotedPercentOneWinsOverEarlierBareOne) {
    EXPECT_EQ(CutAtPlaceholder("app %1x \"%1\""), "app %1x ");
}

TEST(CutAtPlaceholder, CutsAtBarePercentOne) {
    EXPECT_EQ(CutAtPlaceholder("browser %1 --later"), "browser ");
}

TEST(CutAtPlaceholder, CutsAtDesktopEntryFieldCodes) {
    EXPECT_EQ(CutAtPlaceholder("firefox-esr %u"), "firefox-esr ");
    EXPECT_EQ(CutAtPlaceholder("chromium --new-window %U"), "chromium --new-window ");
    EXPECT_EQ(CutAtPlaceholder("viewer %f"), "viewer ");
    EXPECT_EQ(CutAtPlaceholder("viewer %F"), "viewer ");
    EXPECT_EQ(CutAtPlaceholder("lynx %s"), "lynx ");
    EXPECT_EQ(CutAtPlaceholder("odd \"%u\""), "odd ");
}

TEST(CutAtPlaceholder, EscapedPercentIsNoPlaceholder) {
    EXPECT_EQ(CutAtPlaceholder("app --ratio=50%%u %u"), "app --ratio=50%%u ");
}

TEST(CutAtPlaceholder, CommandWithoutPlaceholderStaysWhole) {
    EXPECT_EQ(CutAtPlaceholder("w3m -v"), "w3m -v");
}

TEST(SplitCommandWords, HonoursQuotesAndEscapes) {
    EXPECT_EQ(SplitCommandWords("  a  b\tc "), Words({"a", "b", "c"}));
    EXPECT_EQ(SplitCommandWords("\"/opt/My Browser/run\" --flag"),
              Words({"/opt/My Browser/run", "--flag"}));
    EXPECT_EQ(SplitCommandWords("\"say \\\"hi\\\"\""), Words({"say \"hi\""}));
    EXPECT_EQ(SplitCommandWords("'single quoted' x"), Words({"single quoted", "x"}));
    EXPECT_EQ(SplitCommandWords("app \"\""), Words({"app", ""}));
}

TEST(SplitCommandWords, UnescapesPercentAndDropsOtherFieldCodes) {
    EXPECT_EQ(SplitCommandWords("app 100%% %i %c"), Words({"app", "100%"}));
}

TEST(SplitCommandWords, UnbalancedQuoteIsNoCommand) {
    EXPECT_FALSE(SplitCommandWords("\"/opt/browser --x").has_value());
}

TEST(FallbackArguments, TargetIsOneWordAfterTheCutCommand) {
    EXPECT_EQ(
        FallbackArguments("\"/opt/web browser/run\" -nohome \"%1\"", "file:///tmp/a b\"c.html"),
        Words({"/opt/web browser/run", "-nohome", "file:///tmp/a b\"c.html"}));
    EXPECT_EQ(FallbackArguments("firefox %u", "https://example.org/?q=1&r=2"),
              Words({"firefox", "https://example.org/?q=1&r=2"}));
}

TEST(FallbackArguments, CommandWithoutProgramGivesNothing) {
    EXPECT_TRUE(FallbackArguments("%u", "https://example.org").empty());
    EXPECT_TRUE(FallbackArguments("   ", "https://example.org").empty());
    EXPECT_TRUE(FallbackArguments("\"broken", "https://example.org").empty());
}

TEST(OpenErrorText, KnownCodesHaveTheirTexts) {
    EXPECT_EQ(OpenErrorText(0), "The operating system is out\nof memory or resources.");
    EXPECT_EQ(OpenErrorText(2), "The specified file was not found.");
    EXPECT_EQ(OpenErrorText(3), "The specified path was not found.");
    EXPECT_EQ(OpenErrorText(5), "The operating system denied\naccess to the specified file.");
    EXPECT_EQ(OpenErrorText(8), "There was not enough memory to complete the operation.");
    EXPECT_EQ(OpenErrorText(11),
              "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    EXPECT_EQ(OpenErrorText(26), "A sharing violation occurred. ");  // ends in a blank
    EXPECT_EQ(OpenErrorText(27), "The filename association is\nincomplete or invalid.");
    EXPECT_EQ(OpenErrorText(28),
              "The DDE transaction could not\nbe completed because the request timed out.");
    EXPECT_EQ(OpenErrorText(29), "The DDE transaction failed.");
    EXPECT_EQ(OpenErrorText(30),
              "The DDE transaction could not\nbe completed because other DDE transactions\n"
              "were being processed.");
    EXPECT_EQ(OpenErrorText(31),
              "There is no application associated\nwith the given filename extension.");
    EXPECT_EQ(OpenErrorText(32), "The specified dynamic-link library was not found.");
}

TEST(OpenErrorText, OtherCodesNameTheCode) {
    EXPECT_EQ(OpenErrorText(40), "Unknown Error (40) occurred.");
    EXPECT_EQ(OpenErrorText(1), "Unknown Error (1) occurred.");
    EXPECT_EQ(OpenErrorText(-7), "Unknown Error (-7) occurred.");
}

TEST(OpenErrorMessage, PutsHeadingAndEmptyLineFirst) {
    EXPECT_EQ(OpenErrorMessage(2), "Can't open link:\n\nThe specified file was not found.");
}

TEST(LaunchTarget, DesktopSuccessNeedsNoFallback) {
    RecordingShell shell(42);
    RecordingFallback fallback;
    fallback.command = "browser %u";
    EXPECT_EQ(controls::LaunchTarget("https://example.org", shell, fallback), 42);
    EXPECT_EQ(shell.opened, Words({"https://example.org"}));
    EXPECT_TRUE(fallback.runs.empty());
}

TEST(LaunchTarget, WithoutBrowserCommandReportsShellCode) {
    RecordingShell shell(platform::kShellFileNotFound);
    RecordingFallback fallback;
    EXPECT_EQ(controls::LaunchTarget("x-unknown:thing", shell, fallback),
              platform::kShellFileNotFound);
    EXPECT_TRUE(fallback.runs.empty());
}

TEST(LaunchTarget, FallbackRunsBrowserOnTargetAndReportsItsCode) {
    RecordingShell shell(platform::kShellNoAssociation);
    RecordingFallback fallback;
    fallback.command = "\"/usr/bin/web\" -new \"%1\"";
    fallback.result = 3;
    EXPECT_EQ(controls::LaunchTarget("x-unknown:thing", shell, fallback), 3);
    ASSERT_EQ(fallback.runs.size(), 1u);
    EXPECT_EQ(fallback.runs[0], Words({"/usr/bin/web", "-new", "x-unknown:thing"}));
}

TEST(LaunchTarget, UnusableBrowserCommandReportsShellCode) {
    RecordingShell shell(platform::kShellNoAssociation);
    RecordingFallback fallback;
    fallback.command = "%u";
    EXPECT_EQ(controls::LaunchTarget("x", shell, fallback), platform::kShellNoAssociation);
    EXPECT_TRUE(fallback.runs.empty());
}

}  // namespace
