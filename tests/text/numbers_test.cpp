#include "text/numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>

namespace arlo::text {
namespace {

TEST(Numbers, formatsLikePercent13g) {
    EXPECT_EQ(formatReal(1536.0 / 1024.0), "1.5");
    EXPECT_EQ(formatReal(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatReal(1e21), "1e+21");
    EXPECT_EQ(formatReal(2.0), "2");
    EXPECT_EQ(formatReal(-0.5), "-0.5");
    EXPECT_EQ(formatReal(1234567890123456.0), "1.234567890123e+15");
    EXPECT_EQ(formatReal(0.0001), "0.0001");
    EXPECT_EQ(formatReal(0.00001), "1e-05");
}

TEST(Numbers, formattingIgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old != nullptr ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale installed";
    }
    EXPECT_EQ(formatReal(1.5), "1.5");
    EXPECT_DOUBLE_EQ(parseReal("1.25"), 1.25);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Numbers, roundsHalvesAwayFromZero) {
    EXPECT_EQ(roundHalfAway(2.5), 3.0);
    EXPECT_EQ(roundHalfAway(-2.5), -3.0);
    EXPECT_EQ(roundHalfAway(-0.5), -1.0);
    EXPECT_DOUBLE_EQ(roundHalfAway(1.25, 1), 1.3);
    EXPECT_DOUBLE_EQ(roundHalfAway(-1.25, 1), -1.3);
    EXPECT_DOUBLE_EQ(roundHalfAway(1.24, 1), 1.2);
    EXPECT_EQ(formatReal(roundHalfAway(1536.0 / 1024.0 / 1024.0 * 100.0, 2)), "0.15");
}

TEST(Numbers, truncatesTowardZero) {
    EXPECT_EQ(truncToInt(229.999), 229);
    EXPECT_EQ(truncToInt(-1.9), -1);
    EXPECT_EQ(truncToInt(1e30), INT_MAX);
    EXPECT_EQ(truncToInt(-1e30), INT_MIN);
    EXPECT_EQ(truncToInt(0.0 / 0.0), 0);
}

TEST(Numbers, readsTextLikeAtofAndAtoi) {
    EXPECT_DOUBLE_EQ(parseReal("1.2abc"), 1.2);
    EXPECT_DOUBLE_EQ(parseReal(""), 0.0);
    EXPECT_DOUBLE_EQ(parseReal(" 3"), 3.0);
    EXPECT_DOUBLE_EQ(parseReal("abc"), 0.0);
    EXPECT_DOUBLE_EQ(parseReal("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(parseReal("+2e3x"), 2000.0);
    EXPECT_DOUBLE_EQ(parseReal("\t1.05"), 1.05);
    EXPECT_EQ(parseInt("1.2abc"), 1);
    EXPECT_EQ(parseInt(""), 0);
    EXPECT_EQ(parseInt(" 3"), 3);
    EXPECT_EQ(parseInt("-42x"), -42);
    EXPECT_EQ(parseInt("x42"), 0);
    EXPECT_EQ(parseInt("99999999999"), INT_MAX);
    EXPECT_EQ(parseInt("-99999999999"), INT_MIN);
}

TEST(Numbers, comparesVersionsWithTolerance) {
    EXPECT_TRUE(isNewerVersion(1.2, 1.1));
    EXPECT_FALSE(isNewerVersion(1.1, 1.1));
    EXPECT_FALSE(isNewerVersion(1.10000001, 1.1));
    EXPECT_TRUE(isNewerVersion(1.1000002, 1.1));
    EXPECT_FALSE(isNewerVersion(1.05, 1.1));
}

}  // namespace
}  // namespace arlo::text
