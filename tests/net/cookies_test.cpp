#include "net/cookies.h"

#include <gtest/gtest.h>

namespace arlo::net {
namespace {

struct MergeCase {
    const char* jar;
    const char* received;
    const char* merged;
    const char* receivedAfter;
};

TEST(MergeCookies, mergesReceivedPairsIntoTheJar) {
    const MergeCase cases[] = {
        {"a=1; b=2", "b=3; c=deleted", "b=3; a=1", "b=3;c=deleted"},
        {"a=1; a=2", "", "a=1", ""},
        {"", "x=1", "x=1", "x=1"},
        {"", "", "", ""},
        {"a=1", "a=deleted", "", "a=deleted"},
        // Only the value "deleted" removes a pair, not a value that ends in it.
        {"a=undeleted; b=1", "", "a=undeleted; b=1", ""},
        // Names compare exactly; spaces go everywhere, also inside values.
        {"A=1; a=2", "a=3", "a=3; A=1", "a=3"},
        {"s = a b", "", "s=ab", ""},
        {"w\xE3\x80\x80=1", "", "w=1", ""},
        // A pair without "=" is its own name.
        {"flag; a=1", "flag", "flag; a=1", "flag"},
        {"a=1;;b=2", "", "a=1; b=2", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.jar) + " <- " + c.received);
        std::string jar = c.jar;
        std::string received = c.received;
        EXPECT_EQ(MergeCookies(jar, received), c.merged);
        EXPECT_EQ(jar, c.merged);
        EXPECT_EQ(received, c.receivedAfter);
    }
}

TEST(MergeCookies, dropsPairsWithControlBytesFromEitherSide) {
    std::string jar = "a=1; j=\x01; k=2";
    std::string received = "b=2\rX-Inj:1; a=3; c=\x7F; d=4\t";
    EXPECT_EQ(MergeCookies(jar, received), "a=3; k=2");
    EXPECT_EQ(received, "a=3");
    // A dropped pair is as if it had not come: the jar's pair of its name stays.
    jar = "b=1";
    received = "b=2\n";
    EXPECT_EQ(MergeCookies(jar, received), "b=1");
}

// The jar and the received pairs can each hold thousands of pairs (bench_net's
// BM_MergeCookies measures the time); the rules are those of a few pairs.
TEST(MergeCookies, manyPairsKeepTheRulesOfFewPairs) {
    std::string jar;
    std::string received;
    std::string expected;
    for (int i = 0; i < 12000; ++i) {
        jar += "j" + std::to_string(i) + "=1; ";
        // Every other received name is also in the jar; the received pair wins.
        const std::string pair = (i % 2 ? "j" : "r") + std::to_string(i) + "=2";
        received += pair + ";";
        expected += pair + "; ";
    }
    for (int i = 0; i < 12000; i += 2) {
        expected += "j" + std::to_string(i) + "=1; ";
    }
    expected.resize(expected.size() - 2);
    // Of two jar pairs with one name the first stays.
    jar += "j0=again";
    EXPECT_EQ(MergeCookies(jar, received), expected);
}

TEST(MergeCookies, isStableWhenNothingNewArrives) {
    std::string jar = "a=1; b=2; c=3";
    for (int i = 0; i < 3; ++i) {
        std::string none;
        MergeCookies(jar, none);
    }
    EXPECT_EQ(jar, "a=1; b=2; c=3");
}

}  // namespace
}  // namespace arlo::net
