#include "text/gbk.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "text/markers.h"
#include "text/trim.h"

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

constexpr const char* kReplacement = "\xEF\xBF\xBD";

std::string hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        out += kDigits[c >> 4];
        out += kDigits[c & 0x0F];
    }
    return out;
}

TEST(GbkLossy, aDoubleByteCodeWithoutACharacterIsOneReplacement) {
    const std::string r = kReplacement;
    // A user-defined code, then 中: the trail byte must not start a character of its own.
    EXPECT_EQ(gbkToUtf8Lossy("\xAA\xA1\xD6\xD0"), r + "中");
    // The three user-defined ranges and an unassigned code among the symbols.
    EXPECT_EQ(gbkToUtf8Lossy("\xAF\xFE\xD6\xD0"), r + "中");
    EXPECT_EQ(gbkToUtf8Lossy("\xF8\xA1\xFE\xFE"
                             "a"),
              r + r + "a");
    EXPECT_EQ(gbkToUtf8Lossy("\xA1\x40\xA7\xA0\xD6\xD0"), r + r + "中");
    EXPECT_EQ(gbkToUtf8Lossy("\xA6\xD9\xB0\xE6"), r + "版");
    // A trail byte that looks like ASCII belongs to its lead byte.
    EXPECT_EQ(gbkToUtf8Lossy("\xA2\x41"
                             "B"),
              r + "B");
}

TEST(GbkLossy, aByteThatCannotStartOrContinueACodeStandsAlone) {
    const std::string r = kReplacement;
    EXPECT_EQ(gbkToUtf8Lossy("\xD6\x30\xD6\xD0"), r + "0中");  // lead, then no trail byte
    EXPECT_EQ(gbkToUtf8Lossy("\xD6\x7F"
                             "a"),
              r + "\x7F"
                  "a");  // 0x7F is never a trail byte
    EXPECT_EQ(gbkToUtf8Lossy("\xD6\xFF\xD6\xD0"), r + r + "中");
    EXPECT_EQ(gbkToUtf8Lossy("\xFF"
                             "a\xD6"),
              r + "a" + r);                            // 0xFF; a lead byte at the end
    EXPECT_EQ(gbkToUtf8Lossy("\x80\xD6\xD0"), "€中");  // 0x80 is the euro sign
    // The strict form still refuses every one of these.
    EXPECT_FALSE(gbkToUtf8("\xAA\xA1\xD6\xD0").has_value());
    EXPECT_FALSE(gbkToUtf8("\xD6\x30").has_value());
}

// Bytes in the shapes that matter for finding character boundaries: ASCII, lead and trail
// bytes, the bytes that are neither, assigned and unassigned double-byte codes.
std::string generatedGbk(std::mt19937& random) {
    static const std::vector<std::string> kPieces = {
        "a",        "0",        "@",        "\x7F",     "\x80",
        "\xFF",     "\x81",     "\xA1",     "\xD6",     "\xFE",
        "\xD6\xD0",  // 中
        "\xB0\xE6",  // 版
        "\x81\x40",  // the first extension character
        "\xA1\xA1",  // full-width space
        "\xAA\xA1", "\xAF\xFE", "\xF8\xA1", "\xFE\xFE", "\xA1\x40",
        "\xA7\xA0", "\xA6\xD9", "\xA2\xAB",  // unassigned outside the user-defined ranges
    };
    std::uniform_int_distribution<int> length(0, 10);
    std::uniform_int_distribution<int> kind(0, 2);
    std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string out;
    for (int n = length(random); n > 0; --n) {
        if (kind(random) == 0) {
            out += static_cast<char>(byte(random));
        } else {
            out += kPieces[piece(random)];
        }
    }
    return out;
}

