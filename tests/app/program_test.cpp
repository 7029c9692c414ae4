#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QOpenGLContext>
#include <QPointer>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "app/program.h"
#include "catalogue/catalogue.h"
#include "catalogue/settings_file.h"
#include "standin/server.h"
#include "ui/episode_list_panel.h"
#include "ui/episode_list_view.h"
#include "ui/main_window.h"
#include "ui/navigation_adapter.h"
#include "ui/notices.h"
#include "ui/poster_grid.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

using namespace arlo;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList listing(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace

class ProgramTest : public QObject {
    Q_OBJECT

    QTemporaryDir runDir_;
    QTemporaryDir documents_;
    ui::RecordingNotices notices_;
    std::vector<int> quitCodes_;
    // Each usage ping: whether the Main window had painted and the start-up sequence had run.
    std::vector<bool> pings_;
    int preparations_ = 0;
    std::string preparedFor_;  // the Player page's path the player was prepared for
    bool painted_ = false;
    // The start-up's steps as they were seen, each with what had happened before it.
    std::vector<QString> steps_;
    // Version checks run (on their workers, which may outlive the program) and whether each
    // was handed the version read from the Settings file. Each start gets its own: a worker
    // of an earlier test's program may still be running and must not count in this one.
    struct Checks {
        std::atomic<int> count = 0;
        std::atomic<bool> hadTheSettings = false;
    };
    std::shared_ptr<Checks> checks_ = std::make_shared<Checks>();
    std::unique_ptr<app::Program> program_;

    ui::PosterGrid& grid() { return *program_->mainWindow().posterGrid(); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            steps_.push_back(QStringLiteral("painted, %1 posters%2")
                                 .arg(grid().cellCount())
                                 .arg(QGuiApplication::windowIcon().isNull()
                                          ? QString()
                                          : QStringLiteral(", icon")));
        }
        painted_ = painted_ || event->type() == QEvent::Paint;
        return false;
    }

    // Waits for the whole start-up sequence unless told not to; the window is shown either
    // way, and is on screen when it was waited for.
    void startProgram(bool waitForStartUp = true) {
        painted_ = false;
        steps_.clear();
        checks_ = std::make_shared<Checks>();
        program_ = std::make_unique<app::Program>(
            notices_,
            app::ProgramOptions{
                runDir_.path(), documents_.path().toStdString(),
                [this](int code) { quitCodes_.push_back(code); },
                [this] {
                    const bool settingsRead =
                        !program_->context().installation.settingsPath.empty();
                    pings_.push_back(painted_ && settingsRead);
                    steps_.push_back(settingsRead ? QStringLiteral("usage ping, settings read")
                                                  : QStringLiteral("usage ping"));
                },
                // No update is offered here: the offer has tests of its own.
                [checks = checks_](online::VersionState& version, const online::StopFlag*) {
                    checks->hadTheSettings = version.current == "1.1";
                    ++checks->count;
                    return false;
                },
                [this](const std::string& pagePath) {
                    preparedFor_ = pagePath;
                    ++preparations_;
                }});
        connect(&grid(), &ui::PosterGrid::setUpFinished, this, [this] {
            QString step = QStringLiteral("movie page set up");
            if (!program_->context().installation.settingsPath.empty()) {
                step += QStringLiteral(", settings read");
            }
            if (checks_->count > 0) {
                step += QStringLiteral(", version checked");
            }
            steps_.push_back(step);
        });
        program_->mainWindow().installEventFilter(this);
        program_->start();
        if (waitForStartUp) {
            QVERIFY(QTest::qWaitForWindowExposed(&program_->mainWindow()));
            QTRY_VERIFY(program_->hasStartedUp());
        }
    }

    // Runs `act` from inside the movie page's set-up, once it has built its first cell and
    // is pausing before the next; returns how many cells there were.
    int duringTheMoviePageSetUp(const std::function<void()>& act) {
        int seen = -1;
        QTimer poll;
        poll.setInterval(0);
        connect(&poll, &QTimer::timeout, this, [&] {
            const int cells = grid().cellCount();
            if (cells >= 1 && seen < 0) {
                seen = cells;
                poll.stop();
                act();
            }
        });
        poll.start();
        startProgram(false);
        [&] { QTRY_VERIFY(seen >= 0); }();
        return seen;
    }

    // Every poster cell built exactly once, in its place, with its picture.
    void verifyTheFullGrid() {
        const ui::PosterGrid& g = grid();
        QVERIFY(g.isSetUp());
        QCOMPARE(g.cellCount(), 18);
        const QWidget* container = g.cell(1)->parentWidget();
        QCOMPARE(container->findChildren<ui::FramePanel*>(Qt::FindDirectChildrenOnly).size(),
                 qsizetype{18 + 1});  // and the template
        for (int k = 1; k <= 18; ++k) {
            QCOMPARE(g.cell(k)->geometry(),
                     QRect(k % 2 == 1 ? 16 : 196, 16 + 288 * ((k - 1) / 2), 164, 272));
            QCOMPARE(g.poster(k)->property("tag").toString(), QString::number(k));
            QCOMPARE(g.poster(k)->picture().size(), QSize(162, 230));
            QCOMPARE(g.title(k)->text(),
                     QString::fromStdString(
                         catalogue::Catalogue::builtIn().value(catalogue::List::MovieTitles, k)));
        }
        QCOMPARE(container->height(), 2608);
    }

    template <class T = QWidget>
    T* control(const QString& name) {
        T* found = program_->mainWindow().findChild<T*>(name);
        if (found == nullptr) {
            qFatal("no control %s", qPrintable(name));
        }
        return found;
    }

private slots:
    void init() {
        QGuiApplication::setWindowIcon(QIcon());
        QVERIFY(runDir_.isValid());
        QVERIFY(documents_.isValid());
        quitCodes_.clear();
        pings_.clear();
        preparations_ = 0;
    }

    void cleanup() {
        program_.reset();
        for (const QString& name : listing(runDir_.path())) {
            QFile::remove(runDir_.filePath(name));
        }
    }

    void startUp_showsTheJapaneseTvListState() {
        startProgram();
        const auto& state = program_->context().playback;
        const auto& installation = program_->context().installation;
        const playback::ChosenEpisode chosen = program_->mainWindow().navigation().chosenEpisode();
        QCOMPARE(control<QComboBox>(QStringLiteral("组合框1"))->currentText(),
                 QStringLiteral("TV版"));
        QCOMPARE(control<QComboBox>(QStringLiteral("组合框2"))->currentText(),
                 QStringLiteral("日语"));
        QCOMPARE(chosen.category, std::string("TV版"));
        QCOMPARE(chosen.language, std::string("日语"));
        QVERIFY(state.source.empty());
        QCOMPARE(state.episode, 0);
        const int japanese = catalogue::Catalogue::builtIn().count(catalogue::List::JapaneseTitles);
        QVERIFY(japanese > 0);
        QCOMPARE(control<QLabel>(QStringLiteral("标签11"))->text(), QString::number(japanese));
        QCOMPARE(program_->mainWindow().playerWindow(), nullptr);
        // Nor was the browser engine's OpenGL set-up made on the way to the first paint.
        QCOMPARE(QOpenGLContext::globalShareContext(), nullptr);
        QCOMPARE(state.pagePath, (runDir_.path() + QStringLiteral("/Arlo目录.htm")).toStdString());
        QCOMPARE(control<QStackedWidget>(QStringLiteral("高级选择夹1"))->currentIndex(), 0);

        // The preview picture now lives inside its frame.
        QCOMPARE(control(QStringLiteral("画板3"))->parentWidget(),
                 control(QStringLiteral("图片框4")));
        QCOMPARE(control<ui::DrawingPanel>(QStringLiteral("画板2"))->backgroundSource(),
                 ui::picturePath(QStringLiteral("logo.png")));
        QCOMPARE(control<ui::DrawingPanel>(QStringLiteral("画板1"))->backgroundSource(),
                 ui::picturePath(QStringLiteral("default_preview.jpg")));

        // The installed version was read and repaired in the Settings file.
        QCOMPARE(installation.installedVersion, std::string("1.1"));
        QCOMPARE(installation.settingsPath,
                 catalogue::settingsPathIn(documents_.path().toStdString()));
        QVERIFY(QFile::exists(QString::fromStdString(installation.settingsPath)));
        QVERIFY(quitCodes_.empty());
    }

    // The first paint comes before anything it does not show: the hidden movie page is set
    // up after it, then the Settings file is read, then the version check and the usage ping
    // start.
    void startUp_paintsFirst_thenSetsUpTheMoviePage_thenReadsSettings_thenStartsTheWorkers() {
        startProgram();
        QCOMPARE(steps_, (std::vector<QString>{QStringLiteral("painted, 0 posters"),
                                               QStringLiteral("movie page set up"),
                                               QStringLiteral("usage ping, settings read")}));
        QTRY_COMPARE(checks_->count.load(), 1);
        QVERIFY(checks_->hadTheSettings.load());
        verifyTheFullGrid();
        // The task bar's icon came after the paint too.
        QVERIFY(program_->mainWindow().windowIcon().availableSizes().contains(QSize(256, 256)));
        // The page is still hidden, and the keyboard stayed where start-up put it.
        QCOMPARE(control<QStackedWidget>(QStringLiteral("高级选择夹1"))->currentIndex(), 0);
        QVERIFY(!control(QStringLiteral("多功能条1"))->hasFocus());
    }

    void choosingMoviesRightAfterStartUp_showsTheFullGridAtOnce() {
        startProgram(false);
        program_->mainWindow().chooseCategory(1);
        verifyTheFullGrid();
        QCOMPARE(control<QStackedWidget>(QStringLiteral("高级选择夹1"))->currentIndex(), 1);

        // The rest of the start-up still runs, without building the grid again.
        QTRY_VERIFY(program_->hasStartedUp());
        verifyTheFullGrid();
        QCOMPARE(pings_, std::vector<bool>{true});
        QTRY_COMPARE(checks_->count.load(), 1);
    }

    void choosingMoviesWhileTheirPageIsBeingSetUp_finishesItAtOnce() {
        int cellsAfter = -1;
        const int cellsBefore = duringTheMoviePageSetUp([&] {
            program_->mainWindow().chooseCategory(1);
            cellsAfter = grid().cellCount();
        });
        QVERIFY2(cellsBefore >= 1 && cellsBefore < 18, qPrintable(QString::number(cellsBefore)));
        QCOMPARE(cellsAfter, 18);
        QTRY_VERIFY(program_->hasStartedUp());
        verifyTheFullGrid();
        QCOMPARE(steps_.front(), QStringLiteral("painted, 0 posters"));
        QCOMPARE(steps_.back(), QStringLiteral("usage ping, settings read"));
        QTRY_COMPARE(checks_->count.load(), 1);
    }

    // The set-up serves events while it pauses: a close then ends the program, and nothing
    // that start-up would have started afterwards starts.
    void closingMain_whileTheMoviePageIsBeingSetUp_startsNoWorkers() {
        duringTheMoviePageSetUp([&] { QVERIFY(program_->mainWindow().close()); });
        QTest::qWait(100);
        QCOMPARE(quitCodes_, std::vector<int>{0});
        QVERIFY(pings_.empty());
        QCOMPARE(checks_->count.load(), 0);
        QVERIFY(!program_->hasStartedUp());
    }

    // Not at idle: the first sign of a wish to play prepares the player, once.
    void thePlayerIsPreparedOnTheFirstChoiceOnly() {
        startProgram();
        QTest::qWait(100);
        QCOMPARE(preparations_, 0);
        program_->mainWindow().chooseCategory(1);
        QTRY_COMPARE(preparations_, 1);
        QCOMPARE(preparedFor_, program_->context().playback.pagePath);
        program_->mainWindow().chooseCategory(0);
        program_->mainWindow().chooseCategory(1);
        QTest::qWait(50);
        QCOMPARE(preparations_, 1);
    }

    void startUp_sendsOneUsagePingOnceTheMainWindowHasPainted() {
        startProgram();
        QTRY_COMPARE(pings_, std::vector<bool>{true});
        QTest::qWait(50);
        program_->mainWindow().update();
        QTest::qWait(50);
        QCOMPARE(pings_, std::vector<bool>{true});
    }

    void startUp_removesAStaleUpdateFileAndNothingElse() {
        writeFile(runDir_.filePath(QStringLiteral("Arlo迷.exe.tmp")), "half an executable");
        writeFile(runDir_.filePath(QStringLiteral("Arlo迷")), "the executable");
        writeFile(runDir_.filePath(QStringLiteral("Arlo迷.tmp")), "not ours");
        writeFile(runDir_.filePath(QStringLiteral("update.bat")), "script");
        startProgram();
        QCOMPARE(listing(runDir_.path()),
                 (QStringList{QStringLiteral("Arlo迷"), QStringLiteral("Arlo迷.tmp"),
                              QStringLiteral("update.bat")}));
        QCOMPARE(readFile(runDir_.filePath(QStringLiteral("Arlo迷"))),
                 QByteArray("the executable"));
    }

    void startUp_withoutStaleFile_touchesNothing() {
        writeFile(runDir_.filePath(QStringLiteral("Arlo迷")), "the executable");
        const QStringList before = listing(runDir_.path());
        const QDateTime modified =
            QFileInfo(runDir_.filePath(QStringLiteral("Arlo迷"))).lastModified();
        startProgram();
        QCOMPARE(listing(runDir_.path()), before);
        QCOMPARE(QFileInfo(runDir_.filePath(QStringLiteral("Arlo迷"))).lastModified(), modified);
    }

    void closingMain_withThePlayerOpen_closesBothAndRemovesThePage() {
        startProgram();
        QPointer<QWidget> player = new QWidget;
        player->setWindowTitle(QStringLiteral("mini播放器"));
        player->show();
        program_->mainWindow().setPlayerWindow(player);
        const QString page = QString::fromStdString(program_->context().playback.pagePath);
        writeFile(page, "<html></html>");
        writeFile(runDir_.filePath(QStringLiteral("keep.txt")), "keep");

        QVERIFY(program_->mainWindow().close());
        QVERIFY(player.isNull());
        QVERIFY(!program_->mainWindow().isVisible());
        QVERIFY(!QFile::exists(page));
        QVERIFY(QFile::exists(runDir_.filePath(QStringLiteral("keep.txt"))));
        QCOMPARE(quitCodes_, std::vector<int>{0});
    }

    void closingMain_withoutPlayerOrPage_endsWithCodeZero() {
        startProgram();
        QVERIFY(program_->mainWindow().close());
        QCOMPARE(quitCodes_, std::vector<int>{0});
        QVERIFY(listing(runDir_.path()).isEmpty());
    }

    void closingMain_afterThePlayerClosedItself_stillEnds() {
        startProgram();
        QPointer<QWidget> player = new QWidget;
        player->setAttribute(Qt::WA_DeleteOnClose);
        player->show();
        program_->mainWindow().setPlayerWindow(player);
        player->close();
        QTRY_VERIFY(player.isNull());
        QCOMPARE(program_->mainWindow().playerWindow(), nullptr);
        QVERIFY(program_->mainWindow().close());
        QCOMPARE(quitCodes_, std::vector<int>{0});
    }

    // Covers and previews are fetched from a network that answers nothing: closing the window
    // must still end the program at once, not after the fetches' stall limits of 30 s each.
    void closingMain_whilePreviewFetchesStall_endsPromptly() {
        standin::Server silent;
        silent.route("", "*", [](const standin::Request&) {
            standin::Response r;
            r.silent = true;
            r.hangAfterSending = true;
            return r;
        });
        QVERIFY(silent.start());
        const QByteArray previousMap = qgetenv("ARLO_HOST_MAP");
        const bool hadMap = qEnvironmentVariableIsSet("ARLO_HOST_MAP");
        qputenv("ARLO_HOST_MAP", "*=127.0.0.1:" + QByteArray::number(silent.port()));
        qunsetenv("ARLO_NET_STALL_SECONDS");

        startProgram();
        auto* language = control<QComboBox>(QStringLiteral("组合框2"));
        language->setCurrentIndex(1);
        emit language->activated(1);
        auto* list = control<ui::EpisodeListView>(QStringLiteral("超级列表框1"));
        QTRY_VERIFY(list->episodes().rowCount() > 3);
        emit program_->mainWindow().episodeListPanel().episodeListClicked(2);
        // The cover and the show page are both waiting for an answer.
        QVERIFY(silent.waitForRequests(2, std::chrono::milliseconds(10000)));

        const auto closing = std::chrono::steady_clock::now();
        QVERIFY(program_->mainWindow().close());
        program_.reset();
        const auto took = std::chrono::steady_clock::now() - closing;
        if (hadMap) {
            qputenv("ARLO_HOST_MAP", previousMap);
        } else {
            qunsetenv("ARLO_HOST_MAP");
        }
        QCOMPARE(quitCodes_, std::vector<int>{0});
        // A generous bound: it only tells an ended program from one waiting out stall limits.
        QVERIFY2(
            took < std::chrono::seconds(5),
            qPrintable(
                QStringLiteral("closing took %1 ms")
                    .arg(std::chrono::duration_cast<std::chrono::milliseconds>(took).count())));
        // Nothing was written by the loads on their way out.
        QVERIFY(listing(runDir_.path()).isEmpty());
    }

    void runDirectoryIsTheExecutablesFolderWithoutSeparator() {
        QCOMPARE(app::runDirectoryOf(QStringLiteral("/opt/arlo/Arlo迷")),
                 QStringLiteral("/opt/arlo"));
        QCOMPARE(app::runDirectoryOf(QStringLiteral("/opt//arlo/./bin/../Arlo迷")),
                 QStringLiteral("/opt/arlo"));
        QCOMPARE(app::runDirectoryOf(QStringLiteral("/Arlo迷")), QStringLiteral("/"));
    }
};

QTEST_MAIN(ProgramTest)
#include "program_test.moc"
