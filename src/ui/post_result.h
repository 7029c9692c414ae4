#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>

#include "base/serial_worker.h"

// The one way work off the user-interface thread reaches a window: a job on a serial worker,
// whose result is posted to a QObject only while that object lives.
namespace arlo::ui {

// Hands calls to a QObject's thread, and only while the object lives: a call made while it
// lives is queued to its thread (and dropped with the object should it go first); one made
// after is dropped. Copies may be used on any thread.
class PostTo final {
public:
    // On the receiver's thread.
    explicit PostTo(QObject& receiver);
    void operator()(std::function<void()> call) const;

private:
    struct Target {
        std::mutex mutex;
        QObject* receiver = nullptr;
    };
    std::shared_ptr<Target> target_;
};

// Runs `work` on the calling thread with every request it makes cut off at once when `stop`
// turns.
void cutOffWith(const base::StopSignal& stop, const std::function<void()>& work);

// Runs `job(stop)` on `worker`, its requests cut off when the worker calls it off, and hands
// its result to `deliver` on `receiver`'s thread while the receiver lives.
template <class Job, class Deliver>
void runThenPost(base::SerialWorker& worker, QObject& receiver, Job job, Deliver deliver) {
    worker.post([post = PostTo(receiver), job = std::move(job),
                 deliver = std::move(deliver)](const base::StopSignal& stop) {
        using Made = std::invoke_result_t<const Job&, const base::StopSignal&>;
        std::optional<Made> made;
        cutOffWith(stop, [&] { made.emplace(job(stop)); });
        post([deliver, made = std::move(*made)] { deliver(made); });
    });
}

}  // namespace arlo::ui
