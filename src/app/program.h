#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/update_offer.h"
#include "ui/app_context.h"

namespace arlo::ui {
class MainWindow;
class Notices;
}  // namespace arlo::ui

// Start-up and shutdown of the program around its Main window.
namespace arlo::app {

// The page the Player window shows, next to the executable.
inline const QString kPlayerPageFileName = QStringLiteral("Arlo目录.htm");

struct ProgramOptions {
    // The executable's directory.
    QString runDirectory;
    // Where the Settings file lives; empty for the user's Documents folder.
    std::string documentsFolder;
    // Ends the process's event loop with an exit code.
    std::function<void(int)> quit;
    // Sends the usage ping; startUsagePing unless replaced.
    std::function<void()> usagePing;
    // The version check, run on a worker thread; online::checkForUpdate unless replaced.
    UpdateOffer::Check versionCheck = {};
    // Readies the Player's page view ahead of the first Play, a while after start-up has
    // finished; nothing when empty.
    std::function<void()> preparePlayer = {};
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
    void shutdown();

    ui::AppContext context_;
    std::function<void(int)> quit_;
    std::function<void()> usagePing_;
    UpdateOffer::Check versionCheck_;
    std::function<void()> preparePlayer_;
    std::unique_ptr<ui::MainWindow> main_;
    UpdateOffer* updateOffer_ = nullptr;
    bool shutDown_ = false;
    bool startedUp_ = false;
};

// The directory of an executable path, without a trailing separator.
QString runDirectoryOf(const QString& executablePath);

// Start-up hook run on a worker thread that is never waited for. The version check and then
// the usage ping start once the Main window has first painted and its movie page is set up:
// loading the network library would otherwise compete with that paint.
void startUsagePing();

}  // namespace arlo::app
