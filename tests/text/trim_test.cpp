#include "text/trim.h"

#include <gtest/gtest.h>

namespace arlo::text {
namespace {

TEST(Trim, removesAsciiAndFullWidthSpacesAtBothEnds) {
    EXPECT_EQ(trimSpaces("  a b  "), "a b");
    EXPECT_EQ(trimSpaces("\xE3\x80\x80 a\xE3\x80\x80"), "a");
    EXPECT_EQ(trimSpaces("\tx\r\n"), "\tx\r\n");  // tabs, CR and LF stay
    EXPECT_EQ(trimSpaces("   "), "");
    EXPECT_EQ(trimSpaces(""), "");
}

TEST(Trim, gbkFullWidthSpaceOnlyAsAWholeCharacter) {
    EXPECT_EQ(trimSpaces("\xA1\xA1x\xA1\xA1", Charset::Gbk), "x");
    // "\xB0\xA1" is one character; its trail byte plus the next 0xA1 is not a space.
    const std::string tricky = "\xB0\xA1\xA1";
    EXPECT_EQ(trimSpaces(tricky, Charset::Gbk), tricky);
}

TEST(Trim, removeSpacesEverywhere) {
    EXPECT_EQ(removeSpaces("a=1; b = 2"), "a=1;b=2");
    EXPECT_EQ(removeSpaces("a\xA1\xA1=1", Charset::Gbk), "a=1");
    EXPECT_EQ(removeSpaces("\xB0\xA1\xA1\xA1", Charset::Gbk), "\xB0\xA1");
    // Bytes of malformed UTF-8 that join into a full-width space once one between them goes.
    EXPECT_EQ(removeSpaces("a\xE3\xE3\x80\x80\x80\x80"
                           "b"),
              "ab");
    EXPECT_EQ(removeSpaces("\xE3\x80 \x80\x80"), "\x80");
}

}  // namespace
}  // namespace arlo::text
