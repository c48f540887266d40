// Reading and editing INI text the way the Windows profile functions do, on texts as Windows
// writes them.
#include "platform/ini_text.h"
#include "platform/ini_text_encoding.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace {

using platform::ini::CutToBufferSize;
using platform::ini::EncodeValue;
using platform::ini::FindValue;
using platform::ini::ParseInt;
using platform::ini::SetValue;
using platform::ini::WriteArgumentError;

using namespace std::string_literals;

// --- Looking values up ---

TEST(IniFindValue, MatchesSectionAndKeyWithoutRegardToCase) {
    const std::string text = "[Settings]\r\nFormat=flv\r\n";
    EXPECT_EQ(FindValue(text, "settings", "FORMAT"), "flv");
    EXPECT_EQ(FindValue("[s]\r\nNaMe1=Val1\r\n", "S", "name1"), "Val1");
}

TEST(IniFindValue, TrimsBlanksAroundSectionKeyAndValue) {
    const std::string text = "  [ Settings ]\r\n \tOut Path \t=  C:\\V \t\r\n";
    EXPECT_EQ(FindValue(text, "Settings", "Out Path"), "C:\\V");
    // Tabs in the arguments are not trimmed, so nothing matches.
    EXPECT_EQ(FindValue(text, "\tSettings", "Out Path"), std::nullopt);
    EXPECT_EQ(FindValue("[S]\r\n\vk\v=\vv\f\r\n", "S", "k"), "v");
}

TEST(IniFindValue, ReadsCrLfCrAndLfLineEndings) {
    EXPECT_EQ(FindValue("[S]\rF=flv\r", "S", "F"), "flv");
    EXPECT_EQ(FindValue("[S]\nF=flv\n", "S", "F"), "flv");
    EXPECT_EQ(FindValue("[S]\r\nF=flv\r\n", "S", "F"), "flv");
    EXPECT_EQ(FindValue("[A]\nx=1\r[S]\r\nG=2\nF=flv", "S", "F"), "flv");
}

TEST(IniFindValue, RemovesOneOuterPairOfMatchingQuotes) {
    const std::string text = "[S]\r\nA=  \"  x  \"  \r\nB='y'\r\nC=\"z'\r\nD=\"\"q\"\"\r\nE=\"\r\n";
    EXPECT_EQ(FindValue(text, "S", "A"), "  x  ");
    EXPECT_EQ(FindValue(text, "S", "B"), "y");
    EXPECT_EQ(FindValue(text, "S", "C"), "\"z'");
    EXPECT_EQ(FindValue(text, "S", "D"), "\"q\"");
    EXPECT_EQ(FindValue(text, "S", "E"), "\"");
    // Names keep their quotes.
    EXPECT_EQ(FindValue("[\"S\"]\r\n'k'=v\r\n", "\"S\"", "'k'"), "v");
}

TEST(IniFindValue, TakesOnlyLinesStartingWithSemicolonAsComments) {
    const std::string text = "[S]\r\n;F=avi\r\n#R=1\r\nF=flv ;c\r\n  ;G=1\r\n";
    EXPECT_EQ(FindValue(text, "S", "F"), "flv ;c");
    EXPECT_EQ(FindValue(text, "S", "#R"), "1");
    EXPECT_EQ(FindValue(text, "S", ";F"), std::nullopt);
    EXPECT_EQ(FindValue(text, "S", "G"), std::nullopt);
}

TEST(IniFindValue, CountsOnlyTheFirstOfDuplicateKeysAndSections) {
    EXPECT_EQ(FindValue("[S]\r\nF=flv\r\nF=avi\r\n", "S", "F"), "flv");
    EXPECT_EQ(FindValue("[S]\r\n[S]\r\nF=flv\r\n", "S", "F"), std::nullopt);
    EXPECT_EQ(FindValue("[S]\r\nA=1\r\n[T]\r\n[s]\r\nB=2\r\n", "S", "B"), std::nullopt);
}

TEST(IniFindValue, ReachesNoKeyAboveTheFirstSection) {
    const std::string text = "F=flv\r\n[S]\r\nX=1\r\n";
    EXPECT_EQ(FindValue(text, "S", "F"), std::nullopt);
    EXPECT_EQ(FindValue(text, "", "F"), std::nullopt);
    // "[]" is a section with an empty name.
    EXPECT_EQ(FindValue("F=top\r\n[]\r\nF=under\r\n", "", "F"), "under");
}

