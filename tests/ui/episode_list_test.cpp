#include <QApplication>
#include <QFontMetrics>
#include <QProgressBar>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "catalogue/catalogue.h"
#include "catalogue/episode_rows.h"
#include "catalogue/watch_history.h"
#include "main_window_fixture.h"
#include "support/catalogue_of.h"
#include "text/gbk.h"
#include "ui/app_context.h"
#include "ui/episode_list_controller.h"
#include "ui/episode_list_view.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

using namespace arlo;
using namespace arlo::ui;

namespace {

const catalogue::Catalogue& cat() {
    return catalogue::Catalogue::builtIn();
}

// The numbers of the rows whose number followed by title contains `query`, worked out from
// the catalogue itself rather than from the rows the window built.
QStringList expectedNumbers(const QString& query, bool mandarin) {
    const auto titles =
        mandarin ? catalogue::List::MandarinTitles : catalogue::List::JapaneseTitles;
    QStringList numbers;
    for (int n = 1; n <= cat().count(titles); ++n) {
        const QString key = QString::number(n) + QString::fromStdString(cat().value(titles, n));
        if (key.contains(query)) {
            numbers << QString::number(n);
        }
    }
    return numbers;
}

QStringList shownNumbers(const EpisodeListView* list) {
    QStringList numbers;
    for (int row = 0; row < list->episodes().rowCount(); ++row) {
        numbers << list->episodes().cell(row, kColumnNumber);
    }
    return numbers;
}

// Key presses for ASCII; other characters arrive whole, as an input method commits them.
void typeInto(QLineEdit* box, const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(box, static_cast<char>(ch.unicode()));
        } else {
            box->insert(QString(ch));
        }
    }
}

void clickRow(EpisodeListView* list, int row) {
    const QModelIndex index = list->model()->index(row, kColumnTitle);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

// What the episode panel shows after a choice.
struct Panel {
    QString heading;
    QString title;
    std::vector<std::string> ids;
    QString cover;
    QString status;
    bool operator==(const Panel&) const = default;
};

}  // namespace

class EpisodeListTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void placeholderComesAndGoesWithTheFocus();
    void searchListsNumbersAndTitlesInListOrder();
    void matchSpansTheNumberAndTheTitle();
    void nothingFoundShowsTheArtworkAndTypingOnSearchesAgain();
    void emptyingTheBoxShowsTheFullList();
    void clickBelowTheLastRowChoosesNothing();
    void longTitlesWrapFrom31GbkBytes();
    void choosingAResultEqualsChoosingTheEpisodeInTheFullList();
    void mandarinChoiceAsksForItsPreviews();
    void burstOfKeystrokesEndsWithTheFinalTextsResults();
    void aLongSeriesFromTheContextIsListedSearchedAndChosen();
    void cellsLookAsTheStylesOwnDelegatePaintsThem();
    void watchHistoryMarksPlayedEpisodesAndOpensAtTheLastOne();

private:
    void focusSearchBox();
    void leaveSearchBox();
    void type(const QString& text);
    void waitForResults(const QString& query);
    Panel panel() const;
    void switchToMandarin();

    testing::MainWindowFixture fixture_;
    AppContext* context_ = &fixture_.context;
    MainWindow* window_ = nullptr;
    const EpisodeListPanel::Controls* list_ = nullptr;
    const EpisodePanel::Controls* episode_ = nullptr;
    QStackedWidget* pages_ = nullptr;
};

void EpisodeListTest::init() {
    fixture_.open();
    window_ = fixture_.window.get();
    list_ = &fixture_.listControls();
    episode_ = &fixture_.episodeControls();
    pages_ = fixture_.pages();
    // The program parks the focus away from the search box at start-up.
    leaveSearchBox();
    fixture_.fillEpisodeList();
}

void EpisodeListTest::cleanup() {
    fixture_.close();
}

void EpisodeListTest::focusSearchBox() {
    list_->searchBox->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(list_->searchBox->hasFocus());
}

void EpisodeListTest::leaveSearchBox() {
    list_->searchIcon->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(!list_->searchBox->hasFocus());
}

void EpisodeListTest::type(const QString& text) {
    focusSearchBox();
    typeInto(list_->searchBox, text);
}

