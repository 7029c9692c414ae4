#include "net/cancel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "net/page_fetcher.h"
#include "standin/standin_environment.h"

namespace arlo::net {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The stall limit stays at its default of 30 s: a request that ends within a few seconds
// was ended by its switch, not by the limit.
constexpr auto kWellBeforeTheStallLimit = std::chrono::seconds(5);

class RequestCancelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standin_.ok()); }

    // Fetches `url` on a thread of its own inside a scope of `cancel`; throws the switch once
    // the stand-in has the request, and reports what the fetch returned and how long the
    // throw took to end it.
    struct Outcome {
        Bytes body;
        bool endedSoon = false;
    };
    Outcome fetchThenCancel(const std::string& url) {
        RequestCancel cancel;
        Outcome outcome;
        std::atomic<bool> done{false};
        std::thread fetcher([&] {
            CancelScope scope(cancel);
            outcome.body = FetchPage(url);
            done = true;
        });
        EXPECT_TRUE(standin_.server().waitForRequests(1, milliseconds(10000)));
        std::this_thread::sleep_for(milliseconds(100));
        EXPECT_FALSE(done.load()) << "the stand-in was to keep the request waiting";
        const auto thrown = Clock::now();
        cancel.cancel();
        fetcher.join();
        outcome.endedSoon = Clock::now() - thrown < kWellBeforeTheStallLimit;
        return outcome;
    }

    standin::StandinEnvironment standin_;
};

TEST_F(RequestCancelTest, aStalledRequestEndsAtOnceWithNothing) {
    const Outcome silent = fetchThenCancel("http://stall.arlo.invalid/test/stall");
    EXPECT_TRUE(silent.endedSoon);
    EXPECT_TRUE(silent.body.empty());
}

TEST_F(RequestCancelTest, halfABodyIsNotPassedOffAsWhole) {
    const Outcome partial = fetchThenCancel("http://stall.arlo.invalid/test/stall?after=headers");
    EXPECT_TRUE(partial.endedSoon);
    EXPECT_TRUE(partial.body.empty());
}

TEST_F(RequestCancelTest, overTlsToo) {
    const Outcome secure = fetchThenCancel("https://stall.arlo.invalid/test/stall");
    EXPECT_TRUE(secure.endedSoon);
    EXPECT_TRUE(secure.body.empty());
}

TEST_F(RequestCancelTest, afterTheSwitchIsThrownNothingReachesTheNetwork) {
    RequestCancel cancel;
    cancel.cancel();
    {
        CancelScope scope(cancel);
        EXPECT_TRUE(FetchPage("http://echo.arlo.invalid/test/echo").empty());
    }
    EXPECT_TRUE(standin_.server().requests().empty());
    // Outside the scope the thread's requests are its own again.
    EXPECT_FALSE(FetchPage("http://echo.arlo.invalid/test/echo").empty());
}

TEST_F(RequestCancelTest, anUnthrownSwitchChangesNothing) {
    RequestCancel cancel;
    CancelScope scope(cancel, [] { return false; });
    const Bytes echo = FetchPage("http://echo.arlo.invalid/test/echo");
    EXPECT_TRUE(echo.starts_with("GET /test/echo HTTP/1.1\r\n"));
    EXPECT_EQ(FetchPage("http://big.arlo.invalid/test/big-body?size=3000000").size(), 3000000u);
}

TEST_F(RequestCancelTest, anAbandonedRequestEndsWithoutTheSwitch) {
    RequestCancel cancel;
    std::atomic<bool> abandon{false};
    Bytes body = "untouched";
    std::thread fetcher([&] {
        CancelScope scope(cancel, [&] { return abandon.load(); });
        body = FetchPage("http://stall.arlo.invalid/test/stall");
    });
    ASSERT_TRUE(standin_.server().waitForRequests(1, milliseconds(10000)));
    const auto start = Clock::now();
    abandon = true;
    fetcher.join();
    EXPECT_LT(Clock::now() - start, kWellBeforeTheStallLimit);
    EXPECT_TRUE(body.empty());
    EXPECT_FALSE(cancel.cancelled());
}

// Scopes nest and every one counts: an inner scope whose own switch stays down still ends its
// request when an outer scope calls it off.
TEST_F(RequestCancelTest, anOuterScopeEndsTheRequestsOfAnInnerOne) {
    RequestCancel outerSwitch;
    RequestCancel innerSwitch;
    std::atomic<bool> done{false};
    Bytes body = "untouched";
    std::thread fetcher([&] {
        const CancelScope outer(outerSwitch);
        const CancelScope inner(innerSwitch, [] { return false; });
        body = FetchPage("http://stall.arlo.invalid/test/stall");
        done = true;
    });
    ASSERT_TRUE(standin_.server().waitForRequests(1, milliseconds(10000)));
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_FALSE(done.load());
    const auto thrown = Clock::now();
    outerSwitch.cancel();
    fetcher.join();
    EXPECT_LT(Clock::now() - thrown, kWellBeforeTheStallLimit);
    EXPECT_TRUE(body.empty());
    EXPECT_FALSE(innerSwitch.cancelled());
}

// One switch ends every request made under it, on any number of threads.
TEST_F(RequestCancelTest, oneSwitchEndsTheRequestsOfSeveralThreads) {
    RequestCancel cancel;
    constexpr int kThreads = 4;
    std::vector<std::thread> threads;
    std::atomic<int> empty{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            CancelScope scope(cancel);
            const std::string scheme = t % 2 ? "https" : "http";
            if (FetchPage(scheme + "://s" + std::to_string(t) + ".arlo.invalid/test/stall")
                    .empty()) {
                ++empty;
            }
        });
    }
    ASSERT_TRUE(standin_.server().waitForRequests(kThreads, milliseconds(10000)));
    const auto start = Clock::now();
    cancel.cancel();
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_LT(Clock::now() - start, kWellBeforeTheStallLimit);
    EXPECT_EQ(empty.load(), kThreads);
}

}  // namespace
}  // namespace arlo::net
