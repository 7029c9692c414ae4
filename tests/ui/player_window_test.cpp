#include <cstdlib>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "playback/view/plugin_hook.h"
#include "ui/player_window.h"

using arlo::ui::PlayerLayout;
using arlo::ui::PlayerWindow;

namespace {

// The controls as the window first lays them out, before any resize.
PlayerLayout initialLayout() {
    return {QRect(0, 0, 744, 377),    QRect(0, 408, 120, 100),  QRect(8, 368, 72, 32),
            QRect(96, 368, 72, 32),   QRect(200, 370, 376, 28), QRect(536, 432, 56, 24),
            QRect(592, 432, 100, 23), QRect(704, 432, 56, 24)};
}

// Waits for a load to succeed; loads cut short by a newer one do not count.
bool loadFinished(arlo::pageview::PageView& view) {
    bool loaded = false;
    view.setLoadFinishedHandler([&](bool ok) { loaded = loaded || ok; });
    const QDeadlineTimer deadline(30000);
    while (!loaded && !deadline.hasExpired()) {
        QTest::qWait(20);
    }
    view.setLoadFinishedHandler({});
    return loaded;
}

}  // namespace

Q_DECLARE_METATYPE(PlayerLayout)

class PlayerWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void resizeRule_data();
    void resizeRule();
    void windowOpensAtItsPlaceAndKeepsBarUnderPageAtAnySize();
    void windowCannotBeMadeSmallerOrLargerThanItsLimits();
    void buttonsAndUserChoicesReachTheBindings();
    void choosersHoldWhatThePlaybackLogicPutsInWithoutRunningHandlers();
    void closedDropDownHandsFocusToTheWindow();
    void stayOnTopKeepsPlaceAndSize();
    void showingPageHooksItUnlessItPlaysFromIqiyi();
    void keysMoveBetweenEpisodesAlsoFromThePage_data();
    void keysMoveBetweenEpisodesAlsoFromThePage();
    void fullScreenShowsThePageAloneAndComesBackToItsPlace();
    void pagesOwnFullScreenRequestTakesTheWindowInAndOut();

private:
    template <class T>
    T* control(const char* name) const {
        return window_->findChild<T*>(QString::fromUtf8(name));
    }
    QSize outerSize() const { return window_->frameGeometry().size(); }

    QPointer<PlayerWindow> window_;
};