void EpisodeListTest::waitForResults(const QString& query) {
    const QStringList expected =
        expectedNumbers(query, list_->languageChooser->currentIndex() == 1);
    const QString caption = QStringLiteral("搜索到 %1 个结果").arg(expected.size());
    QTRY_COMPARE(list_->resultCount->text(), caption);
    QTRY_COMPARE(shownNumbers(list_->resultList), expected);
}

Panel EpisodeListTest::panel() const {
    return {episode_->episodeHeading->text(), episode_->episodeTitle->text(),
            window_->episodeListController().chosenEpisode().ids,
            episode_->cover->backgroundSource(), episode_->previewStatus->text()};
}

void EpisodeListTest::switchToMandarin() {
    // What the language chooser does to the list, without its other duties.
    list_->languageChooser->setCurrentIndex(1);
    window_->episodeListController().clearEpisodeList();
    window_->episodeListController().refreshNow();
    QCOMPARE(list_->episodeList->episodes().rowCount(),
             cat().count(catalogue::List::MandarinTitles));
}

void EpisodeListTest::placeholderComesAndGoesWithTheFocus() {
    QCOMPARE(list_->searchBox->text(), QStringLiteral("查找"));
    QCOMPARE(textColour(list_->searchBox), QColor(0xC0, 0xC0, 0xC0));

    focusSearchBox();
    QCOMPARE(list_->searchBox->text(), QString());
    QCOMPARE(textColour(list_->searchBox), QColor(0x00, 0x88, 0xFF));
    leaveSearchBox();
    QCOMPARE(list_->searchBox->text(), QStringLiteral("查找"));
    QCOMPARE(textColour(list_->searchBox), QColor(0xC0, 0xC0, 0xC0));
    // The placeholder itself never searched.
    QVERIFY(list_->resultList->isHidden());
    QVERIFY(list_->resultCount->isHidden());

    type(QStringLiteral("12"));
    leaveSearchBox();
    QCOMPARE(list_->searchBox->text(), QStringLiteral("12"));
    QCOMPARE(textColour(list_->searchBox), QColor(0x00, 0x88, 0xFF));
    focusSearchBox();
    QCOMPARE(list_->searchBox->text(), QStringLiteral("12"));  // typed text stays on focus

    // Typed by the user, "查找" is a search like any other.
    list_->searchBox->clear();
    typeInto(list_->searchBox, QStringLiteral("查找"));
    waitForResults(QStringLiteral("查找"));
}

void EpisodeListTest::searchListsNumbersAndTitlesInListOrder() {
    type(QStringLiteral("12"));
    waitForResults(QStringLiteral("12"));
    const QStringList numbers = shownNumbers(list_->resultList);
    // Both kinds of match are there: by number and by title only.
    QVERIFY(numbers.contains(QStringLiteral("12")));
    QVERIFY(std::any_of(numbers.begin(), numbers.end(),
                        [](const QString& n) { return !n.contains(QStringLiteral("12")); }));
    QVERIFY(list_->resultList->isVisible());
    QVERIFY(list_->resultCount->isVisible());
    QVERIFY(list_->nothingFound->isHidden());
    // Each result carries the whole row, ids included.
    const EpisodeListModel& results = list_->resultList->episodes();
    const int n = results.cell(0, kColumnNumber).toInt();
    QCOMPARE(results.cell(0, kColumnTitle),
             QString::fromStdString(cat().value(catalogue::List::JapaneseTitles, n)));
    QCOMPARE(results.cell(0, kColumnSohuId),
             QString::fromStdString(cat().value(catalogue::List::JapaneseSohuIds, n)));
    // The full list keeps its rows behind the results.
    QCOMPARE(list_->episodeList->episodes().rowCount(),
             cat().count(catalogue::List::JapaneseTitles));
}

void EpisodeListTest::matchSpansTheNumberAndTheTitle() {
    const int n = 7;
    const QString title = QString::fromStdString(cat().value(catalogue::List::JapaneseTitles, n));
    const QString query = QString::number(n) + title.left(1);
    type(query);
    waitForResults(query);
    QVERIFY(shownNumbers(list_->resultList).contains(QString::number(n)));
}

