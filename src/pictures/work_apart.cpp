#include "pictures/work_apart.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace arlo::pictures {
namespace {

constexpr auto kAskEvery = std::chrono::milliseconds(5);

struct Threads {
    std::mutex mutex;
    std::condition_variable changed;
    int running = 0;
    int holds = 0;
};

// Never destroyed: an abandoned thread may still count itself out while the process ends.
Threads& threads() {
    static auto* const all = new Threads;
    return *all;
}

// Between the waiting thread and the work's thread; whichever ends last frees it.
struct Handover {
    std::mutex mutex;
    std::condition_variable done;
    bool ran = false;
};

void runHandedOver(const std::shared_ptr<Handover>& handover, std::function<void()>& work) {
    Threads& all = threads();
    {
        std::unique_lock lock(all.mutex);
        all.changed.wait(lock, [&all] { return all.holds == 0; });
    }
    work();
    work = nullptr;  // what it owns goes before it counts as done
    {
        const std::lock_guard lock(handover->mutex);
        handover->ran = true;
    }
    handover->done.notify_all();
    {
        const std::lock_guard lock(all.mutex);
        --all.running;
    }
    all.changed.notify_all();
}

}  // namespace

bool runApart(std::function<void()> work, const std::function<bool()>& abandon) {
    auto handover = std::make_shared<Handover>();
    Threads& all = threads();
    {
        const std::lock_guard lock(all.mutex);
        ++all.running;
    }
    try {
        std::thread([handover, work = std::move(work)]() mutable {
            runHandedOver(handover, work);
        }).detach();
    } catch (const std::system_error&) {
        const std::lock_guard lock(all.mutex);
        --all.running;
        return false;
    }
    std::unique_lock lock(handover->mutex);
    while (!handover->done.wait_for(lock, kAskEvery, [&handover] { return handover->ran; })) {
        lock.unlock();
        if (abandon && abandon()) {
            return false;
        }
        lock.lock();
    }
    return true;
}

int workApartRunning() {
    const std::lock_guard lock(threads().mutex);
    return threads().running;
}

void waitForWorkApart() {
    Threads& all = threads();
    std::unique_lock lock(all.mutex);
    all.changed.wait(lock, [&all] { return all.running == 0; });
}

HoldWorkApart::HoldWorkApart() {
    const std::lock_guard lock(threads().mutex);
    ++threads().holds;
}

HoldWorkApart::~HoldWorkApart() {
    {
        const std::lock_guard lock(threads().mutex);
        --threads().holds;
    }
    threads().changed.notify_all();
}

}  // namespace arlo::pictures
