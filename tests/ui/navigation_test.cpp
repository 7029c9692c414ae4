#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include "catalogue/catalogue.h"
#include "main_window_fixture.h"
#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "ui/app_context.h"
#include "ui/episode_list_controller.h"
#include "ui/episode_list_view.h"
#include "ui/main_menu.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/player_window.h"
#include "ui/poster_page.h"
#include "ui/trailer_window.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

using namespace arlo;
using namespace arlo::ui;
using catalogue::List;
using playback::PageTemplate;

namespace {

const catalogue::Catalogue& cat() {
    return catalogue::Catalogue::builtIn();
}

QString value(List list, int n) {
    return QString::fromStdString(cat().value(list, n));
}

// A user's choice in a chooser: the selection moves and the choice is reported.
void choose(QComboBox* chooser, int index) {
    chooser->setCurrentIndex(index);
    emit chooser->activated(index);
}

void clickRow(EpisodeListView* list, int row) {
    const QModelIndex index = list->model()->index(row, kColumnTitle);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

QStringList itemsOf(const QComboBox* chooser) {
    QStringList items;
    for (int i = 0; i < chooser->count(); ++i) {
        items << chooser->itemText(i);
    }
    return items;
}

// What the episode panel shows: texts, cover, slider, and which controls are seen.
QStringList lookOf(const EpisodePanel::Controls& c) {
    QStringList look{c.episodeHeading->text(),
                     c.episodeTitle->text(),
                     c.previewTime->text(),
                     c.previewStatus->text(),
                     textColour(c.previewStatus).name(),
                     c.cover->backgroundSource(),
                     QString::number(c.previewSlider->value())};
    for (const QWidget* w : std::initializer_list<const QWidget*>{
             c.seriesLogo, c.previewSlider, c.previewFrame, c.previewPicture, c.previewPointer}) {
        look << w->objectName() + QString::number(w->isVisibleTo(w->window())) +
                    QString::number(w->isEnabled());
    }
    return look;
}

}  // namespace

class NavigationTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstMandarinPlaybackOpensOnSohuAndThePlayerDrivesIt();
    void reactivatingThePlayerChangesNothing();
    void moviePlaysFromThePosterGridOnLeTVOnly();
    void playWithoutAFittingRowIsRefused();
    void languageChangeClearsTheChoiceAndThePlayerKeepsItsOwnList();
    void languageChangeShowsNoEpisodeChosenAsAtStartUp_data();
    void languageChangeShowsNoEpisodeChosenAsAtStartUp();
    void playAfterAClickBelowTheRowsIsRefused();
    void trailerOpensItsOwnModalWindow();
    void keysPlayFromTheListAndFindTheSearchBox();

private:
    QByteArray page() const;
    QByteArray expectedPage(PageTemplate which, const QString& id) const;
    PlayerWindow* player() const { return qobject_cast<PlayerWindow*>(window_->playerWindow()); }
    void playMandarinEpisode(int n);
    // Whether the notices so far are `count` refusals to play without a chosen episode.
    bool refusedTimes(std::size_t count) const;

    testing::MainWindowFixture fixture_;
    RecordingNotices* notices_ = &fixture_.notices;
    AppContext* context_ = &fixture_.context;
    MainWindow* window_ = nullptr;
    const EpisodeListPanel::Controls* list_ = nullptr;
    const EpisodePanel::Controls* episode_ = nullptr;
    QStackedWidget* pages_ = nullptr;
};

void NavigationTest::init() {
    fixture_.open();
    window_ = fixture_.window.get();
    list_ = &fixture_.listControls();
    episode_ = &fixture_.episodeControls();
    pages_ = fixture_.pages();
    list_->searchIcon->setFocus();
    fixture_.fillEpisodeList();
}

void NavigationTest::cleanup() {
    fixture_.close();
}