void EpisodeListTest::nothingFoundShowsTheArtworkAndTypingOnSearchesAgain() {
    type(QStringLiteral("9"));
    waitForResults(QStringLiteral("9"));
    QTest::keyClicks(list_->searchBox, QStringLiteral("Qz"));
    QCOMPARE(expectedNumbers(QStringLiteral("9Qz"), false), QStringList());
    QTRY_COMPARE(list_->resultCount->text(), QStringLiteral("搜索到 0 个结果"));
    QTRY_VERIFY(list_->nothingFound->isVisible());
    QVERIFY(list_->resultList->isHidden());
    QVERIFY(list_->resultCount->isVisible());

    QTest::keyClick(list_->searchBox, Qt::Key_Backspace);
    QTest::keyClick(list_->searchBox, Qt::Key_Backspace);
    QTest::keyClicks(list_->searchBox, QStringLiteral("1"));
    waitForResults(QStringLiteral("91"));
    QVERIFY(list_->resultList->isVisible());
    QVERIFY(list_->nothingFound->isHidden());
}

void EpisodeListTest::emptyingTheBoxShowsTheFullList() {
    type(QStringLiteral("4Qz"));
    QTRY_VERIFY(list_->nothingFound->isVisible());
    list_->searchBox->selectAll();
    QTest::keyClick(list_->searchBox, Qt::Key_Delete);
    QCOMPARE(list_->searchBox->text(), QString());
    QVERIFY(list_->nothingFound->isHidden());
    QVERIFY(list_->resultCount->isHidden());
    QVERIFY(list_->resultList->isHidden());
    QVERIFY(list_->episodeList->isVisible());
    // A search still on its way must not bring the results back over the full list.
    window_->episodeListController().settleRefreshes();
    QVERIFY(list_->resultList->isHidden());
    QVERIFY(list_->nothingFound->isHidden());
    QCOMPARE(list_->episodeList->episodes().rowCount(),
             cat().count(catalogue::List::JapaneseTitles));
}

void EpisodeListTest::clickBelowTheLastRowChoosesNothing() {
    clickRow(list_->episodeList, 3);
    QVERIFY(episode_->seriesLogo->isHidden());
    QCOMPARE(window_->episodeListController().chosenEpisode().ids.size(), 1u);
    QVERIFY(!window_->episodeListController().chosenEpisode().ids[0].empty());

    type(QStringLiteral("742"));
    waitForResults(QStringLiteral("742"));
    QCOMPARE(list_->resultList->episodes().rowCount(), 1);
    QTest::mouseClick(list_->resultList->viewport(), Qt::LeftButton, {}, QPoint(40, 250));
    QCOMPARE(list_->resultList->currentRow(), -1);
    QCOMPARE(episode_->episodeHeading->text(), QStringLiteral("雾港侦探阿洛  第集"));
    QCOMPARE(episode_->episodeTitle->text(), QString());
    QCOMPARE(window_->episodeListController().chosenEpisode().ids, std::vector<std::string>{""});
}

void EpisodeListTest::longTitlesWrapFrom31GbkBytes() {
    // Two CJK characters are four GBK bytes, a Latin letter one.
    const QString thirty = QStringLiteral("雾港的钟楼与失踪的怀表之谜第一");
    const QString thirtyOne = thirty + QStringLiteral("a");
    QCOMPARE(text::gbkByteLength(thirty.toStdString()), 30);
    QCOMPARE(text::gbkByteLength(thirtyOne.toStdString()), 31);
    // Lives as long as the list that shows it.
    static const auto listed = arlo::test_support::catalogueOf(
        {{catalogue::List::JapaneseTitles, {thirty.toStdString(), thirtyOne.toStdString()}}});
    list_->episodeList->setRows(std::make_shared<const catalogue::EpisodeRows>(*listed, false));

    clickRow(list_->episodeList, 1);
    QCOMPARE(episode_->episodeTitle->text(), thirtyOne);
    QVERIFY(episode_->episodeTitle->wordWrap());
    clickRow(list_->episodeList, 0);
    QCOMPARE(episode_->episodeTitle->text(), thirty);
    QVERIFY(!episode_->episodeTitle->wordWrap());
}

