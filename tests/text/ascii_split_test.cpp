#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/ascii.h"
#include "text/split.h"
#include "text/trim.h"

namespace arlo::text {
namespace {

TEST(AsciiCase, changesOnlyTheTwentySixLettersEachWay) {
    const std::string all = [] {
        std::string s;
        for (int c = 0; c < 256; ++c) {
            s += static_cast<char>(c);
        }
        return s;
    }();
    const std::string lower = toLowerAscii(all);
    const std::string upper = toUpperAscii(all);
    for (int c = 0; c < 256; ++c) {
        const char expectedLower = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : all[c];
        const char expectedUpper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : all[c];
        EXPECT_EQ(lower[c], expectedLower) << c;
        EXPECT_EQ(upper[c], expectedUpper) << c;
    }
    EXPECT_TRUE(equalsIgnoringAsciiCase("Content-LENGTH", "content-length"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("Content-Length", "Content-Lengths"));
    // Bytes above 0x7F (UTF-8 and GBK pieces) compare exactly.
    EXPECT_FALSE(equalsIgnoringAsciiCase("\xC3\x89", "\xC3\xA9"));
}

TEST(Split, keepsEmptyPiecesBetweenSeparatorsAndDropsATrailingOne) {
    using Pieces = std::vector<std::string_view>;
    EXPECT_EQ(split("a;;b;", ";"), (Pieces{"a", "", "b"}));
    EXPECT_EQ(split(";a", ";"), (Pieces{"", "a"}));
    EXPECT_EQ(split("", ";"), Pieces{});
    EXPECT_EQ(split(";", ";"), Pieces{""});
    // A separator of two bytes is found whole: a lone LF or CR stays inside its piece.
    EXPECT_EQ(split("1-x\r\n2-y\n\r\n\r\n3", "\r\n"), (Pieces{"1-x", "2-y\n", "", "3"}));
}

TEST(TrimBlanks, removesSpacesAndTabsAtBothEndsOnly) {
    EXPECT_EQ(trimBlanks(" \t key = value \t"), "key = value");
    EXPECT_EQ(trimBlanks("\r\nx\r\n"), "\r\nx\r\n");
    EXPECT_EQ(trimBlanks(" \t "), "");
    // A full-width space is text here, not a blank.
    EXPECT_EQ(trimBlanks("\xE3\x80\x80x"), "\xE3\x80\x80x");
}

}  // namespace
}  // namespace arlo::text
