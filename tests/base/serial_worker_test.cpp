#include "base/serial_worker.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

namespace arlo::base {
namespace {

// Jobs that write their letter down; "a" holds the worker until it is let go or called off.
class Jobs {
public:
    SerialWorker::Job job(char letter) {
        return [this, letter](const StopSignal& stop) {
            if (letter == 'a') {
                started_.set_value();
                const StopSignal::Hook wake = stop.onStop([this] { letGo(); });
                gate_.wait();
                calledOff_ = stop.stopped();
            }
            const std::lock_guard lock(mutex_);
            ran_ += letter;
        };
    }
    void waitForA() { started_.get_future().wait(); }
    void letGo() {
        const std::lock_guard lock(mutex_);
        if (!released_) {
            released_ = true;
            open_.set_value();
        }
    }
    std::string ran() {
        const std::lock_guard lock(mutex_);
        return ran_;
    }
    bool calledOff() const { return calledOff_; }

private:
    std::promise<void> started_;
    std::promise<void> open_;
    std::shared_future<void> gate_ = open_.get_future().share();
    std::mutex mutex_;
    bool released_ = false;
    std::string ran_;
    std::atomic<bool> calledOff_{false};
};

// While "a" runs, "b" and "c" are put behind it, then "d" the way the row says.
TEST(SerialWorker, theWayAJobIsPutDecidesWhatRunsAndWhetherTheRunningOneIsCalledOff) {
    using Put = void (SerialWorker::*)(SerialWorker::Job);
    const struct {
        const char* name;
        Put put;
        std::string ran;
        bool aCalledOff;
    } rows[] = {
        {"post", &SerialWorker::post, "abcd", false},
        {"replaceWaiting", &SerialWorker::replaceWaiting, "ad", false},
        {"replace", &SerialWorker::replace, "ad", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Jobs jobs;
        SerialWorker worker("arlo-test");
        worker.post(jobs.job('a'));
        jobs.waitForA();
        worker.post(jobs.job('b'));
        worker.post(jobs.job('c'));
        (worker.*row.put)(jobs.job('d'));
        if (!row.aCalledOff) {
            jobs.letGo();
        }
        worker.waitIdle();
        EXPECT_EQ(jobs.ran(), row.ran);
        EXPECT_EQ(jobs.calledOff(), row.aCalledOff);
    }
}

// stop() calls the running job off (its hooks run), drops the waiting ones and every later
// one, and returns once the thread has ended; callOff() alone does not wait.
TEST(SerialWorker, stopCallsTheRunningJobOffAndDropsTheRest) {
    Jobs jobs;
    SerialWorker worker("arlo-test");
    worker.post(jobs.job('a'));
    jobs.waitForA();
    worker.post(jobs.job('b'));
    worker.stop();
    EXPECT_TRUE(jobs.calledOff());
    EXPECT_EQ(jobs.ran(), "a");
    worker.post(jobs.job('c'));
    worker.waitIdle();
    EXPECT_EQ(jobs.ran(), "a");
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
    EXPECT_EQ(gone, 0);
    EXPECT_EQ(kept, 1);
    int late = 0;
    const StopSignal::Hook after = signal.onStop([&late] { ++late; });
    EXPECT_EQ(late, 1);
}

}  // namespace
}  // namespace arlo::base
