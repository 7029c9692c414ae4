#include "app/program.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <thread>

#include "app/desktop_identity.h"
#include "app/update_offer.h"
#include "catalogue/catalogue.h"
#include "catalogue/settings_file.h"
#include "online/update_files.h"
#include "online/usage_ping.h"
#include "playback/player_page.h"
#include "ui/main_window.h"

namespace arlo::app {

namespace {

constexpr int kPreparePlayerDelayMs = 1500;

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

void startUsagePing() {
    std::thread([] { online::sendUsagePing(); }).detach();
}

Program::Program(ui::Notices& notices, ProgramOptions options)
    : quit_(options.quit ? std::move(options.quit)
                         : [](int code) { QCoreApplication::exit(code); }),
      usagePing_(options.usagePing ? std::move(options.usagePing) : startUsagePing),
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
    catalogue::PlaybackState& state = context_.state;
    const QString runDirectory = context_.runDirectory + QLatin1Char('/');

    // What a self-update that could not finish left next to the executable, unless another
    // copy of the program is updating there right now. A failed deletion is ignored: the file
    // is simply tried again next time.
    online::removeStaleDownload(context_.runDirectory.toStdString());
    state.playerPagePath = (runDirectory + kPlayerPageFileName).toStdString();
    // So are the Player pages' temporary files that a run ended while writing left behind.
    playback::removeStalePageTemporaries(context_.runDirectory.toStdString());

    // The three locks live in the context from its construction; the catalogue is built
    // on first use and is complete before any worker starts.
    catalogue::Catalogue::builtIn();

    state.category = std::string(catalogue::kCategoryTv);
    state.language = std::string(catalogue::kLanguageJapanese);
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
    // The movie page is hidden until 剧场版 is chosen (which builds it at once). Its set-up
    // pauses while serving events, so the window may be closed meanwhile.
    const QPointer<Program> alive(this);
    main_->setUpMoviePage();
    if (alive.isNull() || shutDown_) {
        return;
    }
    catalogue::PlaybackState& state = context_.state;
    if (context_.documentsFolder.empty()) {
        catalogue::loadInstalledVersion(state);
    } else {
        catalogue::loadInstalledVersion(state, context_.documentsFolder);
    }
    updateOffer_->start(state.installedVersion, versionCheck_);
    usagePing_();
    startedUp_ = true;
    emit startedUp();
    if (preparePlayer_) {
        // Once the version check's first work and the window's own have passed.
        QTimer::singleShot(kPreparePlayerDelayMs, this, [this] {
            if (!shutDown_) {
                preparePlayer_();
            }
        });
    }
}

void Program::shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    updateOffer_->withdraw();
    delete main_->playerWindow();
    const QString page = QString::fromStdString(context_.state.playerPagePath);
    if (!page.isEmpty() && QFileInfo::exists(page)) {
        QFile::remove(page);
    }
    quit_(0);
}

}  // namespace arlo::app
