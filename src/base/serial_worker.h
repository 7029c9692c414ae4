#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>

// The one way Qt-free code runs work off the calling thread: jobs queued on a worker that runs
// them one at a time, each told when it is called off, and a thread that whoever owns the
// worker joins.
namespace arlo::base {

// What a job on a SerialWorker is given: whether it has been called off, and what is to happen
// the moment it is (a request cut, a wait woken).
class StopSignal final {
public:
    StopSignal() = default;
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    bool stopped() const { return stopped_.load(); }
    // For code that polls a flag of its own kind.
    const std::atomic<bool>& flag() const { return stopped_; }

    // Any thread: `stopped` turns true and every hook registered now runs once, on this thread.
    // There is no way back.
    void stop();

    // While it lives, its hook runs when the signal is stopped; at once, on the registering
    // thread, when it already was.
    class [[nodiscard]] Hook final {
    public:
        ~Hook();
        Hook(const Hook&) = delete;
        Hook& operator=(const Hook&) = delete;

    private:
        friend class StopSignal;
        Hook(const StopSignal& signal, std::list<std::function<void()>>::iterator at)
            : signal_(signal), at_(at) {}
        const StopSignal& signal_;
        std::list<std::function<void()>>::iterator at_;
    };
    Hook onStop(std::function<void()> hook) const;

private:
    mutable std::mutex mutex_;
    std::atomic<bool> stopped_{false};
    mutable std::list<std::function<void()>> hooks_;
};

// Runs jobs on a thread of its own, one at a time, in the order they were put. The thread
// exists while there are jobs, carries `threadName` (at most 15 bytes) and is joined by
// waitIdle, stop and the destructor; however fast jobs come, one thread runs them.
class SerialWorker final {
public:
    using Job = std::function<void(const StopSignal& stop)>;

    explicit SerialWorker(std::string threadName);
    // stop().
    ~SerialWorker();
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    // Runs `job` after the jobs already put.
    void post(Job job);
    // Runs `job` instead of the jobs still waiting; a running one finishes first.
    void replaceWaiting(Job job);
    // Runs `job` instead of the jobs still waiting, and calls the running one off: only the
    // newest is wanted.
    void replace(Job job);
    // Waits until every job put so far has run or been dropped.
    void waitIdle();
    // Calls the running job off and drops the waiting ones, without waiting; jobs put from now
    // on are dropped.
    void callOff();
    // callOff(), then waits for the thread.
    void stop();

private:
    enum class Put { Behind, InsteadOfWaiting, InsteadOfAll };
    void put(Job job, Put how);
    void work();
    // Waits until the thread has left work() and hands it out for joining without the lock.
    std::thread takeEndedThread(std::unique_lock<std::mutex>& guard);

    const std::string name_;
    std::mutex mutex_;
    std::condition_variable idle_;
    std::deque<Job> waiting_;
    StopSignal* running_ = nullptr;
    bool stopping_ = false;
    bool working_ = false;  // the thread runs work() or is about to
    std::thread thread_;
};

}  // namespace arlo::base
