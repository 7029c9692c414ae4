#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "net/page_fetcher.h"
#include "standin/standin_environment.h"

namespace arlo::net {
namespace {

// Fetches share nothing: each thread's jar sees only its own cookies.
TEST(PageFetcherThreads, concurrentFetchesKeepTheirOwnJars) {
    standin::StandinEnvironment standin;
    ASSERT_TRUE(standin.ok());
    constexpr int kThreads = 6;
    constexpr int kRounds = 5;
    std::vector<std::string> jars(kThreads);
    std::vector<int> echoes(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &jars, &echoes] {
            for (int r = 0; r < kRounds; ++r) {
                const std::string url = "http://t" + std::to_string(t) +
                                        ".arlo.invalid/test/set-cookie?c=r" + std::to_string(r) +
                                        "%3D" + std::to_string(t);
                FetchPage(url, 0, {}, &jars[t]);
                const Bytes echo = FetchPage((t % 2 ? "https://e" : "http://e") +
                                             std::to_string(t) + ".arlo.invalid/test/echo");
                echoes[t] += echo.starts_with("GET /test/echo HTTP/1.1\r\n") ? 1 : 0;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        const std::string v = std::to_string(t);
        EXPECT_EQ(jars[t], "r4=" + v + "; r3=" + v + "; r2=" + v + "; r1=" + v + "; r0=" + v);
        EXPECT_EQ(echoes[t], kRounds);
    }
    EXPECT_EQ(standin.server().requests().size(), static_cast<std::size_t>(kThreads * kRounds * 2));
}

}  // namespace
}  // namespace arlo::net