void NavigationTest::keysPlayFromTheListAndFindTheSearchBox() {
    choose(list_->languageChooser, 1);
    // Enter plays the row the keyboard is on, as a click and the play button do.
    list_->episodeList->setFocus();
    list_->episodeList->setCurrentRow(3);
    QTest::keyClick(list_->episodeList, Qt::Key_Down);
    QTest::keyClick(list_->episodeList, Qt::Key_Return);
    QVERIFY(player() != nullptr);
    QTRY_COMPARE(player()->windowTitle(),
                 QStringLiteral("正在播放：  第5集  ") + value(List::MandarinTitles, 5));
    // Ctrl+F from elsewhere in the window: the caret in the search box, its text selected.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    list_->searchBox->setFocus();
    QTest::keyClicks(list_->searchBox, QStringLiteral("12"));
    list_->searchIcon->setFocus();
    QTest::keyClick(list_->searchIcon, Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(list_->searchBox->hasFocus());
    QCOMPARE(list_->searchBox->selectedText(), QStringLiteral("12"));
}

QByteArray NavigationTest::page() const {
    QFile file(QString::fromStdString(context_->playback.pagePath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray NavigationTest::expectedPage(PageTemplate which, const QString& id) const {
    return QByteArray::fromStdString(playback::buildPlayerPage(which, id.toStdString()));
}

void NavigationTest::playMandarinEpisode(int n) {
    choose(list_->languageChooser, 1);
    QCOMPARE(list_->episodeList->episodes().rowCount(), cat().count(List::MandarinTitles));
    clickRow(list_->episodeList, n - 1);
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QVERIFY(player() != nullptr);
    QTRY_COMPARE(player()->windowTitle(),
                 QStringLiteral("正在播放：  第%1集  ").arg(n) + value(List::MandarinTitles, n));
}

void NavigationTest::firstMandarinPlaybackOpensOnSohuAndThePlayerDrivesIt() {
    // The language chooser resets the search and swaps the list and its count.
    list_->searchBox->setFocus();
    QTest::keyClicks(list_->searchBox, QStringLiteral("12"));
    choose(list_->languageChooser, 1);
    QCOMPARE(list_->searchBox->text(), QStringLiteral("查找"));
    QCOMPARE(list_->episodeCount->text(), QString::number(cat().count(List::MandarinTitles)));
    QVERIFY(list_->resultList->isHidden());
    QCOMPARE(list_->episodeList->episodes().cell(0, kColumnLeTVId),
             value(List::MandarinLeTVIds, 1));

    playMandarinEpisode(5);
    PlayerWindow* p = player();
    QVERIFY(p->parentWidget() == nullptr);
    QCOMPARE(
        itemsOf(p->sourceChooser()),
        (QStringList{QStringLiteral("搜狐"), QStringLiteral("乐视"), QStringLiteral("爱奇艺")}));
    QCOMPARE(p->sourceChooser()->currentIndex(), 0);
    QCOMPARE(page(), expectedPage(PageTemplate::SohuVid, value(List::MandarinSohuIds, 5)));
    QCOMPARE(p->episodeChooser()->count(), cat().count(List::MandarinTitles));
    QCOMPARE(p->episodeChooser()->currentIndex(), 4);

    // The Player window's own controls: next, then the source chooser.
    QTest::mouseClick(p->findChild<QWidget*>(QStringLiteral("超级按钮2")), Qt::LeftButton);
    QCOMPARE(p->episodeChooser()->currentIndex(), 5);
    QCOMPARE(page(), expectedPage(PageTemplate::SohuVid, value(List::MandarinSohuIds, 6)));
    choose(p->sourceChooser(), 1);
    QCOMPARE(page(), expectedPage(PageTemplate::LeTV, value(List::MandarinLeTVIds, 6)));
    QTest::mouseClick(p->findChild<QWidget*>(QStringLiteral("超级按钮1")), Qt::LeftButton);
    QCOMPARE(p->episodeChooser()->currentIndex(), 4);
    QCOMPARE(page(), expectedPage(PageTemplate::LeTV, value(List::MandarinLeTVIds, 5)));
    QVERIFY(p->windowTitle().startsWith(QStringLiteral("正在播放：  第5集  ")));
    choose(p->episodeChooser(), 0);
    QCOMPARE(page(), expectedPage(PageTemplate::LeTV, value(List::MandarinLeTVIds, 1)));
    // Every playback start went into the watch history, the last one last.
    const catalogue::ListHistory& played = window_->episodeListController().history().of("国语");
    QCOMPARE(played.last, 0);
    QVERIFY(played.wasPlayed(4) && played.wasPlayed(5) && !played.wasPlayed(1));
    QTest::mouseClick(p->findChild<QWidget*>(QStringLiteral("超级按钮1")), Qt::LeftButton);
    QCOMPARE(notices_->entries().size(), 1u);
    QCOMPARE(notices_->entries()[0].text, QStringLiteral("已经是第一集了哦！"));
}

void NavigationTest::reactivatingThePlayerChangesNothing() {
    playMandarinEpisode(3);
    PlayerWindow* p = player();
    const QString caption = p->windowTitle();
    // Mark the page: a rewrite would replace the mark.
    {
        QFile file(QString::fromStdString(context_->playback.pagePath));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("mark");
    }
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    // The activation's handler has run once the window reports it.
    QSignalSpy activated(p, &PlayerWindow::activated);
    p->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p));
    QTRY_VERIFY(!activated.isEmpty());
    QCOMPARE(page(), QByteArray("mark"));
    QCOMPARE(p->windowTitle(), caption);

    // Play again from the Main window: the same window is reused and this time it plays.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    clickRow(list_->episodeList, 9);
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QCOMPARE(player(), p);
    QTRY_COMPARE(page(), expectedPage(PageTemplate::SohuVid, value(List::MandarinSohuIds, 10)));
}

void NavigationTest::moviePlaysFromThePosterGridOnLeTVOnly() {
    choose(list_->categoryChooser, 1);
    QVERIFY(!list_->languageChooser->isEnabled());
    QCOMPARE(pages_->currentIndex(), 1);
    QCOMPARE(list_->episodeCount->text(), QStringLiteral("18"));

    context_->windows.hoveredMovie = 3;
    emit window_->posterPage().playRequested();
    QVERIFY(player() != nullptr);
    PlayerWindow* p = player();
    QTRY_COMPARE(p->windowTitle(),
                 QStringLiteral("正在播放：  第3集  ") + value(List::MovieTitles, 3));
    QCOMPARE(itemsOf(p->sourceChooser()), QStringList{QStringLiteral("乐视")});
    QCOMPARE(page(), expectedPage(PageTemplate::LeTV, value(List::MovieLeTVIds, 3)));
    QCOMPARE(p->episodeChooser()->count(), 18);
    QCOMPARE(p->episodeChooser()->itemText(0),
             QStringLiteral("第1集  ") + value(List::MovieTitles, 1));
    QCOMPARE(p->episodeChooser()->itemText(17),
             QStringLiteral("第18集  ") + value(List::MovieTitles, 18));
    QCOMPARE(p->episodeChooser()->currentIndex(), 2);

    // Back to the TV list: the page, the chooser and the count come back.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    // A control that holds the mouse lets go of it.
    list_->searchIcon->grabMouse();
    context_->windows.mouseCaptured = true;
    choose(list_->categoryChooser, 0);
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    QVERIFY(!context_->windows.mouseCaptured);
    QCOMPARE(pages_->currentIndex(), 0);
    QVERIFY(list_->languageChooser->isEnabled());
    QCOMPARE(list_->episodeCount->text(), QString::number(cat().count(List::JapaneseTitles)));
    QCOMPARE(list_->episodeList->episodes().rowCount(), cat().count(List::JapaneseTitles));
}

void NavigationTest::playWithoutAFittingRowIsRefused() {
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QVERIFY(player() == nullptr);
    // A Japanese-dubbed row carries one id; Mandarin-dubbed playback needs three.
    clickRow(list_->episodeList, 2);
    choose(list_->languageChooser, 1);
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QVERIFY(player() == nullptr);
    const auto notices = notices_->entries();
    QCOMPARE(notices.size(), 2u);
    for (const auto& notice : notices) {
        QCOMPARE(notice.caption, QStringLiteral("提示："));
        QCOMPARE(notice.text, QStringLiteral("请先选择一集再观看哦"));
    }
    // Choosing a Mandarin-dubbed row makes it playable.
    clickRow(list_->episodeList, 2);
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QVERIFY(player() != nullptr);
    QTRY_COMPARE(page(), expectedPage(PageTemplate::SohuVid, value(List::MandarinSohuIds, 3)));
}

bool NavigationTest::refusedTimes(std::size_t count) const {
    const auto notices = notices_->entries();
    return notices.size() == count && std::all_of(notices.begin(), notices.end(), [](auto& n) {
               return n.caption == QStringLiteral("提示：") &&
                      n.text == QStringLiteral("请先选择一集再观看哦");
           });
}

void NavigationTest::languageChangeClearsTheChoiceAndThePlayerKeepsItsOwnList() {
    playMandarinEpisode(5);
    PlayerWindow* p = player();
    const QByteArray playing = page();
    QCOMPARE(playing, expectedPage(PageTemplate::SohuVid, value(List::MandarinSohuIds, 5)));

    // Back to the Japanese list: the Mandarin row is no choice there.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    choose(list_->languageChooser, 0);
    QCOMPARE(list_->episodeList->episodes().rowCount(), cat().count(List::JapaneseTitles));
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QVERIFY(refusedTimes(1));
    QCOMPARE(page(), playing);
    QCOMPARE(p->windowTitle(),
             QStringLiteral("正在播放：  第5集  ") + value(List::MandarinTitles, 5));

    // The Player window steps and switches through its own Mandarin episodes.
    QTest::mouseClick(p->findChild<QWidget*>(QStringLiteral("超级按钮1")), Qt::LeftButton);
    QCOMPARE(p->episodeChooser()->count(), cat().count(List::MandarinTitles));
    QCOMPARE(p->episodeChooser()->currentIndex(), 3);
    QCOMPARE(page(), expectedPage(PageTemplate::SohuVid, value(List::MandarinSohuIds, 4)));
    choose(p->sourceChooser(), 2);
    QCOMPARE(page(), expectedPage(PageTemplate::Iqiyi, value(List::MandarinIqiyiIds, 4)));
    QTest::mouseClick(p->findChild<QWidget*>(QStringLiteral("超级按钮2")), Qt::LeftButton);
    QCOMPARE(page(), expectedPage(PageTemplate::Iqiyi, value(List::MandarinIqiyiIds, 5)));
    choose(p->episodeChooser(), 8);
    QCOMPARE(page(), expectedPage(PageTemplate::Iqiyi, value(List::MandarinIqiyiIds, 9)));

    // Mandarin again: still nothing chosen in the list now shown.
    choose(list_->languageChooser, 1);
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QVERIFY(refusedTimes(2));

    // A Japanese row plays, and the Player window takes the Japanese list over.
    choose(list_->languageChooser, 0);
    clickRow(list_->episodeList, 6);
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QCOMPARE(player(), p);
    QTRY_COMPARE(page(), expectedPage(PageTemplate::SohuId, value(List::JapaneseSohuIds, 7)));
    QCOMPARE(itemsOf(p->sourceChooser()), QStringList{QStringLiteral("搜狐")});
    QCOMPARE(p->episodeChooser()->count(), cat().count(List::JapaneseTitles));
    QVERIFY(refusedTimes(2));
}

void NavigationTest::languageChangeShowsNoEpisodeChosenAsAtStartUp_data() {
    QTest::addColumn<int>("from");
    QTest::newRow("Japanese to Mandarin") << 0;
    QTest::newRow("Mandarin to Japanese") << 1;
}

void NavigationTest::languageChangeShowsNoEpisodeChosenAsAtStartUp() {
    QFETCH(int, from);
    window_->showStartState();
    const QStringList atStartUp = lookOf(*episode_);
    choose(list_->languageChooser, from);
    clickRow(list_->episodeList, 2);
    QVERIFY(lookOf(*episode_) != atStartUp);
    choose(list_->languageChooser, 1 - from);
    QCOMPARE(lookOf(*episode_), atStartUp);
    // The series logo lies over the panel again, and Play agrees: nothing is chosen.
    QCOMPARE(window_->episodePanel().childAt(episode_->seriesLogo->geometry().center()),
             episode_->seriesLogo);
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QVERIFY(player() == nullptr && refusedTimes(1));
}

void NavigationTest::playAfterAClickBelowTheRowsIsRefused() {
    clickRow(list_->episodeList, 3);
    list_->searchBox->setFocus();
    QTest::keyClicks(list_->searchBox, QStringLiteral("742"));
    QTRY_COMPARE(list_->resultList->episodes().rowCount(), 1);
    QTest::mouseClick(list_->resultList->viewport(), Qt::LeftButton, {}, QPoint(40, 250));
    QCOMPARE(list_->resultList->currentRow(), -1);
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QVERIFY(player() == nullptr);
    QVERIFY(page().isEmpty());
    QVERIFY(refusedTimes(1));

    // The one result is a choice again.
    clickRow(list_->resultList, 0);
    QTest::mouseClick(episode_->playButton, Qt::LeftButton);
    QVERIFY(player() != nullptr);
    QTRY_COMPARE(page(), expectedPage(PageTemplate::SohuId, value(List::JapaneseSohuIds, 742)));
}

void NavigationTest::trailerOpensItsOwnModalWindow() {
    const playback::PlaybackSession before = context_->playback;
    window_->menu().trailerItem()->trigger();
    auto* trailer = qobject_cast<TrailerWindow*>(QApplication::activeModalWidget());
    QVERIFY(trailer != nullptr);
    QCOMPARE(trailer->windowModality(), Qt::ApplicationModal);
    QCOMPARE(page(),
             expectedPage(PageTemplate::SohuId, QString::fromStdString(cat().trailerPlayId())));
    QCOMPARE(context_->playback.ids, before.ids);
    QCOMPARE(context_->playback.playId, before.playId);
    QCOMPARE(context_->playback.source, before.source);
    trailer->close();
}

QTEST_MAIN(NavigationTest)
#include "navigation_test.moc"
