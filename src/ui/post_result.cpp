#include "ui/post_result.h"

#include "net/cancel.h"

namespace arlo::ui {

PostTo::PostTo(QObject& receiver) : target_(std::make_shared<Target>()) {
    target_->receiver = &receiver;
    // Emitted on the receiver's thread before its queued calls are dropped: a call made after
    // this finds nobody.
    QObject::connect(&receiver, &QObject::destroyed, &receiver, [target = target_] {
        const std::lock_guard lock(target->mutex);
        target->receiver = nullptr;
    });
}

void PostTo::operator()(std::function<void()> call) const {
    // Under the lock, so that the receiver cannot go between the look and the post.
    const std::lock_guard lock(target_->mutex);
    if (target_->receiver != nullptr) {
        QMetaObject::invokeMethod(target_->receiver, std::move(call), Qt::QueuedConnection);
    }
}

void cutOffWith(const base::StopSignal& stop, const std::function<void()>& work) {
    net::RequestCancel requests;
    const base::StopSignal::Hook cut = stop.onStop([&requests] { requests.cancel(); });
    const net::CancelScope scope(requests);
    work();
}

}  // namespace arlo::ui
