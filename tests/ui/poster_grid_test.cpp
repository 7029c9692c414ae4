#include <QDir>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

#include "catalogue/catalogue.h"
#include "main_window_fixture.h"
#include "playback/view/page_view.h"
#include "ui/app_context.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/poster_grid.h"
#include "ui/poster_page.h"
#include "ui/skinned/png_control.h"
#include "ui/widgets/controls.h"

using namespace arlo::ui;
namespace skinned = arlo::skinned;

namespace {

// Turns the wheel over `target` as the user would: the event starts at the widget under the
// mouse and travels up to whoever takes it.
void turnWheel(QWidget* target, int notches) {
    const QPoint pos(target->width() / 2, target->height() / 2);
    QWheelEvent wheel(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

// With ARLO_SCREENSHOT_DIR set, keeps a picture of the window for a person to look at.
void keepScreenshot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("ARLO_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QVERIFY(window->grab().save(QDir(folder).absoluteFilePath(name)));
    }
}

QPoint centreOf(const QWidget* w) {
    return {w->width() / 2, w->height() / 2};
}

}  // namespace

class PosterGridTest final : public QObject {
    Q_OBJECT

    testing::MainWindowFixture fixture_;
    AppContext& context_ = fixture_.context;
    std::unique_ptr<MainWindow>& main_ = fixture_.window;
    PosterGrid* grid_ = nullptr;

    const EpisodeListPanel::Controls& w() const { return fixture_.listControls(); }
    const PosterPage::Controls& c() const { return main_->posterPage().controls(); }

private:
    void showMoviePage() {
        fixture_.pages()->setCurrentIndex(1);
        QTRY_VERIFY(c().posterScrollBar->isVisible());
    }

    // Scrolls cell k's row to the top of the viewport, so the mouse can reach it.
    void bringIntoView(int k) {
        c().posterScrollBar->setValue(grid_->cell(k)->y() - 16);
        QVERIFY(grid_->title(k)->visibleRegion().boundingRect().height() > 20);
    }

private slots:
    void init() {
        fixture_.open();
        main_->setUpMoviePage();
        grid_ = main_->posterGrid();
        QVERIFY(grid_ != nullptr);
    }

    void cleanup() { fixture_.close(); }

    void gridShowsEighteenCellsInTwoColumns_theLastSixteenAboveTheEnd() {
        const auto& movies = arlo::catalogue::Catalogue::builtIn();
        QCOMPARE(grid_->cellCount(), 18);
        for (int k = 1; k <= 18; ++k) {
            const FramePanel* cell = grid_->cell(k);
            QCOMPARE(cell->parentWidget(), c().posterGrid);
            QCOMPARE(cell->geometry(),
                     QRect(k % 2 == 1 ? 16 : 196, 16 + 288 * ((k - 1) / 2), 164, 272));
            QVERIFY(cell->isVisibleTo(c().posterGrid));
            QVERIFY(grid_->poster(k)->isVisibleTo(c().posterGrid));
            const PictureBox* poster = grid_->poster(k);
            QCOMPARE(poster->parentWidget(), cell);
            QCOMPARE(poster->geometry(), QRect(1, 1, 162, 230));
            QCOMPARE(poster->property("tag").toString(), QString::number(k));
            QCOMPARE(poster->picture().size(), QSize(162, 230));
            const Label* title = grid_->title(k);
            QCOMPARE(title->geometry(), QRect(1, 231, 162, 40));
            QCOMPARE(title->text(),
                     QString::fromStdString(movies.value(arlo::catalogue::List::MovieTitles, k)));
            QCOMPARE(title->font(), c().posterTitle->font());
        }
        // Clones keep their template's designer name, told apart by their number.
        QCOMPARE(grid_->poster(7)->objectName(), QStringLiteral("图片框5_7"));
        QVERIFY(grid_->cell(0) == nullptr && grid_->cell(19) == nullptr);

        QCOMPARE(c().posterGrid->height(), 2608);
        QCOMPARE(c().posterViewport->geometry(), QRect(1, 1, 367, 461));
        QCOMPARE(c().posterScrollBar->geometry(), QRect(372, 0, 24, 463));
        QCOMPARE(c().posterScrollBar->value(), 0);

        // Scrolled to the end, the last row stops 16 pixels above the viewport's bottom.
        QScrollBar* bar = c().posterScrollBar;
        bar->setValue(bar->maximum());
        const QPoint lastBottom =
            grid_->cell(18)->mapTo(c().posterViewport, QPoint(0, grid_->cell(18)->height()));
        QCOMPARE(lastBottom.y(), c().posterViewport->height() - 16);

        // The overlay and its button are ready but out of sight, and nothing holds the mouse.
        QVERIFY(!grid_->overlay()->isVisibleTo(main_.get()));
        QCOMPARE(grid_->overlay()->property(skinned::kPropType).toInt(), skinned::kTypePictureBox);
        QCOMPARE(grid_->overlay()->property(skinned::kPropBackImage).value<QImage>().size(),
                 QSize(35, 34));
        QWidget* button = grid_->playButton();
        QCOMPARE(button->parentWidget(), grid_->overlay());
        QCOMPARE(button->geometry(), QRect(54, 88, 54, 54));
        QCOMPARE(button->toolTip(), QStringLiteral("点击播放"));
        QVERIFY(!button->property(skinned::kPropHoverImage).value<QImage>().isNull());
        QVERIFY(!context_.windows.mouseCaptured);
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
    }