TEST(IniFindValue, EndsSectionNameAtFirstBracketAndAcceptsAMissingOne) {
    EXPECT_EQ(FindValue("[S]junk=1\r\nF=flv\r\n", "S", "F"), "flv");
    EXPECT_EQ(FindValue("[S]junk=1\r\nF=flv\r\n", "S", "junk"), std::nullopt);
    EXPECT_EQ(FindValue("[S\r\nF=flv\r\n", "S", "F"), "flv");
    EXPECT_EQ(FindValue("[Settings   \r\nF=flv\r\n", "Settings", "F"), "flv");
    EXPECT_EQ(FindValue("[a]b]\r\nk=v\r\n", "a", "k"), "v");
}

TEST(IniFindValue, IgnoresLinesWithoutEquals) {
    const std::string text = "[s]\r\nname1=val1\r\nname3\r\nname4=val4\r\n";
    EXPECT_EQ(FindValue(text, "s", "name3"), std::nullopt);
    EXPECT_EQ(FindValue(text, "s", "name4"), "val4");
}

TEST(IniFindValue, TellsAnEmptyValueFromAMissingKey) {
    EXPECT_EQ(FindValue("[S]\r\nF=\r\n", "S", "F"), "");
    EXPECT_EQ(FindValue("[S]\r\nF=\r\n", "S", "G"), std::nullopt);
    EXPECT_EQ(FindValue("[S]\r\nF=\r\n", "T", "F"), std::nullopt);
    EXPECT_EQ(FindValue("", "S", "F"), std::nullopt);
}

TEST(IniFindValue, SkipsAUtf8ByteOrderMark) {
    const std::string text = "\xEF\xBB\xBF[S]\r\nF=flv\r\n[B]\r\nk=v\r\n";
    EXPECT_EQ(FindValue(text, "S", "F"), "flv");
    EXPECT_EQ(FindValue(text, "B", "k"), "v");
}

TEST(IniFindValue, KeepsNulAndNonUtf8BytesOfValues) {
    const std::string text = "\0\xFF\r\n[S]\r\nA=\xE9t\xE9\r\nB=x\0y\r\n"s;
    EXPECT_EQ(FindValue(text, "S", "A"), "\xE9t\xE9");
    EXPECT_EQ(FindValue(text, "S", "B"), "x\0y"s);
}

// --- Changing one value ---

TEST(IniSetValue, BuildsSectionsAndKeysInWindowsLayout) {
    std::string text = SetValue("", "Settings", "Out Path", "C:\\V");
    EXPECT_EQ(text, "[Settings]\r\nOut Path=C:\\V\r\n");

    text = SetValue("", "S1", "k1", "v1");
    text = SetValue(text, "S1", "k2", "v2");
    text = SetValue(text, "S2", "k3", "v3");
    EXPECT_EQ(text, "[S1]\r\nk1=v1\r\nk2=v2\r\n[S2]\r\nk3=v3\r\n");
    EXPECT_EQ(SetValue("", "App", "key", ""), "[App]\r\nkey=\r\n");
}

TEST(IniSetValue, UpdatesAnExistingKeyInPlaceWithItsSpelling) {
    EXPECT_EQ(SetValue("[Settings]\r\nb=1\r\na=2\r\n", "SETTINGS", "B", "9"),
              "[Settings]\r\nb=9\r\na=2\r\n");
    // The line's own ending is kept: LF and CR files stay as they are.
    EXPECT_EQ(SetValue("[S]\nk = v\nz=1\n", "s", "K", "w"), "[S]\nk=w\nz=1\n");
    EXPECT_EQ(SetValue("[S]\rk=v\rz=1\r", "S", "k", "w"), "[S]\rk=w\rz=1\r");
    EXPECT_EQ(SetValue("[S]\r\n  Format\t= 3\r\n", "S", "Format", "4"), "[S]\r\nFormat=4\r\n");
}

TEST(IniSetValue, EndsTheLastLineBeforeAddingToIt) {
    EXPECT_EQ(SetValue("junk", "s1", "k1", "v"), "junk\r\n[s1]\r\nk1=v\r\n");
    EXPECT_EQ(SetValue("[S]\r\nk=v", "S", "K", "w"), "[S]\r\nk=w\r\n");
    EXPECT_EQ(SetValue("[S]\r\nk=v", "S", "n", "w"), "[S]\r\nk=v\r\nn=w\r\n");
    EXPECT_EQ(SetValue("[S]", "S", "n", "w"), "[S]\r\nn=w\r\n");
    EXPECT_EQ(SetValue("[A]\nx=1\n", "S", "k", "v"), "[A]\nx=1\n[S]\r\nk=v\r\n");
}

