#include "text/gbk.h"

#include <gtest/gtest.h>

#include <string>

namespace arlo::text {
namespace {

TEST(Gbk, everyDoubleByteCharacterRoundTrips) {
    // Walk the whole GBK double-byte range: whatever the code page defines must come back
    // byte for byte; undefined pairs must be reported, not turned into something else.
    int defined = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const auto utf8 = gbkToUtf8(bytes);
            if (!utf8) {
                continue;
            }
            ++defined;
            const auto back = utf8ToGbk(*utf8);
            ASSERT_TRUE(back.has_value()) << std::hex << lead << " " << trail;
            EXPECT_EQ(*back, bytes) << std::hex << lead << " " << trail;
        }
    }
    EXPECT_GT(defined, 21000);  // GBK defines 21886 characters
}

TEST(Gbk, convertsKnownTexts) {
    EXPECT_EQ(utf8ToGbk("版本号"), std::string("\xB0\xE6\xB1\xBE\xBA\xC5"));
    EXPECT_EQ(gbkToUtf8("\xB0\xE6\xB1\xBE\xBA\xC5"), std::string("版本号"));
    EXPECT_EQ(utf8ToGbk("\xE3\x80\x80"), std::string("\xA1\xA1"));  // full-width space
    EXPECT_EQ(utf8ToGbk("abc 123"), std::string("abc 123"));
    EXPECT_EQ(gbkByteLength("第12集"), 6);
}

TEST(Gbk, reportsWhatHasNoForm) {
    EXPECT_FALSE(utf8ToGbk("\xF0\x9F\x98\x80").has_value());  // emoji: no GBK form
    EXPECT_FALSE(utf8ToGbk("a\xC3").has_value());             // truncated UTF-8
    EXPECT_EQ(gbkByteLength("x\xF0\x9F\x98\x80"), -1);
    EXPECT_FALSE(gbkToUtf8("\xB0").has_value());  // lone lead byte
    EXPECT_EQ(gbkToUtf8Lossy("a\xB0"), "a\xEF\xBF\xBD");
}

TEST(Gbk, characterStartsSkipTrailBytes) {
    const std::string s =
        "\xB0\x41"
        "A";  // one double-byte char whose trail byte is 'A', then 'A'
    EXPECT_TRUE(isGbkCharStart(s, 0));
    EXPECT_FALSE(isGbkCharStart(s, 1));
    EXPECT_TRUE(isGbkCharStart(s, 2));
}

}  // namespace
}  // namespace arlo::text
