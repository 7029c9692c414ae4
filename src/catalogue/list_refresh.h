#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/serial_worker.h"
#include "catalogue/episode_rows.h"

// Refreshing the episode list off the UI thread. The UI thread describes what the list should
// show (`RefreshInput`); refreshes run one at a time under the list lock, each reading the
// newest input when it gets the lock, so the last refresh to run decides what is shown.
namespace arlo::catalogue {

// The full list of one dub language, immutable once built and shared with the workers.
using RowSnapshot = std::shared_ptr<const EpisodeRows>;

struct RefreshInput {
    RowSnapshot rows;
    std::string query;       // UTF-8; only read while searching
    bool searching = false;  // the results list is in use, rather than the full list
};

struct RefreshResult {
    // Of the input it was computed from: the UI shows a result only while its input is still
    // the newest, as a newer input always brings a refresh of its own.
    std::uint64_t generation = 0;
    bool searching = false;
    RowSnapshot rows;
    std::string query;
    std::vector<std::size_t> matches;  // indexes into *rows, in list order (searching only)
};

// Computes what one input shows.
RefreshResult computeRefresh(const RefreshInput& input, std::uint64_t generation);

class ListRefresher final {
public:
    // Called on the worker thread with each finished background refresh.
    using Publish = std::function<void(RefreshResult)>;

    ListRefresher(std::mutex& listLock, Publish publish);
    // Waits for a refresh under way (the worker goes first); one still queued is dropped.
    ~ListRefresher() = default;
    ListRefresher(const ListRefresher&) = delete;
    ListRefresher& operator=(const ListRefresher&) = delete;

    // Replaces the input; returns its generation, which rises with every call.
    std::uint64_t setInput(RefreshInput input);
    std::uint64_t generation() const;

    // Queues a refresh on the worker thread. Requests that pile up while one runs are served
    // by one more run: it reads the newest input, as each of them would have.
    void refreshLater();
    // Runs a refresh on the calling thread, under the list lock, and returns its result.
    RefreshResult refreshNow();
    // Returns once no background refresh is queued or running: every one asked for so far
    // has been published.
    void waitIdle();

private:
    RefreshResult run();

    std::mutex& listLock_;
    Publish publish_;

    mutable std::mutex inputMutex_;
    RefreshInput input_;
    std::uint64_t generation_ = 0;

    base::SerialWorker worker_{"arlo-list"};  // last: joined before the rest goes
};

}  // namespace arlo::catalogue
