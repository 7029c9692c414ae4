#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "catalogue/catalogue.h"
#include "deploy/deploy.h"
#include "net/page_fetcher.h"
#include "pictures/bmp.h"
#include "preview/slide_preview.h"
#include "standin/crafted_pictures.h"
#include "standin/picture_canvas.h"
#include "standin/standin_environment.h"
#include "ui/app_context.h"
#include "ui/episode_list_controller.h"
#include "ui/episode_list_panel.h"
#include "ui/episode_list_view.h"
#include "ui/episode_panel.h"
#include "ui/main_window.h"
#include "ui/preview_controller.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

using namespace arlo;
using namespace arlo::ui;

namespace {

QImage decode(const std::string& bytes) {
    QImage image;
    image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                       static_cast<int>(bytes.size()));
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage decode(const pictures::Frame& frame) {
    QImage image(frame.width(), frame.height(), QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        std::memcpy(image.scanLine(y), frame.row(y), static_cast<std::size_t>(frame.width()) * 4);
    }
    return image;
}

QImage rgb(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

std::string showIdOf(const std::string& code) {
    return preview::parseShowPage(
               net::FetchPageUtf8(std::string(deploy::kPptvWebHost) + preview::showPagePath(code)))
        .showId;
}

// Sheet k of a show, as the stand-in serves it, decoded.
QImage sheet(const std::string& code, int k) {
    return decode(net::FetchPage(std::string(deploy::kPptvPictureHost) +
                                 preview::spriteSheetPath(showIdOf(code), k)));
}

std::string thumbnailUrl(int episode) {
    return catalogue::Catalogue::builtIn().value(catalogue::List::MandarinThumbnailUrls, episode);
}

// A show page held back until the test lets it through, on a host of its own.
struct HeldShowPage {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = true;
    bool waiting = false;
    std::string page;

    standin::Response serve() {
        std::unique_lock lock(mutex);
        waiting = true;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::seconds(20), [this] { return open; });
        waiting = false;
        standin::Response r;
        r.body = page;
        return r;
    }
    void setOpen(bool value) {
        std::lock_guard lock(mutex);
        open = value;
        changed.notify_all();
    }
    bool isWaiting() {
        std::lock_guard lock(mutex);
        return waiting;
    }
};

constexpr const char* kHeldHost = "held-pptv.test";

// Requests for chosen paths on any host are kept waiting, before the stand-in answers them,
// until the test lets them through.
struct HeldPaths {
    std::mutex mutex;
    std::condition_variable changed;
    std::set<std::string> held;
    int waiting = 0;

    void hold(std::string path) {
        std::lock_guard lock(mutex);
        held.insert(std::move(path));
    }
    void releaseAll() {
        std::lock_guard lock(mutex);
        held.clear();
        changed.notify_all();
    }
    // On a connection thread of the stand-in.
    void arrived(const standin::Request& request) {
        std::unique_lock lock(mutex);
        if (held.count(request.path) == 0) {
            return;
        }
        ++waiting;
        changed.wait_for(lock, std::chrono::seconds(20),
                         [&] { return held.count(request.path) == 0; });
        --waiting;
    }
    int waitingCount() {
        std::lock_guard lock(mutex);
        return waiting;
    }
};

std::string pathOf(const std::string& url) {
    const auto host = url.find("://");
    const auto path = url.find('/', host == std::string::npos ? 0 : host + 3);
    return path == std::string::npos ? "/" : url.substr(path);
}

}  // namespace

class SlidePreviewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<standin::StandinEnvironment> env_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<MainWindow> window_;
    std::shared_ptr<HeldShowPage> held_ = std::make_shared<HeldShowPage>();
    std::shared_ptr<HeldPaths> heldPaths_ = std::make_shared<HeldPaths>();

    const EpisodePanel::Controls& c() { return window_->episodePanel().controls(); }
    const EpisodeListPanel::Controls& list() { return window_->episodeListPanel().controls(); }
    PreviewController& controller() { return window_->previewController(); }

    // Loads a show into `controller` and waits for its result.
    bool load(PreviewController& loader, const QString& code, int cover = 1) {
        QSignalSpy finished(&loader, &PreviewController::previewFinished);
        loader.setSelection(QString::fromStdString(thumbnailUrl(cover)), code);
        loader.startPreviewLoader();
        if (!finished.wait(30000)) {
            qWarning("no preview result");
            return false;
        }
        return finished.last().at(0).toBool();
    }
    bool load(const QString& code) { return load(controller(), code); }

    // The cursor moving over the slider or the popup picture, as the window delivers it.
    void moveOver(QWidget* widget, QPoint globalPos) {
        QMouseEvent move(QEvent::MouseMove, widget->mapFromGlobal(QPointF(globalPos)),
                         QPointF(globalPos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    QPoint sliderPoint(int x) {
        return c().previewSlider->mapToGlobal(QPoint(x, c().previewSlider->height() / 2));
    }
    bool popupShown() {
        const bool frame = c().previewFrame->isVisible();
        if (c().previewPicture->isVisible() != frame || c().previewPointer->isVisible() != frame) {
            qWarning("the popup's three parts disagree");
        }
        return frame;
    }
    void leaveSlider() { moveOver(c().previewSlider, sliderPoint(0) - QPoint(0, 40)); }

    // Shows the Mandarin-dubbed list (or the Japanese-dubbed one) in the episode list.
    void showLanguage(int index) {
        list().languageChooser->setCurrentIndex(index);
        window_->episodeListController().clearEpisodeList();
        window_->episodeListController().refreshNow();
    }
    // Holds the cover and the show page of Mandarin episode `episode` at the stand-in.
    void holdEpisode(int episode) {
        const std::string code =
            catalogue::Catalogue::builtIn().value(catalogue::List::MandarinPreviewCodes, episode);
        heldPaths_->hold(pathOf(thumbnailUrl(episode)));
        heldPaths_->hold(preview::showPagePath(code));
    }
    // Lets every held request through and shows whatever the loads post.
    void finishLoads() {
        heldPaths_->releaseAll();
        controller().waitForLoads();
        QCoreApplication::sendPostedEvents(&controller());
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        env_ = std::make_unique<standin::StandinEnvironment>();
        QVERIFY(env_->ok());
        env_->server().route(kHeldHost, "/show/*",
                             [held = held_](const standin::Request&) { return held->serve(); });
        env_->server().onRequest(
            [held = heldPaths_](const standin::Request& request) { held->arrived(request); });
        held_->page = net::FetchPageUtf8(std::string(deploy::kPptvWebHost) +
                                         preview::showPagePath("test-1380"));
        context_ = std::make_unique<AppContext>();
        window_ = std::make_unique<MainWindow>(*context_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        // As at start-up: the popup picture lives inside its frame.
        const QRect pictureGeometry = c().previewPicture->geometry();
        c().previewPicture->setParent(c().previewFrame);
        c().previewPicture->setGeometry(pictureGeometry);
        c().previewPicture->hide();
    }

    void cleanupTestCase() {
        window_.reset();
        context_.reset();
        env_.reset();
    }

    void cleanup() {
        heldPaths_->releaseAll();
        leaveSlider();
        if (QWidget* grabber = QWidget::mouseGrabber()) {
            grabber->releaseMouse();
        }
        context_->windows.mouseCaptured = false;
    }

    void twentyThreeMinutesLoadThreeSheets() {
        const std::string id = showIdOf("test-1380");
        env_->server().clearRequests();
        QVERIFY(load(QStringLiteral("test-1380")));
        QCOMPARE(c().previewStatus->text(), QStringLiteral("00:23:00"));
        QCOMPARE(textColour(c().previewStatus), QColor(0x00, 0x80, 0x80));
        QCOMPARE(c().previewSlider->maximum(), 229);
        QVERIFY(c().previewSlider->isEnabled());
        QVERIFY(controller().previewReady());
        QCOMPARE(controller().previewFrames().size(), 229u);
        const std::string pictures = standin::hostOf(deploy::kPptvPictureHost);
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(env_->server().requestsFor(pictures, preview::spriteSheetPath(id, k)).size(),
                     k < 3 ? 1u : 0u);
        }
        // The popup fits a 160 x 90 cell and sits 102 pixels above the slider.
        const QRect frame = c().previewFrame->geometry();
        QCOMPARE(frame.size(), QSize(164, 94));
        QCOMPARE(frame.top(), window_->episodePanel().sliderOnPage().y() - 102);
        QCOMPARE(c().previewPicture->geometry(), QRect(2, 2, 160, 90));
        QCOMPARE(c().previewPicture->parentWidget(), c().previewFrame);
        const QRect pointer = c().previewPointer->geometry();
        QCOMPARE(pointer.left(), frame.left());
        QCOMPARE(pointer.top(), frame.top() + 94 - 2);
        QCOMPARE(pointer.width(), 164);

        // The third sheet gave frames 201 to 229, each the very pixels of its tile.
        const QImage third = sheet("test-1380", 2);
        QCOMPARE(third.size(), QSize(1600, 900));
        const auto& frames = controller().previewFrames();
        QCOMPARE(decode(frames[200]), third.copy(0, 0, 160, 90));
        QCOMPARE(decode(frames[228]), third.copy(8 * 160, 2 * 90, 160, 90));
        QCOMPARE(decode(frames[99]), sheet("test-1380", 0).copy(9 * 160, 9 * 90, 160, 90));
    }

    void sheetsOfOddSizesAreCutAtTruncatedCells() {
        QVERIFY(load(QStringLiteral("test-1380-1603x907")));
        QCOMPARE(controller().previewFrames().size(), 229u);
        // Cells of 160.3 x 90.7 pixels: frame 15 is column 4 of row 1.
        const QImage first = sheet("test-1380-1603x907", 0);
        QCOMPARE(decode(controller().previewFrames()[14]), first.copy(641, 90, 160, 90));
        QCOMPARE(decode(controller().previewFrames()[99]), first.copy(1442, 816, 160, 90));
        QCOMPARE(c().previewFrame->size(), QSize(164, 94));
        QCOMPARE(c().previewFrame->y(),
                 window_->episodePanel().sliderOnPage().y() - 103);  // trunc(445 - 102.7)
        QCOMPARE(c().previewPicture->geometry(), QRect(2, 2, 160, 90));
    }

    void aShowTooShortFails() {
        QVERIFY(!load(QStringLiteral("test-6")));
        QCOMPARE(c().previewStatus->text(), QStringLiteral("加载失败"));
        QCOMPARE(textColour(c().previewStatus), QColor(0xFF, 0x00, 0x00));
        QCOMPARE(controller().previewFrames().size(), 1u);
        QVERIFY(!controller().previewReady());
        QVERIFY(!c().previewSlider->isEnabled());
        // A disabled slider shows no popup.
        moveOver(c().previewSlider, sliderPoint(10));
        QVERIFY(!popupShown());
        QVERIFY(!context_->windows.mouseCaptured);

        // So does a sheet that will not decode.
        QVERIFY(!load(QStringLiteral("test-1380-bad1")));
        QCOMPARE(controller().previewFrames().size(), 100u);
    }

    // A host serving sheets far larger than the documented 1600 x 900 pixels (5600 x 5600: a
    // fifth of a megabyte of JPEG that decodes to 125 MB) gets no sheet decoded or cut, and
    // sheets that are merely large are cut only up to one load's share of pixels.
    void sheetsFarLargerThanDocumentedEndTheLoad() {
        const std::string id = showIdOf("test-6000-5600x5600");
        env_->server().clearRequests();
        QVERIFY(!load(QStringLiteral("test-6000-5600x5600")));
        QCOMPARE(c().previewStatus->text(), QStringLiteral("加载失败"));
        QCOMPARE(textColour(c().previewStatus), QColor(0xFF, 0x00, 0x00));
        QVERIFY(controller().previewFrames().empty());
        QVERIFY(!controller().previewReady());
        QVERIFY(!c().previewSlider->isEnabled());
        const std::string pictures = standin::hostOf(deploy::kPptvPictureHost);
        QCOMPARE(env_->server().requestsFor(pictures, preview::spriteSheetPath(id, 0)).size(), 1u);
        QCOMPARE(env_->server().requestsFor(pictures, preview::spriteSheetPath(id, 1)).size(), 0u);

        // Cells of 320 x 180: two sheets fit, the third would take the load past its share.
        QVERIFY(!load(QStringLiteral("test-6000-3200x1800")));
        QCOMPARE(c().previewStatus->text(), QStringLiteral("加载失败"));
        QCOMPARE(controller().previewFrames().size(), 200u);

        // Ten sheets of the documented size fit.
        QVERIFY(load(QStringLiteral("test-6000")));
        QCOMPARE(controller().previewFrames().size(), 999u);
        QCOMPARE(c().previewStatus->text(), QStringLiteral("01:40:00"));
    }

    void theSliderShowsTheFrameUnderTheCursor() {
        QVERIFY(load(QStringLiteral("test-1380")));
        QProgressBar* slider = c().previewSlider;
        const auto& frames = controller().previewFrames();

        // Entering at the left edge: the mouse is held, the popup shows frame 1 at 6 s.
        const QPoint leftEdge = sliderPoint(0);
        moveOver(slider, leftEdge);
        QVERIFY(context_->windows.mouseCaptured);
        QCOMPARE(QWidget::mouseGrabber(), slider);
        QVERIFY(popupShown());
        QCOMPARE(c().previewTime->text(), QStringLiteral("00:00:06"));
        QCOMPARE(slider->value(), 1);
        QCOMPARE(rgb(c().previewPicture->backgroundPicture()), decode(frames[0]));

        // The popup centres on the cursor; the pointer sits 4 pixels in.
        const QPoint middle = sliderPoint(130);
        moveOver(slider, middle);
        const int clientX = window_->findChild<QStackedWidget*>(QStringLiteral("高级选择夹1"))
                                ->parentWidget()
                                ->mapFromGlobal(middle)
                                .x();
        const int d = int(229.0 / 261 * (clientX - slider->x()));
        QCOMPARE(slider->value(), d);
        QCOMPARE(c().previewTime->text(), QString::fromStdString(preview::timeText(d * 6)));
        QCOMPARE(c().previewFrame->x(), int(clientX - 164 / 2.0 - 4));
        QCOMPARE(c().previewPointer->x(), c().previewFrame->x() + 4);
        QCOMPARE(rgb(c().previewPicture->backgroundPicture()), decode(frames[d - 1]));

        // Beyond the right edge: the last frame, and the mouse is let go.
        moveOver(slider, sliderPoint(slider->width() + 6));
        QCOMPARE(slider->value(), 229);
        QCOMPARE(c().previewTime->text(), QStringLiteral("00:22:54"));
        QCOMPARE(rgb(c().previewPicture->backgroundPicture()), decode(frames[228]));
        QVERIFY(!popupShown());
        QVERIFY(!context_->windows.mouseCaptured);
        QCOMPARE(QWidget::mouseGrabber(), nullptr);

        // Back in: shown again; leaving upwards hides it.
        moveOver(slider, middle);
        QVERIFY(popupShown());
        leaveSlider();
        QVERIFY(!popupShown());
        QVERIFY(!context_->windows.mouseCaptured);
    }

    void movingOntoThePopupClosesIt() {
        QVERIFY(load(QStringLiteral("test-1380")));
        moveOver(c().previewSlider, sliderPoint(50));
        QVERIFY(popupShown());
        moveOver(c().previewPicture, c().previewPicture->mapToGlobal(QPoint(5, 5)));
        QVERIFY(!popupShown());
        QVERIFY(!context_->windows.mouseCaptured);
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        // Without the mouse held it does nothing.
        moveOver(c().previewPicture, c().previewPicture->mapToGlobal(QPoint(6, 6)));
        QVERIFY(!context_->windows.mouseCaptured);
    }

    void aFrameNotYetLoadedShowsNoPicture() {
        PreviewController loader(
            *context_, window_->episodePanel(),
            {std::string("http://") + kHeldHost, std::string(deploy::kPptvPictureHost)});
        held_->setOpen(true);
        QVERIFY(load(loader, QStringLiteral("test-1380")));
        loader.onSliderMouseMove(sliderPoint(100));
        QVERIFY(!c().previewPicture->backgroundPicture().isNull());

        // A new load is under way: the old frames are gone, the slider still answers.
        held_->setOpen(false);
        QSignalSpy finished(&loader, &PreviewController::previewFinished);
        loader.startPreviewLoader();
        QTRY_VERIFY(held_->isWaiting());
        QTRY_COMPARE(c().previewStatus->text(), QStringLiteral("正在加载"));
        QCOMPARE(textColour(c().previewStatus), QColor(0xFF, 0x00, 0x00));
        QVERIFY(loader.previewFrames().empty());
        QVERIFY(loader.previewReady());
        loader.onSliderMouseMove(sliderPoint(200));
        QVERIFY(c().previewPicture->backgroundPicture().isNull());
        QVERIFY(c().previewTime->text().startsWith(QStringLiteral("00:")));

        held_->setOpen(true);
        QVERIFY(finished.wait(30000));
        QCOMPARE(loader.previewFrames().size(), 229u);
        loader.onSliderMouseMove(sliderPoint(201));
        QVERIFY(!c().previewPicture->backgroundPicture().isNull());
        loader.onPopupMouseMove(QPoint());
    }

    void choosingRowsQuicklyEndsWithTheLastRow() {
        const char* codes[] = {"test-600", "test-1200", "test-6", "test-1380"};
        for (int n = 0; n < 4; ++n) {
            controller().setSelection(QString::fromStdString(thumbnailUrl(n + 1)),
                                      QString::fromLatin1(codes[n]));
            controller().startThumbnailLoader();
            controller().startPreviewLoader();
        }
        controller().waitForLoads();
        // Every result is posted by now; show them all, in order.
        QCoreApplication::sendPostedEvents(&controller());
        QCOMPARE(c().previewStatus->text(), QStringLiteral("00:23:00"));
        QCOMPARE(controller().previewFrames().size(), 229u);
        QVERIFY(c().previewSlider->isEnabled());
        QCOMPARE(rgb(c().cover->backgroundPicture()), decode(net::FetchPage(thumbnailUrl(4))));
    }

    // Clicking a Mandarin-dubbed row: its cover and its preview from the catalogue's codes.
    void choosingAMandarinRowLoadsItsCoverAndPreview() {
        using catalogue::List;
        const catalogue::Catalogue& cat = catalogue::Catalogue::builtIn();
        list().languageChooser->setCurrentIndex(1);
        window_->episodeListController().clearEpisodeList();
        window_->episodeListController().refreshNow();
        QSignalSpy cover(&controller(), &PreviewController::thumbnailShown);
        QSignalSpy finished(&controller(), &PreviewController::previewFinished);
        emit window_->episodeListPanel().episodeListClicked(4);
        QVERIFY(finished.wait(30000));
        QVERIFY(finished.last().at(0).toBool());
        QTRY_COMPARE(cover.size(), 1);
        const std::string code = cat.value(List::MandarinPreviewCodes, 5);
        const preview::ShowInfo show = preview::parseShowPage(
            net::FetchPageUtf8(std::string(deploy::kPptvWebHost) + preview::showPagePath(code)));
        QCOMPARE(c().previewStatus->text(),
                 QString::fromStdString(preview::timeText(show.duration)));
        QCOMPARE(static_cast<int>(controller().previewFrames().size()),
                 preview::expectedFrameCount(show.duration));
        QVERIFY(c().previewSlider->isEnabled());
        QCOMPARE(rgb(c().cover->backgroundPicture()), decode(net::FetchPage(thumbnailUrl(5))));
    }

    // A load still under way when the user chooses another row never shows its result.
    void aJapaneseRowChosenDuringAMandarinLoadKeepsItsPanel() {
        showLanguage(1);
        holdEpisode(7);
        QSignalSpy cover(&controller(), &PreviewController::thumbnailShown);
        QSignalSpy finished(&controller(), &PreviewController::previewFinished);
        emit window_->episodeListPanel().episodeListClicked(6);
        QTRY_COMPARE(heldPaths_->waitingCount(), 2);
        QTRY_COMPARE(c().previewStatus->text(), QStringLiteral("正在加载"));

        showLanguage(0);
        emit window_->episodeListPanel().episodeListClicked(2);
        QCOMPARE(c().cover->backgroundSource(), picturePath(QStringLiteral("no_preview.jpg")));
        QCOMPARE(c().previewStatus->text(), QStringLiteral("暂无预览"));
        const std::size_t framesBefore = controller().previewFrames().size();

        finishLoads();
        QCOMPARE(cover.size(), 0);
        QCOMPARE(finished.size(), 0);
        QCOMPARE(c().cover->backgroundSource(), picturePath(QStringLiteral("no_preview.jpg")));
        QCOMPARE(c().previewStatus->text(), QStringLiteral("暂无预览"));
        QVERIFY(!c().previewSlider->isEnabled());
        QCOMPARE(c().previewSlider->maximum(), 1000);
        QCOMPARE(controller().previewFrames().size(), framesBefore);
    }

    void theNewerOfTwoMandarinRowsNeverShowsTheOldersPreview() {
        using catalogue::List;
        showLanguage(1);
        holdEpisode(9);
        QSignalSpy cover(&controller(), &PreviewController::thumbnailShown);
        QSignalSpy finished(&controller(), &PreviewController::previewFinished);
        emit window_->episodeListPanel().episodeListClicked(8);
        QTRY_COMPARE(heldPaths_->waitingCount(), 2);

        // The newer row's loads wait for the older ones' turn to end.
        emit window_->episodeListPanel().episodeListClicked(11);
        QVERIFY(!c().previewSlider->isEnabled());
        finishLoads();
        QTRY_COMPARE(finished.size(), 1);
        QTRY_COMPARE(cover.size(), 1);
        QVERIFY(finished.first().at(0).toBool());
        const std::string code =
            catalogue::Catalogue::builtIn().value(List::MandarinPreviewCodes, 12);
        const preview::ShowInfo show = preview::parseShowPage(
            net::FetchPageUtf8(std::string(deploy::kPptvWebHost) + preview::showPagePath(code)));
        QCOMPARE(c().previewStatus->text(),
                 QString::fromStdString(preview::timeText(show.duration)));
        QCOMPARE(c().previewSlider->maximum(), preview::expectedFrameCount(show.duration));
        QCOMPARE(static_cast<int>(controller().previewFrames().size()),
                 preview::expectedFrameCount(show.duration));
        QCOMPARE(rgb(c().cover->backgroundPicture()), decode(net::FetchPage(thumbnailUrl(12))));
    }

    void coversComeFromTheCoverHost() {
        QSignalSpy shown(&controller(), &PreviewController::thumbnailShown);
        controller().setSelection(QString::fromStdString(thumbnailUrl(628)),
                                  QStringLiteral("test-1380"));
        controller().startThumbnailLoader();
        QVERIFY(shown.wait(30000));
        const QImage cover = rgb(c().cover->backgroundPicture());
        QCOMPARE(cover.size(), QSize(160, 90));
        QCOMPARE(cover, decode(net::FetchPage(thumbnailUrl(628))));

        // An address the host does not know answers with an error page: no picture.
        controller().setSelection(
            QString::fromStdString(std::string(deploy::kCoverHost) + "/image/none.jpg"),
            QStringLiteral("test-1380"));
        controller().startThumbnailLoader();
        QVERIFY(shown.wait(30000));
        QCOMPARE(c().cover->backgroundSource(), picturePath(QStringLiteral("no_preview.jpg")));
    }

    // What a hostile server crafts gives no cover and no frames.
    void craftedPicturesShowNothing() {
        for (std::size_t n = 0; n < standin::kCraftedPictures.size(); ++n) {
            QSignalSpy shown(&controller(), &PreviewController::thumbnailShown);
            QSignalSpy finished(&controller(), &PreviewController::previewFinished);
            controller().setSelection(
                QString::fromStdString(std::string(deploy::kCoverHost) + "/crafted/" +
                                       std::string(standin::kCraftedPictures[n])),
                QStringLiteral("test-60-crafted%1").arg(n));
            controller().startThumbnailLoader();
            controller().startPreviewLoader();
            QTRY_VERIFY_WITH_TIMEOUT(shown.size() == 1 && finished.size() == 1, 30000);
            QCOMPARE(c().cover->backgroundSource(), picturePath(QStringLiteral("no_preview.jpg")));
            QVERIFY(!finished.first().at(0).toBool());
        }
    }

    // Covers are read as JPEG, PNG, GIF or BMP only; a picture in any other format Qt reads
    // (here PPM) shows the no-preview picture like an error page.
    void aCoverInAnotherFormatShowsNoPicture() {
        QImage picture(160, 90, QImage::Format_RGB32);
        picture.fill(QColor(10, 120, 200));
        const auto served = std::make_shared<std::string>();
        const auto servedMutex = std::make_shared<std::mutex>();
        env_->server().route("cover-formats.test", "/cover",
                             [served, servedMutex](const standin::Request&) {
                                 standin::Response r;
                                 const std::lock_guard lock(*servedMutex);
                                 r.body = *served;
                                 return r;
                             });
        // A picture first, so that the refusal is seen to replace it.
        for (const char* format : {"PNG", "PPM"}) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(picture.save(&buffer, format));
            {
                const std::lock_guard lock(*servedMutex);
                *served = bytes.toStdString();
            }
            QSignalSpy shown(&controller(), &PreviewController::thumbnailShown);
            controller().setSelection(QStringLiteral("http://cover-formats.test/cover"),
                                      QStringLiteral("test-1380"));
            controller().startThumbnailLoader();
            QVERIFY(shown.wait(30000));
            if (std::string_view(format) == "PNG") {
                QCOMPARE(rgb(c().cover->backgroundPicture()), picture);
            } else {
                QCOMPARE(c().cover->backgroundSource(),
                         picturePath(QStringLiteral("no_preview.jpg")));
            }
        }
    }

    void closingWhileALoadWaitsEndsCleanly() {
        auto loader = std::make_unique<PreviewController>(
            *context_, window_->episodePanel(),
            preview::PreviewHosts{std::string("http://") + kHeldHost,
                                  std::string(deploy::kPptvPictureHost)});
        held_->setOpen(false);
        loader->setSelection(QString(), QStringLiteral("test-1380"));
        loader->startPreviewLoader();
        QTRY_VERIFY(held_->isWaiting());
        std::thread release([held = held_] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            held->setOpen(true);
        });
        QSignalSpy finished(loader.get(), &PreviewController::previewFinished);
        loader.reset();  // waits for the load, which drops its result
        release.join();
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 0);
    }
};

QTEST_MAIN(SlidePreviewTest)
#include "slide_preview_test.moc"
