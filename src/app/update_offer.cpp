#include "app/update_offer.h"

#include <mutex>
#include <thread>

#include "ui/notices.h"
#include "ui/update_window.h"

namespace arlo::app {

// What the worker shares with the offer: the offer itself while it still wants the answer,
// and the stop flag. The worker posts under the lock, so the offer cannot go away in between;
// an answer posted before it went away is dropped with it.
struct UpdateOffer::Mailbox {
    std::mutex mutex;
    UpdateOffer* receiver = nullptr;
    online::StopFlag stop = false;
};

UpdateOffer::UpdateOffer(ui::AppContext& context, QWidget& main, std::function<void()> endProgram,
                         QObject* parent)
    : QObject(parent),
      context_(context),
      main_(main),
      endProgram_(std::move(endProgram)),
      mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->receiver = this;
}

UpdateOffer::~UpdateOffer() {
    withdraw();
}

void UpdateOffer::withdraw() {
    withdrawn_ = true;
    mailbox_->stop = true;
    const std::lock_guard lock(mailbox_->mutex);
    mailbox_->receiver = nullptr;
}

void UpdateOffer::start(std::string currentVersion, Check check) {
    online::VersionState version;
    version.current = std::move(currentVersion);
    // Never joined: shutdown must not wait for a service that does not answer.
    std::thread([mailbox = mailbox_, check = std::move(check), version]() mutable {
        if (!check(version, &mailbox->stop)) {
            return;
        }
        const std::lock_guard lock(mailbox->mutex);
        if (UpdateOffer* receiver = mailbox->receiver) {
            QMetaObject::invokeMethod(
                receiver, [receiver, version] { receiver->offer(version); }, Qt::QueuedConnection);
        }
    }).detach();
}

void UpdateOffer::offer(const online::VersionState& version) {
    if (withdrawn_ || window_ ||
        !context_.notices->ask(ui::kCaptionUpdate, QStringLiteral("获取到新版本，是否更新？"),
                               ui::Notices::Question::OkCancel) ||
        withdrawn_) {
        return;
    }
    main_.hide();
    // Modal and without owner; however it closes, the program ends with it.
    window_ = std::make_unique<ui::UpdateWindow>(context_, version);
    connect(window_.get(), &QDialog::finished, this, [this] {
        window_.release()->deleteLater();
        endProgram_();
    });
    window_->show();
}

}  // namespace arlo::app
