#include "text/numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

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
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
        << "no de_DE.UTF-8 locale: scripts/setup generates it";
    EXPECT_EQ(formatReal(1.5), "1.5");
    EXPECT_DOUBLE_EQ(parseReal("1.25"), 1.25);
    EXPECT_DOUBLE_EQ(parseReal("1,25"), 1.0);
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

TEST(Numbers, malformedNumbersEndWhereAtofEndsThem) {
    EXPECT_EQ(parseReal("1E-999"), 0.0);  // underflow is zero, not infinity
    EXPECT_EQ(parseReal("1e999"), HUGE_VAL);
    EXPECT_EQ(parseReal("-1e999"), -HUGE_VAL);
    EXPECT_EQ(parseReal("+-5"), 0.0);  // one sign only
    EXPECT_EQ(parseReal("--5"), 0.0);
    EXPECT_EQ(parseReal("0x-5"), 0.0);  // the number is the "0" before the x
    EXPECT_EQ(parseReal("0x1p4"), 16.0);
    EXPECT_EQ(parseReal("1e"), 1.0);
    EXPECT_EQ(parseReal("1e+"), 1.0);
    EXPECT_EQ(parseReal(std::string("7\0"
                                    "8",
                                    3)),
              7.0);
}

// The value's bits: a NaN's sign and -0 count too.
std::string bitsOf(double value) {
    std::string bits(sizeof value, '\0');
    std::memcpy(bits.data(), &value, sizeof value);
    return bits;
}

// Texts built from the pieces a number is made of, in any order: most are malformed.
std::string generatedNumberText(std::mt19937& random) {
    static const std::vector<std::string> kPieces = {
        "+",
        "-",
        " ",
        "\t",
        "\n",
        "\v",
        "0",
        "1",
        "5",
        "9",
        "123",
        ".",
        ",",
        "e",
        "E",
        "x",
        "X",
        "0x",
        "0X",
        "a",
        "F",
        "p",
        "P",
        "p-",
        "e-",
        "e+",
        "e-999",
        "e999",
        "e308",
        "e-308",
        "e-320",
        "inf",
        "INF",
        "infinity",
        "nan",
        "NaN",
        "nan(12)",
        "nan(",
        ")",
        "_",
        "99999999999999999999",
        "0000000000000000000001",
        "4.9406564584124654e-324",
        "2.2250738585072011e-308",
        "1.7976931348623157e308",
        "0.1",
    };
    std::uniform_int_distribution<int> length(0, 6);
    std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
    std::string out;
    for (int n = length(random); n > 0; --n) {
        out += kPieces[piece(random)];
    }
    return out;
}

TEST(Numbers, readsEveryTextAsStrtodInTheCLocaleDoes) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old != nullptr ? old : "C";
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
    std::mt19937 random(20240601);
    int mismatches = 0;
    for (int i = 0; i < 200000 && mismatches < 10; ++i) {
        const std::string text = generatedNumberText(random);
        const double expected = std::strtod(text.c_str(), nullptr);
        const double got = parseReal(text);
        if (bitsOf(got) != bitsOf(expected)) {
            ++mismatches;
            ADD_FAILURE() << "\"" << text << "\": " << got << ", strtod " << expected;
        }
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
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
