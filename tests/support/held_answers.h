#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "standin/server.h"

namespace arlo::test_support {

// Holds back the stand-in's answers to the requests that `matches` picks until open() is
// called: each such request waits on its connection thread before it is served. Open it
// before the server stops.
class HeldAnswers final {
public:
    using Match = std::function<bool(const standin::Request&)>;

    // Installs itself as `server`'s request listener.
    static std::shared_ptr<HeldAnswers> install(standin::Server& server, Match matches) {
        auto held = std::make_shared<HeldAnswers>(std::move(matches));
        server.onRequest([held](const standin::Request& request) { held->hold(request); });
        return held;
    }

    explicit HeldAnswers(Match matches) : matches_(std::move(matches)) {}

    // True once a request is being held; false when none came within `timeout`.
    bool waitUntilHolding(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [this] { return held_ > 0; });
    }

    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    void hold(const standin::Request& request) {
        if (!matches_(request)) {
            return;
        }
        std::unique_lock lock(mutex_);
        ++held_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }

    Match matches_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int held_ = 0;
    bool open_ = false;
};

}  // namespace arlo::test_support
