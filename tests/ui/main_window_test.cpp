#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>

#include "catalogue/catalogue.h"
#include "catalogue/episode_rows.h"
#include "main_window_fixture.h"
#include "support/catalogue_of.h"
#include "ui/about_window.h"
#include "ui/app_context.h"
#include "ui/episode_list_view.h"
#include "ui/guestbook_window.h"
#include "ui/main_menu.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/ui_look.h"
#include "ui/update_window.h"
#include "ui/widgets/controls.h"

using namespace arlo::ui;

namespace {

template <class T = QWidget>
T* control(QWidget* window, const QString& name) {
    T* found = window->findChild<T*>(name);
    if (found == nullptr) {
        qFatal("no control %s", qPrintable(name));
    }
    return found;
}

// A list of `count` rows "标题n" with the Sohu ids 1000 + n, over a catalogue of its own.
arlo::catalogue::RowSnapshot rows(int count) {
    using arlo::catalogue::List;
    std::vector<std::string> titles;
    std::vector<std::string> ids;
    for (int n = 1; n <= count; ++n) {
        titles.push_back("标题" + std::to_string(n));
        ids.push_back(std::to_string(1000 + n));
    }
    // The rows read their cells from the catalogue for as long as any list shows them.
    static std::vector<std::unique_ptr<const arlo::catalogue::Catalogue>> catalogues;
    catalogues.push_back(arlo::test_support::catalogueOf(
        {{List::JapaneseTitles, titles}, {List::JapaneseSohuIds, ids}}));
    return std::make_shared<const arlo::catalogue::EpisodeRows>(*catalogues.back(), false);
}

// Runs `inspect` on the modal window that `open` shows, then closes it.
void whileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& inspect) {
    bool inspected = false;
    QTimer::singleShot(0, qApp, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        inspect(modal);
        inspected = true;
        modal->close();
    });
    open();
    QVERIFY(inspected);
}

// Every visible label's caption fits its box, in the fonts actually installed.
void checkCaptionsFit(QWidget* window) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window) || label->text().trimmed().isEmpty()) {
            continue;
        }
        const QFontMetrics metrics(label->font());
        const int inner = label->contentsRect().width() - 2 * label->margin();
        if (label->wordWrap()) {
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                     qPrintable(label->objectName()));
        } else {
            // Ink, not advance: a trailing full-width colon may overhang with its blank half.
            QVERIFY2(metrics.tightBoundingRect(label->text()).right() < inner,
                     qPrintable(label->objectName()));
        }
    }
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    testing::MainWindowFixture fixture_;
    AppContext& context_ = fixture_.context;
    RecordingNotices& notices_ = fixture_.notices;
    std::unique_ptr<MainWindow>& main_ = fixture_.window;