    void settingUpKeepsServingEventsBetweenCells() {
        // A fresh window: the timer fires from inside the set-up's pauses, and finds the
        // grid part-built.
        AppContext context;
        context.notices = &fixture_.notices;
        MainWindow fresh(context);
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        int cellsSeen = -1;
        QTimer::singleShot(0, &fresh, [&] { cellsSeen = fresh.posterGrid()->cellCount(); });
        fresh.setUpMoviePage();
        QVERIFY2(cellsSeen >= 1 && cellsSeen < 18, qPrintable(QString::number(cellsSeen)));
    }

    void wheelNotchAwayMovesTheGridSixtyTowardsItsFirstRow() {
        showMoviePage();
        QScrollBar* bar = c().posterScrollBar;
        bar->setValue(600);
        QCOMPARE(c().posterGrid->y(), -600);

        turnWheel(bar, 1);
        QCOMPARE(bar->value(), 540);
        QCOMPARE(c().posterGrid->y(), -540);

        // Over the posters and between the cells too, the wheel turns the grid.
        turnWheel(grid_->poster(3), -2);
        QCOMPARE(bar->value(), 660);
        turnWheel(c().posterGrid, 1);
        QCOMPARE(bar->value(), 600);

        // Both ends hold.
        bar->setValue(30);
        turnWheel(bar, 1);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(c().posterGrid->y(), 0);
        bar->setValue(bar->maximum());
        turnWheel(bar, -1);
        QCOMPARE(bar->value(), bar->maximum());

        // While the episode page is shown, the hidden grid stays put.
        fixture_.pages()->setCurrentIndex(0);
        turnWheel(bar, 1);
        QCOMPARE(bar->value(), bar->maximum());
    }

    // Hovering a poster hands the keyboard to the grid: the arrow keys move it by a notch's
    // distance, the page keys by a viewport.
    void afterHoveringAPoster_theKeysScrollTheGridByUsefulSteps() {
        showMoviePage();
        bringIntoView(5);
        QScrollBar* bar = c().posterScrollBar;
        const int start = bar->value();
        QTest::mouseMove(grid_->poster(5), QPoint(40, 40));
        QWidget* focus = QApplication::focusWidget();
        QCOMPARE(focus, bar);

        QTest::keyClick(focus, Qt::Key_Down);
        QCOMPARE(bar->value(), start + 60);
        QCOMPARE(c().posterGrid->y(), -(start + 60));
        QTest::keyClick(focus, Qt::Key_Up);
        QTest::keyClick(focus, Qt::Key_Up);
        QCOMPARE(bar->value(), start - 60);
        QTest::keyClick(focus, Qt::Key_PageDown);
        QCOMPARE(bar->value(), start - 60 + c().posterViewport->height());
        QTest::keyClick(focus, Qt::Key_Home);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(c().posterGrid->y(), 0);
    }

    void hover_overlayFollowsThePoster_keptOnTheButton_hiddenOutside() {
        showMoviePage();
        bringIntoView(3);
        PictureBox* poster = grid_->poster(3);
        QWidget* overlay = grid_->overlay();
        QWidget* button = grid_->playButton();

        QTest::mouseMove(poster, QPoint(20, 20));
        QCOMPARE(context_.windows.hoveredMovie, 3);
        QCOMPARE(overlay->parentWidget(), poster);
        QCOMPARE(overlay->geometry(), QRect(0, 0, 162, 230));
        QVERIFY(overlay->isVisible());

        // The overlay now lies under the mouse and holds it to see it leave.
        QTest::mouseMove(poster, QPoint(30, 30));
        QCOMPARE(QWidget::mouseGrabber(), overlay);
        QVERIFY(context_.windows.mouseCaptured);

        // Onto the button: the overlay lets go, the button takes the mouse, the overlay stays.
        QTest::mouseMove(button, centreOf(button));
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        QVERIFY(!context_.windows.mouseCaptured);
        QTest::mouseMove(button, centreOf(button) + QPoint(3, 3));
        QCOMPARE(QWidget::mouseGrabber(), button);
        QVERIFY(overlay->isVisible());
        keepScreenshot(main_.get(), QStringLiteral("movie_page_hover.png"));

        // Off the button but still on the poster: the overlay stays and takes the mouse back.
        QTest::mouseMove(poster, QPoint(10, 10));
        QVERIFY(overlay->isVisible());
        QVERIFY(!context_.windows.mouseCaptured);
        QTest::mouseMove(poster, QPoint(12, 12));
        QCOMPARE(QWidget::mouseGrabber(), overlay);

        // Out of the poster, onto its title: gone, and the mouse is free.
        QTest::mouseMove(grid_->title(3), QPoint(50, 20));
        QVERIFY(!overlay->isVisible());
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        QVERIFY(!context_.windows.mouseCaptured);

        // Straight from the button out of the poster as well.
        bringIntoView(4);
        QTest::mouseMove(grid_->poster(4), QPoint(20, 20));
        QCOMPARE(overlay->parentWidget(), grid_->poster(4));
        QTest::mouseMove(button, centreOf(button));
        QCOMPARE(QWidget::mouseGrabber(), button);
        QTest::mouseMove(grid_->title(4), QPoint(50, 20));
        QVERIFY(!overlay->isVisible());
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        QVERIFY(!context_.windows.mouseCaptured);
    }

