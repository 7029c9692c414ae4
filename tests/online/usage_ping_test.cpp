#include "online/usage_ping.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "deploy/deploy.h"
#include "net/page_fetcher.h"
#include "standin/server.h"
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

// A counter that answers with anything but a whole successful response has not counted the
// hit: the ping says so, and the caller goes on all the same.
TEST(UsagePing, aFailedAnswerIsAFailure) {
    standin::Server counter;
    ASSERT_TRUE(counter.start());
    const std::string previous = std::getenv("ARLO_HOST_MAP") ? std::getenv("ARLO_HOST_MAP") : "";
    ::setenv("ARLO_HOST_MAP", ("*=127.0.0.1:" + std::to_string(counter.port())).c_str(), 1);
    std::atomic<const char*> answer{""};
    counter.route("", "/stat.htm", [&answer](const standin::Request&) {
        standin::Response r;
        r.raw = answer.load();
        return r;
    });
    const struct {
        const char* raw;
        bool counted;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Le", false},                    // half a header block
        {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n/*", false},  // half a body
        {"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n", false},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", false},
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n/*", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw);
        answer = c.raw;
        EXPECT_EQ(sendUsagePing(), c.counted);
    }
    ::setenv("ARLO_HOST_MAP", previous.c_str(), 1);
}

}  // namespace
}  // namespace arlo::online
