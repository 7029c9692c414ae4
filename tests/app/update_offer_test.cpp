#include "app/update_offer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cstdlib>
#include <future>
#include <mutex>

#include "app/program.h"
#include "catalogue/settings_file.h"
#include "online/version_check.h"
#include "standin/services.h"
#include "standin/standin_environment.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/update_window.h"

using namespace arlo;

namespace {

ui::UpdateWindow* openUpdateWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<ui::UpdateWindow*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

}  // namespace

// The offer through the real program: its Main window, the real version check against the
// stand-in services on loopback, the real Settings file; only the notices are recorded.
class UpdateOfferTest : public QObject {
    Q_OBJECT

    std::unique_ptr<standin::StandinEnvironment> standin_;
    QTemporaryDir runDir_;
    QTemporaryDir documents_;
    ui::RecordingNotices notices_;
    std::vector<int> quitCodes_;
    std::unique_ptr<app::Program> program_;

    // Each check: the installed version it was given and whether the Main window had
    // painted by then.
    std::mutex checksMutex_;
    std::vector<std::pair<std::string, bool>> checks_;
    std::atomic<bool> painted_ = false;
    std::atomic<int> checksDone_ = 0;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted_ = true;
        }
        return false;
    }

    // The real check, watched.
    app::UpdateOffer::Check watchedCheck() {
        return [this](online::VersionState& state, const online::StopFlag* stop) {
            {
                const std::lock_guard lock(checksMutex_);
                checks_.emplace_back(state.current, painted_.load());
            }
            const bool offered = online::checkForUpdate(state, stop);
            ++checksDone_;
            return offered;
        };
    }

    void startProgram(app::UpdateOffer::Check check) {
        program_ = std::make_unique<app::Program>(
            notices_, app::ProgramOptions{runDir_.path(), documents_.path().toStdString(),
                                          [this](int code) { quitCodes_.push_back(code); }, [] {},
                                          std::move(check)});
        program_->mainWindow().installEventFilter(this);
        program_->start();
        QVERIFY(QTest::qWaitForWindowExposed(&program_->mainWindow()));
        // The check starts at the end of the start-up sequence, after the first paint.
        QTRY_VERIFY(program_->hasStartedUp());
    }

    void offer(std::string_view version) {
        standin::setReleaseOffer(standin_->server(), standin::releaseOfferFor(version));
    }

