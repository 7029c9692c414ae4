#pragma once

#include <QObject>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "base/serial_worker.h"
#include "online/version_check.h"

namespace arlo::ui {
struct AppContext;
class UpdateWindow;
}  // namespace arlo::ui

namespace arlo::app {

// Offers a newer release once per run: the version check runs on a worker of the offer's own,
// called off (its requests cut) when the offer is withdrawn and joined when it goes; when it finds
// a newer version with a download address, the user is asked on the user-interface thread and, on
// OK, the Main window gives way to the Update window, whose closing ends the program.
class UpdateOffer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpdateOffer)

public:
    // The check itself; online::checkForUpdate unless a test brings its own.
    using Check = std::function<bool(online::VersionState&, const online::StopFlag*)>;

    UpdateOffer(ui::AppContext& context, QWidget& main, std::function<void()> endProgram,
                QObject* parent = nullptr);
    // Withdraws the offer and waits for the check, which ends at once.
    ~UpdateOffer() override;

    // Starts the check of `currentVersion` on the offer's worker.
    void start(std::string currentVersion, Check check = online::checkForUpdate);
    // From now on a check that finishes shows nothing and makes no further request.
    void withdraw();

    // The open Update window, if any.
    ui::UpdateWindow* updateWindow() const { return window_.get(); }

private:
    void offer(const online::VersionState& version);

    ui::AppContext& context_;
    // The Main window, hidden when the Update window takes its place.
    QWidget& main_;
    std::function<void()> endProgram_;
    std::unique_ptr<ui::UpdateWindow> window_;
    bool withdrawn_ = false;
    base::SerialWorker worker_{"arlo-check"};  // last: joined before the rest goes
};

}  // namespace arlo::app