void PlayerWindowTest::init() {
    window_ = new PlayerWindow();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void PlayerWindowTest::cleanup() {
    delete window_.data();
}

void PlayerWindowTest::resizeRule_data() {
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<PlayerLayout>("expected");
    // Worked out by hand from the rule, control by control.
    QTest::newRow("size at opening")
        << QSize(976, 646)
        << PlayerLayout{QRect(-2, -2, 980, 566),  QRect(-2, 564, 980, 15),  QRect(15, 565, 72, 32),
                        QRect(102, 565, 72, 32),  QRect(199, 567, 526, 28), QRect(728, 569, 56, 24),
                        QRect(787, 567, 100, 23), QRect(894, 571, 56, 24)};
    QTest::newRow("smallest size")
        << QSize(699, 391)
        << PlayerLayout{QRect(-2, -2, 703, 311),  QRect(-2, 309, 703, 15),  QRect(15, 310, 72, 32),
                        QRect(102, 310, 72, 32),  QRect(199, 312, 249, 28), QRect(451, 314, 56, 24),
                        QRect(510, 312, 100, 23), QRect(617, 316, 56, 24)};
}

void PlayerWindowTest::resizeRule() {
    QFETCH(QSize, outer);
    QFETCH(PlayerLayout, expected);
    const PlayerLayout actual =
        arlo::ui::layoutPlayerWindow(outer.width(), outer.height(), initialLayout());
    QCOMPARE(actual.browser, expected.browser);
    QCOMPARE(actual.bottomBar, expected.bottomBar);
    QCOMPARE(actual.previousButton, expected.previousButton);
    QCOMPARE(actual.nextButton, expected.nextButton);
    QCOMPARE(actual.episodeChooser, expected.episodeChooser);
    QCOMPARE(actual.switchLabel, expected.switchLabel);
    QCOMPARE(actual.sourceChooser, expected.sourceChooser);
    QCOMPARE(actual.stayOnTop, expected.stayOnTop);
    // Applying the rule again to its own result changes nothing.
    QVERIFY(arlo::ui::layoutPlayerWindow(outer.width(), outer.height(), actual) == actual);
}

void PlayerWindowTest::windowOpensAtItsPlaceAndKeepsBarUnderPageAtAnySize() {
    QCOMPARE(window_->frameGeometry().topLeft(), QPoint(50, 50));
    QCOMPARE(outerSize(), QSize(976, 646));
    QCOMPARE(window_->windowTitle(), QStringLiteral("mini播放器"));
    for (const QSize size : {QSize(976, 646), QSize(1280, 720), QSize(699, 391)}) {
        window_->resize(size - (outerSize() - window_->size()));
        QTRY_COMPARE(outerSize(), size);
        const PlayerLayout layout = window_->controlLayout();
        QCOMPARE(layout.browser, QRect(-2, -2, size.width() + 4, size.height() - 80));
        QCOMPARE(layout.bottomBar.top(), layout.browser.top() + layout.browser.height());
        QCOMPARE(layout.bottomBar.height(), 15);
        QCOMPARE(layout.episodeChooser.width(), size.width() - 450);
        // The controls sit in that order along the bar without overlapping.
        QVERIFY(layout.nextButton.left() > layout.previousButton.right());
        QVERIFY(layout.episodeChooser.left() > layout.nextButton.right());
        QVERIFY(layout.switchLabel.left() > layout.episodeChooser.right());
        QVERIFY(layout.sourceChooser.left() > layout.switchLabel.right());
        QVERIFY(layout.stayOnTop.left() > layout.sourceChooser.right());
        QCOMPARE(control<QWidget>("超文本浏览框1")->geometry(), layout.browser);
        QCOMPARE(control<QWidget>("组合框1")->geometry(), layout.episodeChooser);
    }
}

void PlayerWindowTest::windowCannotBeMadeSmallerOrLargerThanItsLimits() {
    window_->resize(500, 300);
    QTRY_COMPARE(outerSize(), QSize(699, 391));
    QCOMPARE(control<QWidget>("组合框1")->width(), 699 - 450);
    window_->resize(6000, 6000);
    QTRY_COMPARE(outerSize(), QSize(5000, 5000));
}

void PlayerWindowTest::buttonsAndUserChoicesReachTheBindings() {
    QSignalSpy previous(window_.data(), &PlayerWindow::previousClicked);
    QSignalSpy next(window_.data(), &PlayerWindow::nextClicked);
    QSignalSpy episode(window_.data(), &PlayerWindow::episodeSelectionChanged);
    QSignalSpy source(window_.data(), &PlayerWindow::sourceSelectionChanged);

    QTest::mouseClick(control<QPushButton>("超级按钮1"), Qt::LeftButton);
    QCOMPARE(previous.count(), 1);
    QCOMPARE(next.count(), 0);
    QTest::mouseClick(control<QPushButton>("超级按钮2"), Qt::LeftButton);
    QCOMPARE(next.count(), 1);

    auto* episodes = control<QComboBox>("组合框1");
    episodes->addItems({QStringLiteral("第1集  甲"), QStringLiteral("第2集  乙")});
    episodes->setCurrentIndex(0);  // the program's own selection runs no handler
    QCOMPARE(episode.count(), 0);
    QTest::keyClick(episodes, Qt::Key_Down);  // the user's does
    QCOMPARE(episode.count(), 1);
    QCOMPARE(episode.at(0).at(0).toInt(), 1);

    auto* sources = control<QComboBox>("组合框2");
    QCOMPARE(sources->count(), 3);
    sources->setCurrentIndex(0);
    QTest::keyClick(sources, Qt::Key_Down);
    QCOMPARE(source.count(), 1);
    QCOMPARE(source.at(0).at(0).toInt(), 1);
    QCOMPARE(sources->currentText(), QStringLiteral("乐视"));

    // The source label and the two site buttons the window carries stay hidden and inert.
    for (const char* name : {"超级按钮3", "超级按钮4", "标签6"}) {
        QVERIFY2(!control<QWidget>(name)->isVisible(), name);
    }
    QVERIFY(!control<QWidget>("超级按钮3")->isEnabled());
}

void PlayerWindowTest::choosersHoldWhatThePlaybackLogicPutsInWithoutRunningHandlers() {
    QSignalSpy episode(window_.data(), &PlayerWindow::episodeSelectionChanged);
    QSignalSpy source(window_.data(), &PlayerWindow::sourceSelectionChanged);
    QSignalSpy activated(window_.data(), &PlayerWindow::activated);

    window_->setSources({"乐视"});
    window_->selectSource(0);
    QCOMPARE(control<QComboBox>("组合框2")->count(), 1);
    QCOMPARE(control<QComboBox>("组合框2")->currentText(), QStringLiteral("乐视"));

    window_->setEpisodes({{"第1集  甲", 1}, {"第2集  乙", 2}, {"第3集  丙", 3}});
    window_->selectEpisode(2);
    QCOMPARE(window_->episodeCount(), 3);
    QCOMPARE(window_->selectedEpisodeIndex(), 2);
    QCOMPARE(window_->episodeAt(1).text, std::string("第2集  乙"));
    QCOMPARE(window_->episodeAt(1).number, 2);
    QCOMPARE(window_->episodeAt(3).number, 0);
    QCOMPARE(window_->episodeAt(-1).text, std::string());
    window_->setEpisodes({});
    QCOMPARE(window_->selectedEpisodeIndex(), -1);
    QCOMPARE(episode.count(), 0);
    QCOMPARE(source.count(), 0);

    // Brought back from another window and from being minimised, the window becomes active
    // and reports it.
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    window_->showMinimized();
    activated.clear();
    window_->restoreAndActivate();
    QVERIFY(!window_->isMinimized());
    QTRY_VERIFY(window_->isActiveWindow());
    QVERIFY(activated.count() >= 1);
}

void PlayerWindowTest::closedDropDownHandsFocusToTheWindow() {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    for (const char* name : {"组合框1", "组合框2"}) {
        auto* chooser = control<QComboBox>(name);
        chooser->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), chooser);
        chooser->showPopup();
        chooser->hidePopup();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window_.data()));
    }
}

