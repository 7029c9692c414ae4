#include "base/serial_worker.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <string>

namespace arlo::base {
namespace {

// Jobs that write their letter down; "a" holds the worker until it is let go or called off.
struct Jobs {
    std::promise<void> started, open;
    std::shared_future<void> gate = open.get_future().share();
    std::once_flag opened;
    std::mutex mutex;
    std::string ran;
    std::atomic<bool> aCalledOff{false};

    void letGo() {
        std::call_once(opened, [this] { open.set_value(); });
    }
    SerialWorker::Job job(char letter) {
        return [this, letter](const StopSignal& stop) {
            if (letter == 'a') {
                started.set_value();
                const StopSignal::Hook wake = stop.onStop([this] { letGo(); });
                gate.wait();
                aCalledOff = stop.stopped();
            }
            const std::lock_guard lock(mutex);
            ran += letter;
        };
    }
};

// While "a" runs, "b" and "c" wait behind it; then the row's call. Stopping calls "a" off
// (its hook wakes it), drops the waiting jobs and every later one, and joins the thread.
TEST(SerialWorker, whatRunsAndWhetherTheRunningJobIsCalledOff) {
    const struct {
        const char* name;
        std::function<void(SerialWorker&, Jobs&)> then;
        std::string ran;
        bool aCalledOff;
    } rows[] = {
        {"post", [](SerialWorker& w, Jobs& j) { w.post(j.job('d')); }, "abcd", false},
        {"replaceWaiting", [](SerialWorker& w, Jobs& j) { w.replaceWaiting(j.job('d')); }, "ad",
         false},
        {"replace", [](SerialWorker& w, Jobs& j) { w.replace(j.job('d')); }, "ad", true},
        {"stop",
         [](SerialWorker& w, Jobs& j) {
             w.stop();
             w.post(j.job('d'));
         },
         "a", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Jobs jobs;
        SerialWorker worker("arlo-test");
        worker.post(jobs.job('a'));
        jobs.started.get_future().wait();
        worker.post(jobs.job('b'));
        worker.post(jobs.job('c'));
        row.then(worker, jobs);
        if (!row.aCalledOff) {
            jobs.letGo();
        }
        worker.waitIdle();
        EXPECT_EQ(jobs.ran, row.ran);
        EXPECT_EQ(jobs.aCalledOff.load(), row.aCalledOff);
    }
}

// A hook registered after the stop runs at once; one whose owner has gone never runs.
TEST(StopSignal, hooksRunOnceWhileTheyLive) {
    StopSignal signal;
    int gone = 0;
    int kept = 0;
    {
        const StopSignal::Hook hook = signal.onStop([&gone] { ++gone; });
    }
    const StopSignal::Hook hook = signal.onStop([&kept] { ++kept; });
    signal.stop();
    signal.stop();
    int late = 0;
    const StopSignal::Hook after = signal.onStop([&late] { ++late; });
    EXPECT_EQ(std::make_tuple(gone, kept, late), std::make_tuple(0, 1, 1));
}

}  // namespace
}  // namespace arlo::base
