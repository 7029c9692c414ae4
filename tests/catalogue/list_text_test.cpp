#include "catalogue/list_text.h"

#include <gtest/gtest.h>

namespace arlo::catalogue {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitList, cutsAtCrLfOnly) {
    EXPECT_EQ(splitList("1-a\r\n2-b"), (Lines{"1-a", "2-b"}));
    EXPECT_EQ(splitList("1-a\r\n2-b\r\n"), (Lines{"1-a", "2-b"}));
    EXPECT_EQ(splitList("1-a\r\n\r\n2-b"), (Lines{"1-a", "", "2-b"}));
    EXPECT_EQ(splitList("1-a\n2-b\r3-c"), (Lines{"1-a\n2-b\r3-c"}));
    EXPECT_EQ(splitList(""), Lines{});
    EXPECT_EQ(splitList("\r\n"), (Lines{""}));
}

TEST(ValueAfterLastDash, takesTheTextAfterTheLastDash) {
    EXPECT_EQ(valueAfterLastDash("3-128475"), "128475");
    EXPECT_EQ(valueAfterLastDash("12-0a1b2c3d4e5f60718293a4b5c6d7e8f9&tvId=204561301"),
              "0a1b2c3d4e5f60718293a4b5c6d7e8f9&tvId=204561301");
    EXPECT_EQ(valueAfterLastDash("no dash here"), "");
    EXPECT_EQ(valueAfterLastDash("1-a-b"), "b");
    EXPECT_EQ(valueAfterLastDash("7-"), "");
}

}  // namespace
}  // namespace arlo::catalogue