void PlayerWindowTest::stayOnTopKeepsPlaceAndSize() {
    window_->move(120, 90);
    QTRY_COMPARE(window_->frameGeometry().topLeft(), QPoint(120, 90));
    const QRect before = window_->frameGeometry();
    auto* box = control<QCheckBox>("选择框1");
    QCOMPARE(box->text(), QStringLiteral("置顶"));

    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->isChecked());
    QVERIFY(window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTRY_VERIFY(window_->isVisible());
    QTRY_COMPARE(window_->frameGeometry(), before);

    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTRY_VERIFY(window_->isVisible());
    QTRY_COMPARE(window_->frameGeometry(), before);
}

void PlayerWindowTest::showingPageHooksItUnlessItPlaysFromIqiyi() {
    QTimer* timer = window_->hookTimer();
    QCOMPARE(timer->objectName(), QStringLiteral("时钟1"));
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 0);

    QTemporaryDir dir;
    const std::string page = arlo::playback::playerPagePath(dir.path().toStdString());
    arlo::playback::writePlayerPage(page, arlo::playback::PageTemplate::Iqiyi, "ab12&tvId=34");

    // iQiyi on a stopped timer: it stays stopped.
    window_->showPlayerPage(page, "爱奇艺");
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 0);

    // Any other source arms it; an iQiyi page shown while it still runs leaves it as it was.
    window_->showPlayerPage(page, "搜狐");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 100);
    window_->showPlayerPage(page, "爱奇艺");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 100);

    if (!window_->pageView().hasEngine()) {
        QSKIP(qPrintable(QStringLiteral("no page view engine, so nothing to hook: ") +
                         arlo::pageview::engineLoadError()));
    }
    QVERIFY(loadFinished(window_->pageView()));
    const auto& hook = window_->hooks().pluginHook();
    QTRY_VERIFY_WITH_TIMEOUT(hook.installed(), 10000);
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 0);

    // The next page takes the hook away before it loads and, from iQiyi, puts none back.
    window_->showPlayerPage(page, "爱奇艺");
    QVERIFY(!hook.installed());
    QVERIFY(loadFinished(window_->pageView()));
    // Only the timer's tick installs a hook, and only a page from another source arms the
    // timer: stopped now, it puts none back later.
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 0);
    QVERIFY(!hook.installed());
}

void PlayerWindowTest::keysMoveBetweenEpisodesAlsoFromThePage_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<int>("step");  // -1 previous, 1 next, 0 neither
    QTest::newRow("Alt+Left") << QKeySequence(Qt::ALT | Qt::Key_Left) << -1;
    QTest::newRow("PageUp") << QKeySequence(Qt::Key_PageUp) << -1;
    QTest::newRow("Alt+Right") << QKeySequence(Qt::ALT | Qt::Key_Right) << 1;
    QTest::newRow("PageDown") << QKeySequence(Qt::Key_PageDown) << 1;
    QTest::newRow("Right alone is the page's") << QKeySequence(Qt::Key_Right) << 0;
}