// What an independent decoder (Perl's Encode, code page 936, replacing what it cannot read)
// makes of each input, as UTF-8. Code page 936 as Perl reads it gives the user-defined
// ranges and the other unassigned codes private-use characters; this program does not, so
// those count as replacements in the reference. Perl also drops a lead byte at the very end
// as an unfinished character; each input gets a line end that it then takes off again, so a
// lead byte there is replaced as it is anywhere else.
std::vector<std::string> referenceDecode(const std::vector<std::string>& inputs) {
    std::string inputPath = (std::filesystem::temp_directory_path() / "arlo-gbk-XXXXXX").string();
    const int fd = ::mkstemp(inputPath.data());
    if (fd < 0) {
        return {};
    }
    ::close(fd);
    {
        std::ofstream file(inputPath);
        for (const auto& input : inputs) {
            file << hex(input) << '\n';
        }
    }
    const std::string command =
        "perl -MEncode -ne 'chomp; my $s = decode(\"cp936\", pack(\"H*\", $_) . \"\\n\", "
        "Encode::FB_DEFAULT); chop $s; $s =~ s/[\\x{E000}-\\x{F8FF}]/\\x{FFFD}/g; "
        "print unpack(\"H*\", encode(\"UTF-8\", $s)), \"\\n\"' < " +
        inputPath;
    std::vector<std::string> out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        std::string line;
        for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) {
            if (c == '\n') {
                out.push_back(line);
                line.clear();
            } else {
                line += static_cast<char>(c);
            }
        }
        if (::pclose(pipe) != 0) {
            out.clear();
        }
    }
    std::filesystem::remove(inputPath);
    return out;
}

TEST(GbkLossy, agreesWithAnIndependentDecoder) {
    std::vector<std::string> inputs;
    // Every lead byte with every second byte, then a character that must come out intact.
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int second = 0; second <= 0xFF; ++second) {
            inputs.push_back(std::string{static_cast<char>(lead), static_cast<char>(second)} +
                             "\xD6\xD0");
        }
    }
    std::mt19937 random(936);
    for (int i = 0; i < 20000; ++i) {
        inputs.push_back(generatedGbk(random));
    }
    const auto expected = referenceDecode(inputs);
    ASSERT_EQ(expected.size(), inputs.size()) << "perl with its Encode module is the reference";
    int mismatches = 0;
    for (std::size_t i = 0; i < inputs.size() && mismatches < 10; ++i) {
        const std::string got = hex(gbkToUtf8Lossy(inputs[i]));
        if (got != expected[i]) {
            ++mismatches;
            ADD_FAILURE() << "input " << hex(inputs[i]) << ": got " << got << ", reference "
                          << expected[i];
        }
    }
}

TEST(Gbk, characterStartsSkipTrailBytes) {
    const std::string s =
        "\xB0\x41"
        "A";  // one double-byte char whose trail byte is 'A', then 'A'
    EXPECT_TRUE(isGbkCharStart(s, 0));
    EXPECT_FALSE(isGbkCharStart(s, 1));
    EXPECT_TRUE(isGbkCharStart(s, 2));
}

// Searching, trimming and decoding walk GBK bytes by one rule, so they agree on where a
// character starts. 0x80 (the euro sign in CP936) stands alone, so the full-width space
// after it is whole; a lead byte before a byte that cannot trail it stands alone too, as
// the decoder reads it.
TEST(Gbk, byteEightyAndALoneLeadByteAreCharactersOfTheirOwn) {
    const std::string euroThenSpace = "\x80\xA1\xA1";
    EXPECT_EQ(gbkToUtf8(euroThenSpace), "\u20AC\u3000");
    EXPECT_TRUE(isGbkCharStart(euroThenSpace, 1));
    EXPECT_FALSE(isGbkCharStart(euroThenSpace, 2));
    EXPECT_EQ(trimSpaces(euroThenSpace, Charset::Gbk), "\x80");
    EXPECT_EQ(removeSpaces(euroThenSpace + "x", Charset::Gbk), "\x80x");
    EXPECT_EQ(findText(euroThenSpace, "\xA1\xA1", 1, Case::Sensitive, Charset::Gbk), 2);

    const std::string loneLead = "\x81 x";
    EXPECT_EQ(gbkToUtf8Lossy(loneLead), "\uFFFD x");
    EXPECT_TRUE(isGbkCharStart(loneLead, 1));
    EXPECT_EQ(findText(loneLead, " x", 1, Case::Sensitive, Charset::Gbk), 2);
    EXPECT_EQ(removeSpaces(loneLead, Charset::Gbk), "\x81x");
}

}  // namespace
}  // namespace arlo::text