private slots:
    void init() { fixture_.open(); }
    void cleanup() { fixture_.close(); }

    void windowsOpenAtTheirPlaceWithTheirOuterSize() {
        QCOMPARE(main_->frameGeometry().topLeft(), QPoint(50, 50));
        QCOMPARE(main_->frameGeometry().size(), QSize(397, 610));
        AboutWindow about;
        about.show();
        QTRY_COMPARE(about.frameGeometry(), QRect(50, 50, 462, 280));
    }

    void logoHover_highlightsOnceAndRestoresOnLeavingByAnyEdge_data() {
        QTest::addColumn<QPoint>("outside");
        QTest::newRow("left") << QPoint(-1, 19);
        QTest::newRow("right") << QPoint(128, 19);
        QTest::newRow("top") << QPoint(64, -1);
        QTest::newRow("bottom") << QPoint(64, 38);
    }

    void logoHover_highlightsOnceAndRestoresOnLeavingByAnyEdge() {
        QFETCH(QPoint, outside);
        auto* logo = control<DrawingPanel>(main_.get(), QStringLiteral("画板2"));
        logo->setBackgroundPicture(picturePath(QStringLiteral("logo.png")));
        QSignalSpy changes(logo, &DrawingPanel::backgroundChanged);

        QTest::mouseMove(logo, QPoint(64, 19));
        QCOMPARE(logo->backgroundSource(), picturePath(QStringLiteral("logo_hover.png")));
        QCOMPARE(QWidget::mouseGrabber(), logo);
        QVERIFY(context_.windows.mouseCaptured);
        QTest::mouseMove(logo, QPoint(10, 5));
        QTest::mouseMove(logo, QPoint(127, 37));
        QTest::mouseMove(logo, QPoint(0, 0));
        QCOMPARE(changes.count(), 1);

        QTest::mouseMove(logo, outside);
        QCOMPARE(changes.count(), 2);
        QCOMPARE(logo->backgroundSource(), picturePath(QStringLiteral("logo.png")));
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        QVERIFY(!context_.windows.mouseCaptured);

        // Coming back highlights it again.
        QTest::mouseMove(logo, QPoint(64, 19));
        QCOMPARE(changes.count(), 3);
        QTest::mouseMove(logo, outside);
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
    }

    void releasingTheLeftButtonOnTheWindowParksTheFocus() {
        auto* search = control<QLineEdit>(main_.get(), QStringLiteral("编辑框1"));
        auto* parking = control(main_.get(), QStringLiteral("图片框3"));
        auto* client = main_->centralWidget();
        const QPoint spots[] = {
            // Bare client area, a label, a page's empty part.
            QPoint(380, 45),
            control(main_.get(), QStringLiteral("标签10"))->geometry().center(),
            control(main_.get(), QStringLiteral("标签7"))->mapTo(client, QPoint(2, 2)),
        };
        for (const QPoint spot : spots) {
            search->setFocus();
            QCOMPARE(QApplication::focusWidget(), search);
            QTest::mouseClick(client, Qt::LeftButton, {}, spot);
            QCOMPARE(QApplication::focusWidget(), parking);
        }
        // A right click is not a left one.
        search->setFocus();
        QTest::mouseClick(client, Qt::RightButton, {}, spots[0]);
        QCOMPARE(QApplication::focusWidget(), search);
    }

    void closingAChooserDropDownMovesTheFocusAway_data() {
        QTest::addColumn<QString>("chooser");
        QTest::newRow("category") << QStringLiteral("组合框1");
        QTest::newRow("language") << QStringLiteral("组合框2");
    }

    void closingAChooserDropDownMovesTheFocusAway() {
        QFETCH(QString, chooser);
        auto* combo = control<QComboBox>(main_.get(), chooser);
        combo->setFocus();
        combo->showPopup();
        QAbstractItemView* popup = combo->view();
        QVERIFY(QTest::qWaitForWindowExposed(popup->window()));
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
        QTRY_VERIFY(!popup->isVisible());
        QCOMPARE(combo->currentIndex(), 1);
        // 标签7 is on the episode page; choosing the movies shows the other page.
        const QString target = chooser == QStringLiteral("组合框1") ? QStringLiteral("图片框3")
                                                                    : QStringLiteral("标签7");
        QCOMPARE(QApplication::focusWidget(), control(main_.get(), target));
        QVERIFY(!combo->hasFocus());
    }

    // Destroying the window hides its controls first, and the choosers report their drop-downs
    // closed as they are hidden: none of the window's handlers may run by then (the choosers'
    // would move the focus to 标签7).
    void destroyingTheWindowRunsNoHandlerOnIt() {
        bool destroying = false;
        QStringList focusAfterEachReport;
        QObject watch;
        for (auto* chooser : main_->findChildren<ComboBox*>()) {
            // Connected after the window's own handlers, so it runs after them.
            connect(chooser, &ComboBox::dropDownClosed, &watch, [&, chooser] {
                if (destroying) {
                    const QWidget* focus = chooser->window()->focusWidget();
                    focusAfterEachReport << (focus ? focus->objectName() : QStringLiteral("-"));
                }
            });
        }
        auto* combo = control<ComboBox>(main_.get(), QStringLiteral("组合框2"));
        combo->setFocus();
        QTRY_VERIFY(combo->hasFocus());
        destroying = true;
        main_.reset();
        // The choosers did report, so a handler had its chance ...
        QCOMPARE(focusAfterEachReport.size(), 2);
        // ... and none took it.
        QVERIFY2(!focusAfterEachReport.contains(QStringLiteral("标签7")),
                 qPrintable(focusAfterEachReport.join(QLatin1Char(','))));
    }

    void listClicks_reportTheRowAndMinusOneBelowTheLastRow() {
        auto* list = control<EpisodeListView>(main_.get(), QStringLiteral("超级列表框1"));
        list->setRows(rows(3));
        QSignalSpy clicks(list, &EpisodeListView::rowClicked);

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(1, kColumnTitle)).center());
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(0).toInt(), 1);
        QCOMPARE(list->currentRow(), 1);

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(100, 300));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(clicks.at(1).at(0).toInt(), -1);
        QCOMPARE(list->currentRow(), -1);

        // The keyboard moves the selection without reporting a click.
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(clicks.count(), 2);
    }

    // Tab moves on to the next control (and back) instead of walking the list's cells.
    void tabLeavesTheEpisodeList() {
        auto* list = control<EpisodeListView>(main_.get(), QStringLiteral("超级列表框1"));
        list->setRows(rows(5));
        list->setCurrentRow(1);
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
            list->setFocus(Qt::OtherFocusReason);
            QTRY_COMPARE(QApplication::focusWidget(), list);
            QTest::keyClick(list, key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
            QVERIFY2(QApplication::focusWidget() != list, key == Qt::Key_Tab ? "tab" : "back");
            QVERIFY(QApplication::focusWidget() != nullptr);
            QCOMPARE(list->currentRow(), 1);
        }
        // The arrow keys still move between rows.
        list->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 2);
    }

    void listShowsOnlyNumberAndTitle_andKeepsTheIdsInItsCells() {
        auto* list = control<EpisodeListView>(main_.get(), QStringLiteral("超级列表框2"));
        list->setRows(rows(2));
        for (int column = 0; column < kEpisodeColumnCount; ++column) {
            const bool shown = column == kColumnNumber || column == kColumnTitle;
            QCOMPARE(list->isColumnHidden(column), !shown);
        }
        QCOMPARE(list->episodes().cell(1, kColumnSohuId), QStringLiteral("1002"));
        QCOMPARE(list->episodes().cell(2, kColumnSohuId), QString());
        QCOMPARE(list->episodes().cell(0, 8), QString());
        // Rows are tall enough for the list's font.
        QVERIFY(list->rowHeight(0) >= QFontMetrics(list->font()).height());
        // Both visible columns fit beside the scroll bar.
        QVERIFY(list->columnViewportPosition(kColumnTitle) + list->columnWidth(kColumnTitle) <=
                list->viewport()->width());
    }

    void menuItemsOpenAboutAndGuestbookModal() {
        whileModal(
            [&] { main_->menu().aboutItem()->trigger(); },
            [&](QWidget* modal) {
                QVERIFY(qobject_cast<AboutWindow*>(modal) != nullptr);
                QCOMPARE(modal->windowTitle(), QStringLiteral("关于"));
                const QString text = control<QLabel>(modal, QStringLiteral("标签1"))->text();
                // Three line breaks, a sentence, two line breaks, a sentence.
                static const QRegularExpression shape(QStringLiteral("^\n{3}[^\n]+\n{2}[^\n]+$"));
                QVERIFY(shape.match(text).hasMatch());
                QVERIFY(text.contains(QStringLiteral("免费")));
                checkCaptionsFit(modal);
            });
        whileModal([&] { main_->menu().guestbookItem()->trigger(); },
                   [&](QWidget* modal) {
                       QVERIFY(qobject_cast<GuestbookWindow*>(modal) != nullptr);
                       QCOMPARE(modal->windowTitle(), QStringLiteral("留言"));
                       checkCaptionsFit(modal);
                   });
    }

    void guestbookCancelClosesIt() {
        GuestbookWindow guestbook(context_);
        guestbook.show();
        QVERIFY(QTest::qWaitForWindowExposed(&guestbook));
        QTest::mouseClick(control(&guestbook, QStringLiteral("按钮2")), Qt::LeftButton);
        QVERIFY(!guestbook.isVisible());
    }

    // Not only the captions of the layout: the counts of every list, the preview's states and
    // times, the result count of a search that finds the most.
    void captionsFitWithEveryTextTheyAreGiven() {
        using arlo::catalogue::List;
        const arlo::catalogue::Catalogue& catalogue = arlo::catalogue::Catalogue::builtIn();
        const std::map<QString, QStringList> texts = {
            {QStringLiteral("标签11"),
             {QString::number(catalogue.count(List::JapaneseTitles)),
              QString::number(catalogue.count(List::MandarinTitles)),
              QString::number(catalogue.count(List::MovieTitles))}},
            {QStringLiteral("标签1"),
             {QStringLiteral("正在加载"), QStringLiteral("加载失败"), QStringLiteral("暂无预览"),
              QStringLiteral("00:23:00"), QStringLiteral("00:26:59"), QStringLiteral("00:27:00")}},
            {QStringLiteral("标签7"),
             {QStringLiteral("00:00:00"), QStringLiteral("00:00:06"), QStringLiteral("00:26:54"),
              QStringLiteral("00:08:48")}},
            {QStringLiteral("标签8"),
             {QStringLiteral("搜索到 %1 个结果").arg(catalogue.count(List::JapaneseTitles))}},
        };
        for (const auto& [name, captions] : texts) {
            auto* label = control<QLabel>(main_.get(), name);
            label->show();
            for (const QString& caption : captions) {
                label->setText(caption);
                checkCaptionsFit(main_.get());
                QVERIFY2(label->sizeHint().width() <= label->width(),
                         qPrintable(name + QLatin1Char(' ') + caption));
            }
        }
        // The count does not run into 集 beside it.
        const QRect count = control(main_.get(), QStringLiteral("标签11"))->geometry();
        QVERIFY(count.right() < control(main_.get(), QStringLiteral("标签12"))->x());
        QCOMPARE(count.topLeft(), QPoint(230, 61));
    }

    void captionsFitInTheMainAndUpdateWindows() {
        checkCaptionsFit(main_.get());
        UpdateWindow update(context_);
        update.show();
        checkCaptionsFit(&update);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
