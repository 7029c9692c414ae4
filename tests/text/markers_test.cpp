#include "text/markers.h"

#include <gtest/gtest.h>

namespace arlo::text {
namespace {

TEST(Markers, findsFromStartOrPosition) {
    struct Row {
        std::string_view hay;
        std::string_view needle;
        long from;
        Charset charset;
        long found;
    };
    const Row rows[] = {
        {"abcabc", "bc", 1, Charset::Utf8, 2},
        {"abcabc", "bc", 3, Charset::Utf8, 5},
        {"abcabc", "x", 1, Charset::Utf8, -1},
        {"abc", "", 1, Charset::Utf8, -1},
        {"abc", "a", 0, Charset::Utf8, -1},
        {"abc", "c", 3, Charset::Utf8, 3},  // the last position is still inside
        {"abc", "c", 3, Charset::Gbk, 3},
        {"abc", "a", 4, Charset::Utf8, -1},
        {"abc", "abc", 1, Charset::Utf8, 1},
        {"abc", "abcd", 1, Charset::Utf8, -1},
    };
    for (const Row& c : rows) {
        EXPECT_EQ(findText(c.hay, c.needle, c.from, Case::Sensitive, c.charset), c.found)
            << c.hay << " / " << c.needle << " from " << c.from;
    }
}

TEST(Markers, textBetweenSearchesCloseAfterOpen) {
    EXPECT_EQ(textBetween(R"({"id":123,"duration":1380,})", "\"id\":", ","), "123");
    EXPECT_EQ(textBetween("第12集", "第", "集"), "12");
    // The closing marker is looked for only after the opening one.
    EXPECT_EQ(textBetween("x]a[b]c", "[", "]"), "b");
    EXPECT_EQ(textBetween("[]", "[", "]"), "");
    EXPECT_EQ(textBetween("abc", "[", "]"), "");
    EXPECT_EQ(textBetween("[abc", "[", "]"), "");
    EXPECT_EQ(textBetween("[a][b]", "[", "]", 3), "b");
}

TEST(Markers, caseIsIgnoredOnlyWhenAsked) {
    EXPECT_EQ(textBetween("<LI>one</li>", "<li>", "</li>"), "");
    EXPECT_EQ(textBetweenIgnoreCase("<LI>one</Li>", "<li>", "</li>"), "one");
    EXPECT_EQ(findText("User-AGENT: x", "user-agent:", 1, Case::IgnoreAscii), 1);
}

TEST(Markers, neverMatchesInsideAGbkCharacter) {
    // 0xB0 0x41 is one character whose trail byte equals 'A'.
    const std::string gbk =
        "\xB0\x41"
        "BA";
    EXPECT_EQ(findText(gbk, "A", 1, Case::Sensitive, Charset::Gbk), 4);
    EXPECT_EQ(findText(gbk, "AB", 1, Case::Sensitive, Charset::Gbk), -1);
    // Folding must not turn a trail byte into a letter either.
    EXPECT_EQ(findText(gbk, "a", 1, Case::IgnoreAscii, Charset::Gbk), 4);
    EXPECT_EQ(findText(gbk, "\xB0\x61", 1, Case::IgnoreAscii, Charset::Gbk), -1);
    EXPECT_EQ(findText(gbk, "\xB0\x41", 1, Case::IgnoreAscii, Charset::Gbk), 1);
    // A start position inside a character moves on to the next whole one.
    EXPECT_EQ(findText(gbk, "B", 2, Case::Sensitive, Charset::Gbk), 3);
}

TEST(Markers, utf8MatchesWholeCharacters) {
    // "集" is E9 9B 86; a needle made of its tail bytes must not match inside it.
    EXPECT_EQ(findText("第1集", "\x9B\x86"), -1);
    EXPECT_EQ(findText("第1集", "集"), 5);
}

}  // namespace
}  // namespace arlo::text