TEST(IniSetValue, PutsANewKeyAfterTheSectionsLastKeyLine) {
    EXPECT_EQ(SetValue(";c0\r\n[S]\r\n;c1\r\nb=v\r\n;c2\r\na=v\r\n", "S", "z", ""),
              ";c0\r\n[S]\r\n;c1\r\nb=v\r\n;c2\r\na=v\r\nz=\r\n");
    // Trailing blank lines, comments and lines without "=" stay after the new key.
    EXPECT_EQ(SetValue("[S]\r\na=1\r\n\r\n;about T\r\nloose\r\n[T]\r\nt=1\r\n", "S", "b", "2"),
              "[S]\r\na=1\r\nb=2\r\n\r\n;about T\r\nloose\r\n[T]\r\nt=1\r\n");
    // A section without keys gets the key right under its header.
    EXPECT_EQ(SetValue("[S]\r\n;note\r\n[T]\r\n", "S", "k", "v"), "[S]\r\nk=v\r\n;note\r\n[T]\r\n");
}

TEST(IniSetValue, KeepsEveryOtherByteOfAWindowsFile) {
    const std::string before =
        "\0junk\xFF\r\n"s
        "; Vantrel\r\n"
        "[Other]  trailing\r\n"
        "Format=9\r\n"
        "\r\n"
        "  [ settings ]\r\n"
        "Out Path = C:\\V \t\r\n"
        "#x=1\n"
        "Format=2\r"
        "Format=5\r\n"
        "noequals\r\n"
        "[Last]\r\n"
        "k=v";
    const std::string after = SetValue(before, "Settings", "Format", "3");
    std::string expected = before;
    expected.replace(expected.find("Format=2\r"), 9, "Format=3\r");
    EXPECT_EQ(after, expected);
}

TEST(IniSetValue, WritesToTheFirstOfDuplicateSectionsOnly) {
    EXPECT_EQ(SetValue("[S]\r\na=1\r\n[S]\r\nk=old\r\n", "S", "k", "new"),
              "[S]\r\na=1\r\nk=new\r\n[S]\r\nk=old\r\n");
}

TEST(IniSetValue, LeavesKeysAboveTheFirstSectionAlone) {
    EXPECT_EQ(SetValue("k=top\r\n[S]\r\n", "S", "k", "v"), "k=top\r\n[S]\r\nk=v\r\n");
}

TEST(IniSetValue, KeepsAUtf8ByteOrderMarkInFront) {
    EXPECT_EQ(SetValue("\xEF\xBB\xBF", "S", "k", "v"), "\xEF\xBB\xBF[S]\r\nk=v\r\n");
    EXPECT_EQ(SetValue("\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", "w"), "\xEF\xBB\xBF[S]\r\nk=w\r\n");
}

TEST(IniSetValue, QuotesValuesThatReadingWouldChange) {
    for (const std::string value :
         {"", "plain", "/home/u/My Videos ", " lead", "\ttab", "\"q\"", "'q'", "\"", "a\"b\"",
          "\"mixed'", "  \"both\"  ", "x=y ;z", "\xE9\xFF"}) {
        const std::string text = SetValue("[S]\r\nk=old\r\n", "S", "k", value);
        EXPECT_EQ(FindValue(text, "S", "k"), value) << text;
    }
    EXPECT_EQ(EncodeValue("C:\\V"), "C:\\V");
    EXPECT_EQ(EncodeValue(" v "), "\" v \"");
    EXPECT_EQ(EncodeValue("'v'"), "\"'v'\"");
}

TEST(IniWriteArgumentError, RefusesWhatWouldBreakTheFileStructure) {
    EXPECT_EQ(WriteArgumentError("Settings", "Out Path", "/home/u/v"), std::nullopt);
    EXPECT_EQ(WriteArgumentError("", "", ""), std::nullopt);
    EXPECT_NE(WriteArgumentError("Settings", "Out Path", "/a\n[Settings]\nFormat=3"), std::nullopt);
    EXPECT_NE(WriteArgumentError("Settings", "Out Path", "/a\rb"), std::nullopt);
    EXPECT_NE(WriteArgumentError("Set\ntings", "k", "v"), std::nullopt);
    EXPECT_NE(WriteArgumentError("a]b", "k", "v"), std::nullopt);
    EXPECT_NE(WriteArgumentError("S", "k\r\n", "v"), std::nullopt);
    EXPECT_NE(WriteArgumentError("S", "a=b", "v"), std::nullopt);
    EXPECT_NE(WriteArgumentError("S", ";k", "v"), std::nullopt);
    EXPECT_NE(WriteArgumentError("S", "\t[k", "v"), std::nullopt);
}

// --- Buffer cut and integer conversion ---

TEST(IniCutToBufferSize, KeepsAtMostOneByteLessThanTheBuffer) {
    EXPECT_EQ(CutToBufferSize("val1", 4), "val");
    EXPECT_EQ(CutToBufferSize("val1", 5), "val1");
    EXPECT_EQ(CutToBufferSize("val1", 1), "");
    EXPECT_EQ(CutToBufferSize("val1", 0), "");
    EXPECT_EQ(CutToBufferSize(std::string(300, 'x'), 260), std::string(259, 'x'));
}

