#include "base/serial_worker.h"

#include <pthread.h>

namespace arlo::base {

void StopSignal::stop() {
    const std::lock_guard lock(mutex_);
    if (stopped_.exchange(true)) {
        return;
    }
    // Under the lock: a hook's owner, unregistering, waits until its hook has run.
    for (const std::function<void()>& hook : hooks_) {
        hook();
    }
}

StopSignal::Hook StopSignal::onStop(std::function<void()> hook) const {
    const std::lock_guard lock(mutex_);
    if (stopped_.load()) {
        hook();
    }
    return Hook(*this, hooks_.insert(hooks_.end(), std::move(hook)));
}

StopSignal::Hook::~Hook() {
    const std::lock_guard lock(signal_.mutex_);
    signal_.hooks_.erase(at_);
}

SerialWorker::SerialWorker(std::string threadName) : name_(std::move(threadName)) {}

SerialWorker::~SerialWorker() {
    stop();
}

void SerialWorker::post(Job job) {
    put(std::move(job), Put::Behind);
}

void SerialWorker::replaceWaiting(Job job) {
    put(std::move(job), Put::InsteadOfWaiting);
}

void SerialWorker::replace(Job job) {
    put(std::move(job), Put::InsteadOfAll);
}

void SerialWorker::put(Job job, Put how) {
    std::unique_lock guard(mutex_);
    if (stopping_) {
        return;
    }
    if (how != Put::Behind) {
        waiting_.clear();
    }
    if (how == Put::InsteadOfAll && running_ != nullptr) {
        running_->stop();
    }
    waiting_.push_back(std::move(job));
    if (working_) {
        return;  // the thread takes the job when those before it have ended
    }
    std::thread ended = takeEndedThread(guard);
    working_ = true;
    thread_ = std::thread([this] { work(); });
    guard.unlock();
    if (ended.joinable()) {
        ended.join();  // it has left work() already
    }
}

void SerialWorker::work() {
    // Named, so that a look at the process's threads tells the workers apart.
    ::pthread_setname_np(::pthread_self(), name_.c_str());
    std::unique_lock guard(mutex_);
    while (!waiting_.empty() && !stopping_) {
        Job job = std::move(waiting_.front());
        waiting_.pop_front();
        StopSignal signal;
        running_ = &signal;
        guard.unlock();
        job(signal);
        job = nullptr;  // what the job holds goes before the worker counts as idle
        guard.lock();
        running_ = nullptr;
    }
    waiting_.clear();
    working_ = false;
    idle_.notify_all();
}

std::thread SerialWorker::takeEndedThread(std::unique_lock<std::mutex>& guard) {
    idle_.wait(guard, [this] { return !working_; });
    return std::move(thread_);
}

void SerialWorker::waitIdle() {
    std::unique_lock guard(mutex_);
    std::thread ended = takeEndedThread(guard);
    guard.unlock();
    if (ended.joinable()) {
        ended.join();
    }
}

void SerialWorker::callOff() {
    const std::lock_guard guard(mutex_);
    stopping_ = true;
    waiting_.clear();
    if (running_ != nullptr) {
        running_->stop();
    }
}

void SerialWorker::stop() {
    callOff();
    waitIdle();
}

}  // namespace arlo::base
