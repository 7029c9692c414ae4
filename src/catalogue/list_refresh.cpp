#include "catalogue/list_refresh.h"

namespace arlo::catalogue {

RefreshResult computeRefresh(const RefreshInput& input, std::uint64_t generation) {
    RefreshResult result;
    result.generation = generation;
    result.searching = input.searching;
    result.rows = input.rows;
    if (input.searching) {
        result.query = input.query;
        if (input.rows) {
            result.matches = searchRows(*input.rows, input.query);
        }
    }
    return result;
}

ListRefresher::ListRefresher(std::mutex& listLock, Publish publish)
    : listLock_(listLock), publish_(std::move(publish)) {}

std::uint64_t ListRefresher::setInput(RefreshInput input) {
    std::lock_guard lock(inputMutex_);
    input_ = std::move(input);
    return ++generation_;
}

std::uint64_t ListRefresher::generation() const {
    std::lock_guard lock(inputMutex_);
    return generation_;
}

RefreshResult ListRefresher::run() {
    std::lock_guard list(listLock_);
    RefreshInput input;
    std::uint64_t generation = 0;
    {
        // The input is read once the list lock is ours, so a refresh that waited behind
        // another one works on what the user typed last.
        std::lock_guard lock(inputMutex_);
        input = input_;
        generation = generation_;
    }
    return computeRefresh(input, generation);
}

RefreshResult ListRefresher::refreshNow() {
    return run();
}

void ListRefresher::refreshLater() {
    // Requests that pile up while one runs are served by one more run.
    worker_.replaceWaiting([this](const base::StopSignal&) { publish_(run()); });
}

void ListRefresher::waitIdle() {
    worker_.waitIdle();
}

}  // namespace arlo::catalogue