void EpisodeListTest::choosingAResultEqualsChoosingTheEpisodeInTheFullList() {
    // Move the slider away from its reset state, as a preview would have.
    episode_->previewSlider->setEnabled(true);
    episode_->previewSlider->setValue(500);
    episode_->previewTime->setText(QStringLiteral("00:12:34"));

    type(QStringLiteral("35"));
    waitForResults(QStringLiteral("35"));
    const int resultRow = 1;
    const int number = list_->resultList->episodes().cell(resultRow, kColumnNumber).toInt();
    clickRow(list_->resultList, resultRow);
    const Panel fromResults = panel();
    QCOMPARE(episode_->previewSlider->value(), 1);
    QCOMPARE(episode_->previewSlider->maximum(), 1000);
    QVERIFY(!episode_->previewSlider->isEnabled());
    QCOMPARE(episode_->previewTime->text(), QStringLiteral("00:00:00"));
    QCOMPARE(fromResults.status, QStringLiteral("暂无预览"));
    QCOMPARE(fromResults.cover, picturePath(QStringLiteral("no_preview.jpg")));
    QCOMPARE(fromResults.ids,
             std::vector<std::string>{cat().value(catalogue::List::JapaneseSohuIds, number)});

    clickRow(list_->episodeList, 0);
    QVERIFY(!(panel() == fromResults));
    list_->searchBox->clear();
    QTRY_VERIFY(list_->resultList->isHidden());
    clickRow(list_->episodeList, number - 1);
    QCOMPARE(panel().heading, fromResults.heading);
    QCOMPARE(panel().title, fromResults.title);
    QVERIFY(panel() == fromResults);
}

void EpisodeListTest::mandarinChoiceAsksForItsPreviews() {
    switchToMandarin();
    QSignalSpy wanted(&window_->episodeListController(), &EpisodeListController::previewWanted);
    type(QStringLiteral("20"));
    waitForResults(QStringLiteral("20"));
    clickRow(list_->resultList, 0);
    const int n = list_->resultList->episodes().cell(0, kColumnNumber).toInt();
    using catalogue::List;
    QCOMPARE(window_->episodeListController().chosenEpisode().ids,
             (std::vector<std::string>{cat().value(List::MandarinSohuIds, n),
                                       cat().value(List::MandarinLeTVIds, n),
                                       cat().value(List::MandarinIqiyiIds, n)}));
    QCOMPARE(wanted.count(), 1);
    QCOMPARE(wanted[0][0].toString(),
             QString::fromStdString(cat().value(List::MandarinThumbnailUrls, n)));
    QCOMPARE(wanted[0][1].toString(),
             QString::fromStdString(cat().value(List::MandarinPreviewCodes, n)));
    QVERIFY(episode_->previewStatus->text() != QStringLiteral("暂无预览"));
}

void EpisodeListTest::burstOfKeystrokesEndsWithTheFinalTextsResults() {
    // Fifty changes sent straight to the box, none of them waiting for a refresh to show.
    focusSearchBox();
    QString text;
    for (int key = 0; key < 50; ++key) {
        if (text.size() == 3 || (key % 5 == 4 && !text.isEmpty())) {
            QTest::keyClick(list_->searchBox, Qt::Key_Backspace);
            text.chop(1);
        } else {
            const char digit = static_cast<char>('1' + key % 9);
            QTest::keyClick(list_->searchBox, digit);
            text += QLatin1Char(digit);
        }
    }
    QCOMPARE(list_->searchBox->text(), text);
    if (text.isEmpty()) {
        QTest::keyClick(list_->searchBox, '3');
        text = QStringLiteral("3");
    }
    waitForResults(text);
    // Nothing older arrives afterwards.
    window_->episodeListController().settleRefreshes();
    QCOMPARE(shownNumbers(list_->resultList), expectedNumbers(text, false));
}