TEST(IniCutToBufferSize, DoesNotSplitAUtf8Sequence) {
    EXPECT_EQ(CutToBufferSize("ab\xC3\xA9", 4), "ab");              // 2-byte, cut after lead
    EXPECT_EQ(CutToBufferSize("a\xE2\x82\xAC", 4), "a");            // 3-byte, one continuation cut
    EXPECT_EQ(CutToBufferSize("\xF0\x9F\x8E\xA5z", 4), "");         // 4-byte, last byte cut
    EXPECT_EQ(CutToBufferSize("ab\xC3\xA9z", 5), "ab\xC3\xA9");     // whole sequence fits
    EXPECT_EQ(CutToBufferSize("ab\xA9\xA9\xA9\xA9", 4), "ab\xA9");  // not UTF-8: plain bytes
}

TEST(IniParseInt, ConvertsLikeTheStandardConversion) {
    EXPECT_EQ(ParseInt("3"), 3);
    EXPECT_EQ(ParseInt("-1"), -1);
    EXPECT_EQ(ParseInt("+1"), 1);
    EXPECT_EQ(ParseInt(" 12x"), 12);
    EXPECT_EQ(ParseInt("\t\n\v\f\r 7"), 7);
    EXPECT_EQ(ParseInt("640x480"), 640);
    EXPECT_EQ(ParseInt("42A94967297"), 42);
    EXPECT_EQ(ParseInt("007"), 7);
    EXPECT_EQ(ParseInt("abc"), 0);
    EXPECT_EQ(ParseInt("B42"), 0);
    EXPECT_EQ(ParseInt("0x1F"), 0);
    EXPECT_EQ(ParseInt(""), 0);
    EXPECT_EQ(ParseInt("-"), 0);
    EXPECT_EQ(ParseInt("- 5"), 0);
    EXPECT_EQ(ParseInt("1 2"), 1);
}

TEST(IniParseInt, SaturatesOutOfRangeNumbers) {
    EXPECT_EQ(ParseInt("2147483647"), INT_MAX);
    EXPECT_EQ(ParseInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseInt("2147483648"), INT_MAX);
    EXPECT_EQ(ParseInt("-2147483649"), INT_MIN);
    EXPECT_EQ(ParseInt("4294967297"), INT_MAX);
    EXPECT_EQ(ParseInt(std::string(100000, '9')), INT_MAX);
    EXPECT_EQ(ParseInt("-" + std::string(100000, '9')), INT_MIN);
}

// --- UTF-16 files ---

TEST(IniTextEncoding, DecodesUtf16EitherWayRoundAndEncodesItBack) {
    using platform::ini::DecodeText;
    using platform::ini::EncodeText;
    using platform::ini::TextEncoding;
    // "[S]\nk=é€😀": one, two and three UTF-8 bytes, and a pair of surrogates.
    const std::string utf8 = "[S]\nk=\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::string le = "\xFF\xFE[\0S\0]\0\n\0k\0=\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE"s;
    const std::string be = "\xFE\xFF\0[\0S\0]\0\n\0k\0=\0\xE9\x20\xAC\xD8\x3D\xDE\x00"s;
    for (const auto& [raw, encoding] :
         {std::pair{le, TextEncoding::kUtf16Le}, std::pair{be, TextEncoding::kUtf16Be}}) {
        EXPECT_EQ(DecodeText(raw).encoding, encoding);
        EXPECT_EQ(DecodeText(raw).text, utf8);
        EXPECT_EQ(EncodeText(utf8, encoding), raw);
        EXPECT_EQ(FindValue(DecodeText(raw).text, "S", "k"),
                  "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    }
    // A lone surrogate and an odd last byte read as U+FFFD; 8-bit text is kept as it is.
    EXPECT_EQ(DecodeText("\xFF\xFE\x00\xD8k\0\x41"s).text, "\xEF\xBF\xBDk\xEF\xBF\xBD");
    EXPECT_EQ(DecodeText("\xFE\xFF\xDC\x00"s).text, "\xEF\xBF\xBD");
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF[S]\xFF\xFE").encoding, TextEncoding::kBytes);
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF[S]\xFF\xFE").text, "\xEF\xBB\xBF[S]\xFF\xFE");
    // Bytes that are not UTF-8 (a Latin-1 byte, an overlong form, a surrogate) have no UTF-16.
    for (const char* bad : {"\xE9t\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xF0\x9F\x98"}) {
        EXPECT_EQ(EncodeText(bad, TextEncoding::kUtf16Le), std::nullopt) << bad;
        EXPECT_EQ(EncodeText(bad, TextEncoding::kBytes), bad);
    }
}

}  // namespace