void PlayerWindowTest::keysMoveBetweenEpisodesAlsoFromThePage() {
    QFETCH(QKeySequence, keys);
    QFETCH(int, step);
    QWidget* page = window_->pageView().widget();
    if (window_->pageView().hasEngine()) {  // the engine makes the input widget for a page
        QTemporaryDir dir;
        const std::string path = arlo::playback::playerPagePath(dir.path().toStdString());
        arlo::playback::writePlayerPage(path, arlo::playback::PageTemplate::Iqiyi, "ab12");
        window_->showPlayerPage(path, "爱奇艺");
        QVERIFY(loadFinished(window_->pageView()));
        QTRY_VERIFY(page->focusProxy() != nullptr);
    }
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    QSignalSpy previous(window_.data(), &PlayerWindow::previousClicked);
    QSignalSpy next(window_.data(), &PlayerWindow::nextClicked);
    QWidget* input = page->focusProxy() != nullptr ? page->focusProxy() : page;
    input->setFocus();
    QTest::keySequence(input, keys);
    QCOMPARE(next.count() - previous.count(), step);
    QCOMPARE(next.count() + previous.count(), std::abs(step));
}

void PlayerWindowTest::fullScreenShowsThePageAloneAndComesBackToItsPlace() {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    const QRect place = window_->geometry();
    const PlayerLayout layout = window_->controlLayout();
    QWidget* bar = control<QWidget>("外形框1");
    QWidget* chooser = control<QWidget>("组合框1");
    int loads = 0;
    window_->pageView().setLoadFinishedHandler([&loads](bool) { ++loads; });
    // In by F11 or a double-click on the bar; out by Esc or F11.
    for (const auto& [byKey, out] : {std::pair{true, Qt::Key_Escape}, {false, Qt::Key_F11}}) {
        byKey ? QTest::keyClick(window_, Qt::Key_F11) : QTest::mouseDClick(bar, Qt::LeftButton);
        QTRY_VERIFY(window_->isFullScreen());
        QTRY_COMPARE(window_->pageView().widget()->geometry(), window_->rect());
        QVERIFY(!bar->isVisible() && !chooser->isVisible());
        QTest::keyClick(window_, out);
        QTRY_VERIFY(!window_->isFullScreen());
        QTRY_COMPARE(window_->geometry(), place);
        QTRY_VERIFY(window_->controlLayout() == layout);
        QVERIFY(bar->isVisible() && chooser->isVisible());
    }
    // Outside full screen Esc neither closes the window nor changes it.
    QTest::keyClick(window_, Qt::Key_Escape);
    QVERIFY(window_->isVisible() && !window_->isFullScreen());
    QCOMPARE(loads, 0);
    window_->pageView().setLoadFinishedHandler({});
}

void PlayerWindowTest::pagesOwnFullScreenRequestTakesTheWindowInAndOut() {
    if (!window_->pageView().hasEngine()) {
        QSKIP("no page view engine, so no page to ask");
    }
    // A player that asks for full screen on a click, as on a click on its button.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("player.htm")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<html><body style='height:100vh;margin:0' onclick='this.requestFullscreen()'>");
    file.close();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    window_->pageView().load(file.fileName());
    QVERIFY(loadFinished(window_->pageView()));
    const QRect place = window_->geometry();
    int loads = 0;
    window_->pageView().setLoadFinishedHandler([&loads](bool) { ++loads; });
    QWidget* page = window_->pageView().widget();
    QTRY_VERIFY(page->focusProxy() != nullptr);
    QTest::mouseClick(page->focusProxy(), Qt::LeftButton, {}, page->rect().center());
    QTRY_VERIFY(window_->isFullScreen());
    QTRY_COMPARE(page->geometry(), window_->rect());
    window_->pageView().runJavaScript(QStringLiteral("document.exitFullscreen()"), {});
    QTRY_VERIFY(!window_->isFullScreen());
    QTRY_COMPARE(window_->geometry(), place);
    QVERIFY(control<QWidget>("外形框1")->isVisible());
    QCOMPARE(loads, 0);
    window_->pageView().setLoadFinishedHandler({});
}

QTEST_MAIN(PlayerWindowTest)
#include "player_window_test.moc"