private slots:
    void init() {
        standin_ = std::make_unique<standin::StandinEnvironment>();
        QVERIFY(standin_->ok());
        QVERIFY(runDir_.isValid());
        QVERIFY(documents_.isValid());
        notices_.clear();
        quitCodes_.clear();
        checks_.clear();
        painted_ = false;
        checksDone_ = 0;
    }

    void cleanup() {
        program_.reset();
        standin_.reset();
        QFile::remove(
            QString::fromStdString(catalogue::settingsPathIn(documents_.path().toStdString())));
    }

    void theCheck_startsAfterTheFirstPaintWithTheVersionFromTheSettingsFile() {
        const std::string settings = catalogue::settingsPathIn(documents_.path().toStdString());
        QVERIFY(catalogue::writeProfileString(settings, catalogue::kVersionSection,
                                              catalogue::kVersionKey, "1.5"));
        startProgram(watchedCheck());
        QTRY_COMPARE(checksDone_.load(), 1);
        const std::lock_guard lock(checksMutex_);
        QCOMPARE(checks_, (std::vector<std::pair<std::string, bool>>{{"1.5", true}}));
    }

    void theSameVersion_asksNothing() {
        startProgram(watchedCheck());
        QTRY_COMPARE(checksDone_.load(), 1);
        QTest::qWait(100);
        QVERIFY(notices_.entries().empty());
        QVERIFY(program_->mainWindow().isVisible());
        QCOMPARE(standin_->server().requests().size(), std::size_t{1});
    }

    void aNewerRelease_cancelled_leavesTheMainWindowAsItWas() {
        offer("1.2");
        notices_.queueAnswer(false);
        startProgram(watchedCheck());
        QTRY_COMPARE(notices_.entries().size(), std::size_t{1});
        const auto asked = notices_.entries()[0];
        QCOMPARE(asked.kind, ui::RecordingNotices::Kind::Ask);
        QCOMPARE(asked.caption, QStringLiteral("更新提示："));
        QCOMPARE(asked.text, QStringLiteral("获取到新版本，是否更新？"));
        QCOMPARE(asked.buttons, ui::Notices::Question::OkCancel);
        QTest::qWait(100);
        QVERIFY(program_->mainWindow().isVisible());
        QCOMPARE(openUpdateWindow(), nullptr);
        QVERIFY(quitCodes_.empty());
        QCOMPARE(notices_.entries().size(), std::size_t{1});
    }

    void aNewerRelease_accepted_givesWayToTheUpdateWindowWhoseClosingEndsTheProgram() {
        offer("1.2");
        notices_.queueAnswer(true);
        startProgram(watchedCheck());
        QTRY_VERIFY(openUpdateWindow() != nullptr);
        ui::UpdateWindow* window = openUpdateWindow();
        QVERIFY(!program_->mainWindow().isVisible());
        QCOMPARE(window->parentWidget(), nullptr);
        QVERIFY(window->isModal());
        QCOMPARE(QApplication::activeModalWidget(), window);
        QCOMPARE(window->version().downloadAddress, standin::downloadAddressFor("1.2"));

        auto text = [window](const char* name) {
            return window->findChild<QLabel*>(QString::fromUtf8(name))->text();
        };
        QCOMPARE(text("标签4"), QStringLiteral("1.2版"));
        QCOMPARE(text("标签2"), QStringLiteral("当前版本：1.1   最新版本："));
        QCOMPARE(text("标签5"), QStringLiteral("1.2"));
        QCOMPARE(window->findChild<QPlainTextEdit*>(QStringLiteral("编辑框1"))->toPlainText(),
                 QStringLiteral("新增剧场版海报墙\n修复国语版切换片源后集数错乱的问题 & 其他细节"));

        // The stand-in has no file at that address: the update fails and the window stays.
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("按钮1")), Qt::LeftButton);
        QTRY_COMPARE(notices_.entries().size(), std::size_t{2});
        QCOMPARE(notices_.entries().back().text,
                 QStringLiteral("下载失败，请重试。可以试试手动下载"));
        QCOMPARE(text("标签2"), QStringLiteral("自动更新失败"));
        QVERIFY(window->isVisible());
        QVERIFY(quitCodes_.empty());

        // Closing asks first; Yes ends the program.
        window->close();
        QCOMPARE(quitCodes_, std::vector<int>{0});
        QCOMPARE(notices_.entries().size(), std::size_t{3});
        QCOMPARE(notices_.entries().back().text, QStringLiteral("是否退出更新？"));
    }

    void closingTheMainWindowWhileTheCheckRuns_showsNoBox() {
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        std::atomic<bool> sawStop = false;
        std::atomic<bool> finished = false;
        std::atomic<bool> began = false;
        startProgram([&](online::VersionState& state, const online::StopFlag* stop) {
            began = true;
            released.wait();
            sawStop = stop != nullptr && stop->load();
            state.latest = "1.2";
            state.downloadAddress = standin::downloadAddressFor("1.2");
            finished = true;
            return true;
        });
        QTRY_VERIFY(began.load());
        QVERIFY(program_->mainWindow().close());
        QCOMPARE(quitCodes_, std::vector<int>{0});
        release.set_value();
        QTRY_VERIFY(finished.load());
        QTest::qWait(100);
        QVERIFY(sawStop.load());
        QVERIFY(notices_.entries().empty());
        QCOMPARE(openUpdateWindow(), nullptr);
    }

    void shutdownWhileTheNoticeStalls_cutsTheCheckOff() {
        standin::ReleaseOffer stalled = standin::releaseOfferFor("1.2");
        stalled.noticeStalls = true;
        standin::setReleaseOffer(standin_->server(), stalled);
        startProgram(watchedCheck());
        QTRY_COMPARE(standin_->server().requests().size(), std::size_t{1});

        QVERIFY(program_->mainWindow().close());
        QCOMPARE(quitCodes_, std::vector<int>{0});
        QElapsedTimer gone;
        gone.start();
        program_.reset();
        // The check still waiting for the notice ends at once and is joined.
        QVERIFY(gone.elapsed() < 2000);
        QCOMPARE(checksDone_.load(), 1);
        QTest::qWait(50);
        QVERIFY(notices_.entries().empty());
    }
};

QTEST_MAIN(UpdateOfferTest)
#include "update_offer_test.moc"