    // The mouse stops on the button after one move there, which the overlay holding the mouse
    // takes (the button takes the mouse on the next), or after two.
    void hover_theButtonShowsItsTipWhereverTheMouseStops_data() {
        QTest::addColumn<int>("movesOnTheButton");
        QTest::newRow("one") << 1;
        QTest::newRow("two") << 2;
    }
    void hover_theButtonShowsItsTipWhereverTheMouseStops() {
        QFETCH(int, movesOnTheButton);
        showMoviePage();
        bringIntoView(3);
        QWidget* button = grid_->playButton();
        QTest::mouseMove(grid_->poster(3), QPoint(20, 20));
        QTest::mouseMove(grid_->poster(3), QPoint(30, 30));
        for (int i = 0; i < movesOnTheButton; ++i) {
            QTest::mouseMove(button, centreOf(button) + QPoint(i, i));
        }
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("点击播放"));
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void hover_aPosterWithoutPictureOrAHeldMouseShowsNoOverlay() {
        showMoviePage();
        bringIntoView(5);
        grid_->poster(6)->setPicture(QPixmap());
        QTest::mouseMove(grid_->poster(6), QPoint(40, 40));
        QCOMPARE(context_.windows.hoveredMovie, 6);
        QVERIFY(!grid_->overlay()->isVisible());

        // Another control holding the mouse (the logo does) keeps the overlay away.
        context_.windows.mouseCaptured = true;
        QTest::mouseMove(grid_->poster(5), QPoint(40, 40));
        QCOMPARE(context_.windows.hoveredMovie, 5);
        QVERIFY(!grid_->overlay()->isVisible());
    }

    void windowMoveClearsACaptureThatWasLostElsewhere() {
        showMoviePage();
        QTest::mouseMove(grid_->poster(1), QPoint(20, 20));
        QTest::mouseMove(grid_->poster(1), QPoint(22, 22));
        QCOMPARE(QWidget::mouseGrabber(), grid_->overlay());
        // Another window took the mouse away; the flag was left set.
        grid_->overlay()->releaseMouse();
        QVERIFY(context_.windows.mouseCaptured);

        QTest::mouseMove(main_->centralWidget(), QPoint(380, 30));
        QVERIFY(!context_.windows.mouseCaptured);
        QVERIFY(!grid_->overlay()->isVisible());
    }

    void playOnPosterFiveOpensThePlayerWithMovieFive() {
        // The movies are chosen the way the user chooses them.
        w().categoryChooser->setCurrentIndex(1);
        emit w().categoryChooser->activated(1);
        QCOMPARE(fixture_.pages()->currentIndex(), 1);
        showMoviePage();
        QSignalSpy requests(grid_, &PosterGrid::playRequested);
        QWidget* button = grid_->playButton();
        bringIntoView(5);
        QTest::mouseMove(grid_->poster(5), QPoint(20, 20));
        QTest::mouseMove(grid_->poster(5), QPoint(21, 21));
        QTest::mouseMove(button, centreOf(button));
        QTest::mouseMove(button, centreOf(button) + QPoint(1, 1));
        QCOMPARE(QWidget::mouseGrabber(), button);

        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, centreOf(button));
        QCOMPARE(requests.count(), 1);
        QCOMPARE(context_.windows.hoveredMovie, 5);
        QVERIFY(!grid_->overlay()->isVisible());
        QVERIFY(!context_.windows.mouseCaptured);
        QCOMPARE(QWidget::mouseGrabber(), nullptr);

        auto* player = main_->playerWindow();
        QVERIFY(player != nullptr);
        const auto& movies = arlo::catalogue::Catalogue::builtIn();
        QTRY_COMPARE(player->windowTitle(), QStringLiteral("正在播放：  第5集  ") +
                                                QString::fromStdString(movies.value(
                                                    arlo::catalogue::List::MovieTitles, 5)));
    }
};

QTEST_MAIN(PosterGridTest)
#include "poster_grid_test.moc"
