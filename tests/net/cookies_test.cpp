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
