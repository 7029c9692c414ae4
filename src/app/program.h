#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/update_offer.h"
#include "base/serial_worker.h"
#include "ui/app_context.h"

namespace arlo::ui {
class MainWindow;
class Notices;
}  // namespace arlo::ui

// Start-up and shutdown of the program around its Main window.
namespace arlo::app {

struct ProgramOptions {
    // The executable's directory.
    QString runDirectory;
    // Where the Settings file lives; empty for the user's Documents folder.
    std::string documentsFolder;
    // Ends the process's event loop with an exit code.
    std::function<void(int)> quit;
    // Starts the usage ping; online::sendUsagePing on the program's own worker unless
    // replaced.
    std::function<void()> usagePing;
    // The version check, run on a worker thread; online::checkForUpdate unless replaced.
    UpdateOffer::Check versionCheck = {};
    // Readies the Player's page view ahead of the first Play, once the user has chosen an
    // episode or opened the movie page, for the Player page at `pagePath`; nothing when empty.
    std::function<void(const std::string& pagePath)> preparePlayer = {};
};

class Program final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Program)

public:
    Program(ui::Notices& notices, ProgramOptions options);
    ~Program() override;

    // Shows the Main window; its created event runs the start-up sequence, whose work that
    // the first paint does not show runs once the window has painted.
    void start();
    // The whole start-up sequence has run: the movie page is set up, the Settings file read,
    // the version check and the usage ping started.
    bool hasStartedUp() const { return startedUp_; }

    ui::MainWindow& mainWindow() { return *main_; }
    ui::AppContext& context() { return context_; }

signals:
    void startedUp();

private:
    void onMainWindowCreated();
    void finishStartUp();
    // Prepares the page view on the first sign that the user wants to play.
    void armPreparePlayer();
    void shutdown();
    void startUsagePing();

    ui::AppContext context_;
    std::function<void(int)> quit_;
    std::function<void()> usagePing_;
    UpdateOffer::Check versionCheck_;
    std::function<void(const std::string& pagePath)> preparePlayer_;
    std::unique_ptr<ui::MainWindow> main_;
    UpdateOffer* updateOffer_ = nullptr;
    bool shutDown_ = false;
    bool startedUp_ = false;
    // The usage ping's: the ping is cut off when the program goes.
    base::SerialWorker pingWorker_{"arlo-ping"};
};

// The directory of an executable path, without a trailing separator.
QString runDirectoryOf(const QString& executablePath);

}  // namespace arlo::app