void EpisodeListTest::aLongSeriesFromTheContextIsListedSearchedAndChosen() {
    // A catalogue of 20,000 episodes handed to the window instead of the built-in one.
    using catalogue::List;
    std::map<List, std::vector<std::string>> lists;
    for (int n = 1; n <= 20000; ++n) {
        const std::string number = std::to_string(n);
        lists[List::JapaneseTitles].push_back("第" + number + "号仓库的怀表");
        lists[List::JapaneseSohuIds].push_back("J" + number);
        lists[List::MandarinTitles].push_back(n % 2 ? "钟楼" : "旧灯塔-码头");
        for (const List ids : {List::MandarinSohuIds, List::MandarinLeTVIds, List::MandarinIqiyiIds,
                               List::MandarinThumbnailUrls, List::MandarinPreviewCodes}) {
            lists[ids].push_back(std::string(catalogue::listName(ids)) + number);
        }
    }
    const auto series = arlo::test_support::catalogueOf(lists);
    // The windows go before the catalogue they show, however the test ends.
    const auto restore = qScopeGuard([this] {
        fixture_.close();
        context_->shownCatalogue = nullptr;
    });
    fixture_.close();
    context_->shownCatalogue = series.get();
    fixture_.open();
    window_ = fixture_.window.get();
    list_ = &fixture_.listControls();
    episode_ = &fixture_.episodeControls();
    window_->showStartState();
    QCOMPARE(list_->episodeCount->text(), QStringLiteral("20000"));
    window_->startEpisodeListRefresh();
    QTRY_COMPARE(list_->episodeList->episodes().rowCount(), 20000);
    QCOMPARE(list_->episodeList->episodes().cell(19999, kColumnTitle),
             QStringLiteral("第20000号仓库的怀表"));

    // "9号" ends the number in a title; a row's own number never runs into "号".
    type(QStringLiteral("9号"));
    QTRY_COMPARE(list_->resultCount->text(), QStringLiteral("搜索到 2000 个结果"));
    const EpisodeListModel& results = list_->resultList->episodes();
    QCOMPARE(results.rowCount(), 2000);
    for (int row = 0; row < results.rowCount(); row += 111) {
        const int n = results.cell(row, kColumnNumber).toInt();
        QCOMPARE(n % 10, 9);
        QCOMPARE(results.cell(row, kColumnTitle), QStringLiteral("第%1号仓库的怀表").arg(n));
        QCOMPARE(results.cell(row, kColumnSohuId), QStringLiteral("J%1").arg(n));
    }
    clickRow(list_->resultList, 1999);
    QCOMPARE(episode_->episodeHeading->text(), QStringLiteral("雾港侦探阿洛  第19999集"));
    QCOMPARE(window_->episodeListController().chosenEpisode().ids,
             std::vector<std::string>{"J19999"});

    // The Mandarin list of the same catalogue, chosen as the language chooser does.
    list_->searchBox->clear();
    list_->languageChooser->setCurrentIndex(1);
    window_->episodeListController().clearEpisodeList();
    window_->episodeListController().refreshNow();
    QCOMPARE(list_->episodeList->episodes().rowCount(), 20000);
    QCOMPARE(list_->episodeList->episodes().cell(1, kColumnTitle), QStringLiteral("码头"));
    type(QStringLiteral("13钟"));
    QTRY_COMPARE(list_->resultCount->text(), QStringLiteral("搜索到 200 个结果"));
    QCOMPARE(list_->resultList->episodes().cell(199, kColumnNumber), QStringLiteral("19913"));
    QSignalSpy wanted(&window_->episodeListController(), &EpisodeListController::previewWanted);
    clickRow(list_->resultList, 0);
    const int n = list_->resultList->episodes().cell(0, kColumnNumber).toInt();
    QCOMPARE(window_->episodeListController().chosenEpisode().ids,
             (std::vector<std::string>{"MandarinSohuIds" + std::to_string(n),
                                       "MandarinLeTVIds" + std::to_string(n),
                                       "MandarinIqiyiIds" + std::to_string(n)}));
    QCOMPARE(wanted.count(), 1);
    QCOMPARE(n % 100, 13);
    QCOMPARE(wanted[0][1].toString(), QStringLiteral("MandarinPreviewCodes%1").arg(n));
}

