#include "app/program.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <utility>

#include "app/desktop_identity.h"
#include "app/update_offer.h"
#include "catalogue/catalogue.h"
#include "catalogue/settings_file.h"
#include "catalogue/watch_history.h"
#include "online/update_files.h"
#include "online/usage_ping.h"
#include "playback/player_page.h"
#include "ui/episode_list_controller.h"
#include "ui/episode_list_panel.h"
#include "ui/main_window.h"
#include "ui/post_result.h"
#include "ui/widgets/combo_box.h"

namespace arlo::app {

namespace {

// Runs a task once, right after the window's first paint has reached the screen.
class AfterFirstPaint final : public QObject {
public:
    AfterFirstPaint(QWidget& window, std::function<void()> task)
        : QObject(&window), task_(std::move(task)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                task_();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> task_;
};

}  // namespace

QString runDirectoryOf(const QString& executablePath) {
    const QFileInfo info(executablePath);
    return QDir::cleanPath(info.absolutePath());
}

Program::Program(ui::Notices& notices, ProgramOptions options)
    : quit_(options.quit ? std::move(options.quit)
                         : [](int code) { QCoreApplication::exit(code); }),
      usagePing_(options.usagePing ? std::move(options.usagePing) : [this] { startUsagePing(); }),
      versionCheck_(options.versionCheck ? std::move(options.versionCheck)
                                         : UpdateOffer::Check(online::checkForUpdate)),
      preparePlayer_(std::move(options.preparePlayer)) {
    context_.notices = &notices;
    context_.runDirectory = QDir::cleanPath(options.runDirectory);
    context_.documentsFolder = std::move(options.documentsFolder);
    main_ = std::make_unique<ui::MainWindow>(context_);
    connect(main_.get(), &ui::MainWindow::created, this, &Program::onMainWindowCreated);
    connect(main_.get(), &ui::MainWindow::closing, this, &Program::shutdown);
    updateOffer_ = new UpdateOffer(
        context_, *main_, [this] { shutdown(); }, this);
}

Program::~Program() {
    // The Player window may still be open when the event loop ended some other way.
    delete main_->playerWindow();
}

void Program::start() {
    main_->show();
}

void Program::onMainWindowCreated() {
    // What a self-update that could not finish left next to the executable, unless another
    // copy of the program is updating there right now. A failed deletion is ignored: the file
    // is simply tried again next time.
    online::removeStaleDownload(context_.runDirectory.toStdString());
    context_.playback.pagePath = playback::playerPagePath(context_.runDirectory.toStdString());
    // So are the Player pages' temporary files that a run ended while writing left behind.
    playback::removeStalePageTemporaries(context_.runDirectory.toStdString());

    // The three locks live in the context from its construction; the catalogue is built
    // on first use and is complete before any worker starts.
    catalogue::Catalogue::builtIn();

    main_->showStartState();

    main_->activateWindow();
    main_->setFocus(Qt::ActiveWindowFocusReason);

    // The first paint shows the list: its refresh starts now. What the first paint does not
    // show follows it, in its own order.
    main_->startEpisodeListRefresh();
    new AfterFirstPaint(*main_, [this] { finishStartUp(); });
}

void Program::finishStartUp() {
    setApplicationIcon();
    main_->episodeListController().loadHistory(catalogue::historyFilePath());
    // The movie page is hidden until 剧场版 is chosen (which builds it at once). Its set-up
    // pauses while serving events, so the window may be closed meanwhile.
    const QPointer<Program> alive(this);
    main_->setUpMoviePage();
    if (alive.isNull() || shutDown_) {
        return;
    }
    catalogue::Installation& installation = context_.installation;
    if (context_.documentsFolder.empty()) {
        catalogue::loadInstalledVersion(installation);
    } else {
        catalogue::loadInstalledVersion(installation, context_.documentsFolder);
    }
    updateOffer_->start(installation.installedVersion, versionCheck_);
    usagePing_();
    startedUp_ = true;
    emit startedUp();
    if (preparePlayer_) {
        armPreparePlayer();
    }
}

void Program::armPreparePlayer() {
    // A prepared engine holds a renderer with the compiled emulator, some 200 MiB: it is
    // prepared once the user shows a wish to play (an episode chosen, the movie page opened),
    // a moment before the Play, not for every run that never plays.
    const auto prepareOnce = [this] {
        QTimer::singleShot(0, this, [this] {
            // A Play in the same event as the choice has started the engine itself.
            if (preparePlayer_ && !shutDown_ && main_->playerWindow() == nullptr) {
                // Where the first Player page will go; the program's end deletes what the
                // preparation writes there.
                const std::string page = playback::nextPlayerPagePath(
                    playback::playerPageFolders(context_.runDirectory.toStdString()));
                if (!page.empty()) {
                    context_.playback.pagePath = page;
                }
                std::exchange(preparePlayer_, {})(context_.playback.pagePath);
            }
        });
    };
    connect(&main_->episodeListController(), &ui::EpisodeListController::episodeChosen, this,
            prepareOnce);
    connect(main_->episodeListPanel().controls().categoryChooser, &QComboBox::currentIndexChanged,
            this, prepareOnce);
}

void Program::startUsagePing() {
    // After the first paint and the movie page's set-up: loading the network library would
    // otherwise compete with them.
    pingWorker_.post([](const base::StopSignal& stop) {
        ui::cutOffWith(stop, [] { online::sendUsagePing(); });
    });
}

void Program::shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    updateOffer_->withdraw();
    delete main_->playerWindow();
    const QString page = QString::fromStdString(context_.playback.pagePath);
    if (!page.isEmpty() && QFileInfo::exists(page)) {
        QFile::remove(page);
    }
    quit_(0);
}

}  // namespace arlo::app
