#include "net/host_map.h"

#include <gtest/gtest.h>

namespace arlo::net {
namespace {

TEST(HostMap, parsesEntriesAndSkipsMalformedOnes) {
    const auto map = parseHostMap(
        " A.Example=127.0.0.1:8080 ,*=10.0.0.1:81,bad,=1.2.3.4:5,x=1.2.3.4,y=1.2.3.4:0,"
        "z=1.2.3.4:70000,v6=[::1]:9,w=1.2.3.4:8o,top=1.2.3.4:65535,over=1.2.3.4:65536,"
        "wrap=1.2.3.4:4294967377");
    ASSERT_EQ(map.size(), 4u);
    EXPECT_EQ(map[0].host, "a.example");
    EXPECT_EQ(map[0].address, "127.0.0.1");
    EXPECT_EQ(map[0].port, 8080);
    EXPECT_EQ(map[1].host, "");
    EXPECT_EQ(map[1].address, "10.0.0.1");
    EXPECT_EQ(map[2].host, "v6");
    EXPECT_EQ(map[2].address, "[::1]");
    EXPECT_EQ(map[2].port, 9);
    EXPECT_EQ(map[3].host, "top");
    EXPECT_EQ(map[3].port, 65535);
}

TEST(HostMap, namedHostsComeBeforeTheCatchAll) {
    EXPECT_EQ(connectToEntries("*=127.0.0.1:1,a.invalid=127.0.0.1:2"),
              (std::vector<std::string>{"a.invalid::127.0.0.1:2", "::127.0.0.1:1"}));
    EXPECT_TRUE(connectToEntries("").empty());
}

TEST(HostMap, browserRulesMapTheSameHostsNamedFirstAndSkipWhatWouldSplitTheFlag) {
    EXPECT_EQ(hostResolverRules("*=127.0.0.1:1, A.invalid=127.0.0.1:2,b.invalid=[::1]:3"),
              "MAP a.invalid 127.0.0.1:2,MAP b.invalid [::1]:3,MAP * 127.0.0.1:1");
    EXPECT_EQ(hostResolverRules("a b=127.0.0.1:2,c=1 2:3,d=127.0.0.1:4"), "MAP d 127.0.0.1:4");
    EXPECT_EQ(hostResolverRules("nonsense,e="), "");
}

}  // namespace
}  // namespace arlo::net