// The list keeps the layouts of the texts it painted; what it paints is pixel for pixel what
// the style's own item delegate paints: plain rows, selected rows, titles too long for their
// column, the focused cell, a disabled list, the Mandarin list and a list of results.
void EpisodeListTest::cellsLookAsTheStylesOwnDelegatePaintsThem() {
    QStyledItemDelegate styles;
    const auto compare = [&styles](EpisodeListView* list, const char* what) {
        auto* own = qobject_cast<EpisodeCellDelegate*>(list->itemDelegate());
        QVERIFY2(own != nullptr, what);
        const QImage first = list->viewport()->grab().toImage();
        const int kept = own->keptLayouts();
        const QImage again = list->viewport()->grab().toImage();  // from the kept layouts
        QCOMPARE(own->keptLayouts(), kept);
        list->setItemDelegate(&styles);
        const QImage reference = list->viewport()->grab().toImage();
        list->setItemDelegate(own);
        QVERIFY2(kept > 0, what);
        QVERIFY2(first == reference, what);
        QVERIFY2(again == reference, what);
    };
    EpisodeListView* list = list_->episodeList;
    compare(list, "top of the list");

    // The first row whose title is elided in its column.
    const QFontMetrics metrics(list->font());
    int elided = -1;
    for (int row = 0; row < list->episodes().rowCount() && elided < 0; ++row) {
        if (metrics.horizontalAdvance(list->episodes().cell(row, kColumnTitle)) >
            list->columnWidth(kColumnTitle) - 6) {
            elided = row;
        }
    }
    QVERIFY(elided >= 0);
    list->scrollTo(list->model()->index(elided, kColumnTitle), QAbstractItemView::PositionAtTop);
    compare(list, "a title too long for its column");
    list->setCurrentRow(elided);
    compare(list, "a selected row, the list without the focus");
    list->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(list->hasFocus());
    compare(list, "a selected row with the focused cell");
    list->setEnabled(false);
    compare(list, "a disabled list");
    list->setEnabled(true);
    list->scrollToBottom();
    compare(list, "the end of the list");

    switchToMandarin();
    compare(list, "the Mandarin list");
    type(QStringLiteral("2"));
    waitForResults(QStringLiteral("2"));
    list_->resultList->setCurrentRow(1);
    compare(list_->resultList, "results");
}

namespace {

bool marked(const EpisodeListView* list, int row) {
    return list->episodes().index(row, kColumnNumber).data(kPlayedRole).toBool();
}

bool inView(const EpisodeListView* list, int row) {
    const QRect cell = list->visualRect(list->episodes().index(row, kColumnNumber));
    return cell.isValid() && list->viewport()->rect().contains(cell.center());
}

}  // namespace

void EpisodeListTest::watchHistoryMarksPlayedEpisodesAndOpensAtTheLastOne() {
    QTemporaryDir state;
    const std::string path = state.filePath(QStringLiteral("Arlo迷/history")).toStdString();
    catalogue::WatchHistory history;
    for (const auto& [language, row] :
         {std::pair{"日语", 2}, {"日语", 3}, {"日语", 300}, {"国语", 7}, {"国语", 200}}) {
        history.recordPlay(language, row);
    }
    QVERIFY(catalogue::writeHistory(path, history));

    EpisodeListController& controller = window_->episodeListController();
    controller.loadHistory(path);
    const EpisodeListView* list = list_->episodeList;
    for (const int row : {2, 3, 300}) {
        QVERIFY2(marked(list, row), qPrintable(QString::number(row)));
    }
    for (const int row : {1, 4, 299, 301}) {
        QVERIFY2(!marked(list, row), qPrintable(QString::number(row)));
    }
    QVERIFY(inView(list, 300));
    QCOMPARE(list->currentRow(), -1);  // in view, not chosen

    switchToMandarin();
    QVERIFY(marked(list, 200) && marked(list, 7) && !marked(list, 2));
    QVERIFY(inView(list, 200));
    QCOMPARE(list->currentRow(), -1);

    // A playback start of episode 12 is marked at once and written whole.
    controller.recordPlay("国语", 12);
    QVERIFY(marked(list, 11) && !marked(list, 12));
    QTRY_COMPARE(catalogue::readHistory(path).of("国语").last, 11);
    QCOMPARE(catalogue::readHistory(path).of("日语"), history.of("日语"));
}

QTEST_MAIN(EpisodeListTest)
#include "episode_list_test.moc"
