#include "app/update_offer.h"

#include <optional>

#include "ui/notices.h"
#include "ui/post_result.h"
#include "ui/update_window.h"

namespace arlo::app {

UpdateOffer::UpdateOffer(ui::AppContext& context, QWidget& main, std::function<void()> endProgram,
                         QObject* parent)
    : QObject(parent), context_(context), main_(main), endProgram_(std::move(endProgram)) {}

UpdateOffer::~UpdateOffer() {
    withdraw();
}

void UpdateOffer::withdraw() {
    withdrawn_ = true;
    worker_.callOff();
}

void UpdateOffer::start(std::string currentVersion, Check check) {
    online::VersionState version;
    version.current = std::move(currentVersion);
    ui::runThenPost(
        worker_, *this,
        [check = std::move(check), version](const base::StopSignal& stop) {
            online::VersionState found = version;
            return check(found, &stop.flag()) ? std::optional(found) : std::nullopt;
        },
        [this](const std::optional<online::VersionState>& found) {
            if (found) {
                offer(*found);
            }
        });
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
