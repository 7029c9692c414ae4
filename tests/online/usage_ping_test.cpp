#include "online/usage_ping.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "deploy/deploy.h"
#include "net/page_fetcher.h"
#include "standin/standin_environment.h"

namespace arlo::online {
namespace {

TEST(UsagePing, theCounterReceivesOneHitWithTheExactHeaderBlock) {
    standin::StandinEnvironment standin;
    ASSERT_TRUE(standin.ok());

    EXPECT_TRUE(sendUsagePing());

    const std::string host(deploy::kCounterHost);
    const auto hits = standin.server().requestsFor(host, "/stat.htm");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(standin.server().requests().size(), 1u);
    EXPECT_EQ(hits[0].raw, "GET /stat.htm?id=" + std::string(deploy::kCounterSiteId) +
                               " HTTP/1.1\r\nHost:" + host +
                               "\r\nUser-Agent: " + std::string(net::kDefaultUserAgent) +
                               "\r\nReferer:" + std::string(deploy::kHostingSpaceHome) +
                               "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
                               "Content-Type: application/x-www-form-urlencoded\r\n\r\n");
}

TEST(UsagePing, aCounterThatCannotBeReachedIsIgnored) {
    standin::StandinEnvironment standin;
    ASSERT_TRUE(standin.ok());
    const int port = standin.port();
    standin.server().stop();
    ::setenv("ARLO_HOST_MAP", ("*=127.0.0.1:" + std::to_string(port)).c_str(), 1);
    EXPECT_FALSE(sendUsagePing());
}

}  // namespace
}  // namespace arlo::online
