#include "catalogue/list_refresh.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace arlo::catalogue {
namespace {

using namespace std::chrono_literals;

RowSnapshot japaneseRows() {
    static const RowSnapshot rows =
        std::make_shared<const EpisodeRows>(Catalogue::builtIn(), false);
    return rows;
}

TEST(EpisodeSearch, manyThreadsSearchingFirstAllSeeTheSameKeys) {
    // The keys are laid out by whichever search comes first; every one must see them whole.
    const EpisodeRows rows(Catalogue::builtIn(), true);
    std::vector<std::size_t> expected;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if ((rows.cell(i, 1) + rows.cell(i, 2)).find("12") != std::string::npos) {
            expected.push_back(i);
        }
    }
    std::vector<std::vector<std::size_t>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results) {
        threads.emplace_back([&rows, &result] { result = searchRows(rows, "12"); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& result : results) {
        EXPECT_EQ(result, expected);
    }
}

RefreshInput searching(std::string query) {
    return {japaneseRows(), std::move(query), true};
}

// Collects what the worker publishes, as the UI thread's queue would.
class Published {
public:
    void add(RefreshResult result) {
        {
            std::lock_guard lock(mutex_);
            results_.push_back(std::move(result));
        }
        changed_.notify_all();
    }
    // Waits for a result of `generation`; false after a generous time.
    bool waitFor(std::uint64_t generation) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 20s, [&] {
            return !results_.empty() && results_.back().generation >= generation;
        });
    }
    std::vector<RefreshResult> results() {
        std::lock_guard lock(mutex_);
        return results_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<RefreshResult> results_;
};

TEST(ListRefresh, aRefreshReadsTheInputThatIsNewestWhenItGetsTheListLock) {
    std::mutex listLock;
    Published published;
    ListRefresher refresher(listLock, [&](RefreshResult r) { published.add(std::move(r)); });
    std::uint64_t newest = 0;
    {
        // A refresh queued behind a running one (here: the lock held by the test) must not
        // search the text of the moment it was queued.
        std::lock_guard held(listLock);
        refresher.setInput(searching("1"));
        refresher.refreshLater();
        std::this_thread::sleep_for(20ms);
        newest = refresher.setInput(searching("123"));
    }
    ASSERT_TRUE(published.waitFor(newest));
    const auto results = published.results();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].generation, newest);
    EXPECT_EQ(results[0].query, "123");
    EXPECT_EQ(results[0].matches, searchRows(*japaneseRows(), "123"));
}

TEST(ListRefresh, aBurstOfKeystrokesEndsWithTheResultsOfTheFinalText) {
    std::mutex listLock;
    Published published;
    ListRefresher refresher(listLock, [&](RefreshResult r) { published.add(std::move(r)); });
    // Typing "1", "12", "121", ... and deleting back, fifty changes, each with its own
    // refresh, with the choosers' direct refreshes mixed in from this thread.
    const std::string digits = "1213141516171819";
    std::string text;
    std::uint64_t last = 0;
    for (int key = 0; key < 50; ++key) {
        if (key % 20 < 12) {
            text += digits[static_cast<std::size_t>(key) % digits.size()];
        } else if (!text.empty()) {
            text.pop_back();
        }
        last = refresher.setInput(searching(text));
        refresher.refreshLater();
        if (key % 10 == 9) {
            const RefreshResult now = refresher.refreshNow();
            EXPECT_EQ(now.generation, last);
            EXPECT_EQ(now.matches, searchRows(*japaneseRows(), text));
        }
    }
    ASSERT_TRUE(published.waitFor(last));
    const auto results = published.results();
    // Fewer runs than requests is the point of serving piled-up requests once; each run is
    // complete, comes in order, and the last one shows the final text.
    ASSERT_FALSE(results.empty());
    EXPECT_LE(results.size(), 50u);
    for (std::size_t i = 1; i < results.size(); ++i) {
        EXPECT_LE(results[i - 1].generation, results[i].generation);
    }
    EXPECT_EQ(results.back().generation, last);
    EXPECT_EQ(results.back().query, text);
    EXPECT_EQ(results.back().matches, searchRows(*japaneseRows(), text));
    for (const RefreshResult& r : results) {
        EXPECT_EQ(r.matches, searchRows(*japaneseRows(), r.query)) << r.query;
    }
}

TEST(ListRefresh, waitingUntilIdleSeesEveryRefreshAskedForPublished) {
    std::mutex listLock;
    Published published;
    ListRefresher refresher(listLock, [&](RefreshResult r) { published.add(std::move(r)); });
    refresher.waitIdle();  // nothing asked for yet: returns at once
    EXPECT_TRUE(published.results().empty());
    std::string text;
    for (int key = 0; key < 30; ++key) {
        text += static_cast<char>('1' + key % 9);
        const std::uint64_t generation = refresher.setInput(searching(text.substr(0, 3)));
        refresher.refreshLater();
        if (key % 3 == 2) {
            // Without waiting for the worker: once idle, the last refresh is published.
            refresher.waitIdle();
            const auto results = published.results();
            ASSERT_FALSE(results.empty());
            EXPECT_EQ(results.back().generation, generation);
        }
    }
}

TEST(ListRefresh, theFullListModeCarriesTheRowsAndNoMatches) {
    std::mutex listLock;
    ListRefresher refresher(listLock, [](RefreshResult) {});
    const std::uint64_t generation = refresher.setInput({japaneseRows(), "12", false});
    const RefreshResult result = refresher.refreshNow();
    EXPECT_EQ(result.generation, generation);
    EXPECT_FALSE(result.searching);
    EXPECT_EQ(result.rows, japaneseRows());
    EXPECT_TRUE(result.matches.empty());
    // No rows yet (nothing chosen) is an empty result, not a crash.
    refresher.setInput({nullptr, "12", true});
    EXPECT_TRUE(refresher.refreshNow().matches.empty());
}

TEST(ListRefresh, goingAwayWithRefreshesQueuedWaitsForTheRunningOneOnly) {
    std::mutex listLock;
    Published published;
    {
        ListRefresher refresher(listLock, [&](RefreshResult r) { published.add(std::move(r)); });
        for (int i = 0; i < 20; ++i) {
            refresher.setInput(searching(std::to_string(i)));
            refresher.refreshLater();
        }
    }
    // Whatever ran was whole; nothing is published after the refresher is gone.
    const auto before = published.results();
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(published.results().size(), before.size());
    for (const RefreshResult& r : before) {
        EXPECT_EQ(r.matches, searchRows(*japaneseRows(), r.query));
    }
}

}  // namespace
}  // namespace arlo::catalogue
