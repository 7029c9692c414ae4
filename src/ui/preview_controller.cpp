#include "ui/preview_controller.h"

#include <QImage>
#include <QPixmap>
#include <QProgressBar>
#include <optional>

#include "deploy/deploy.h"
#include "net/page_fetcher.h"
#include "pictures/qt/cover_picture.h"
#include "pictures/qt/sprite_sheet.h"
#include "preview/slide_preview.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {
namespace {

const QColor kLoadingRed(0xFF, 0x00, 0x00);
const QColor kDurationTeal(0x00, 0x80, 0x80);

preview::PreviewHosts deployedHosts() {
    return {std::string(deploy::kPptvWebHost), std::string(deploy::kPptvPictureHost)};
}

}  // namespace

preview::PreviewSources networkPreviewSources() {
    preview::PreviewSources sources;
    sources.fetchPage = [](const std::string& url) { return net::FetchPage(url); };
    sources.fetchPageUtf8 = [](const std::string& url) { return net::FetchPageUtf8(url); };
    sources.cutSheet = pictures::cutSpriteSheet;
    return sources;
}

PreviewController::PreviewController(AppContext& context, EpisodePanel& panel, QObject* parent)
    : PreviewController(context, panel, deployedHosts(), parent) {}

PreviewController::PreviewController(AppContext& context, EpisodePanel& panel,
                                     preview::PreviewHosts hosts, QObject* parent)
    : QObject(parent),
      context_(context),
      panel_(panel),
      hosts_(std::move(hosts)),
      sources_(networkPreviewSources()),
      thumbnailLoads_(context.thumbnailLock),
      previewLoads_(context.previewLock) {}

PreviewController::~PreviewController() {
    stop();
}

void PreviewController::setSelection(const QString& thumbnailUrl, const QString& previewCode) {
    selection_.set(thumbnailUrl.toStdString(), previewCode.toStdString());
}

void PreviewController::chooseWithoutPreviews() {
    selection_.supersede();
}

void PreviewController::startThumbnailLoader() {
    thumbnailLoads_.start(
        [this](const std::atomic<bool>& stopping) { runThumbnailLoad(stopping); });
}

void PreviewController::startPreviewLoader() {
    previewLoads_.start([this](const std::atomic<bool>& stopping) { runPreviewLoad(stopping); });
}

void PreviewController::waitForLoads() {
    thumbnailLoads_.waitIdle();
    previewLoads_.waitIdle();
}

void PreviewController::stop() {
    closing_.cancel();
    thumbnailLoads_.stop();
    previewLoads_.stop();
}

void PreviewController::post(std::function<void()> update) {
    // Queued to this object's thread; dropped if the object is gone by then.
    QMetaObject::invokeMethod(this, std::move(update), Qt::QueuedConnection);
}

void PreviewController::postIfCurrent(unsigned long choice, std::function<void()> update) {
    // Decided on the user-interface thread, where choices are made: a choice made before the
    // update runs always makes it stale.
    post([this, choice, update = std::move(update)] {
        if (selection_.isCurrent(choice)) {
            update();
        }
    });
}

// Worker thread.
void PreviewController::runThumbnailLoad(const std::atomic<bool>& stopping) {
    const preview::PreviewSelection::Choice choice = selection_.current();
    // Requests end at once when the program closes, and soon when another episode is chosen.
    const net::CancelScope scope(closing_,
                                 [this, n = choice.number] { return !selection_.isCurrent(n); });
    std::string body = net::FetchPage(choice.thumbnailUrl);
    const auto ended = [this, &stopping, n = choice.number] {
        return stopping.load() || !selection_.isCurrent(n);
    };
    if (ended()) {
        return;
    }
    // A body that is not a picture (an error page) shows the no-preview picture too. The
    // decode is bounded by the picture's format and header checks.
    QImage decoded = pictures::decodeCoverPicture(body);
    if (ended()) {
        return;
    }
    postIfCurrent(choice.number, [this, cover = std::move(decoded)] {
        if (cover.isNull()) {
            c().cover->setBackgroundPicture(picturePath(QStringLiteral("no_preview.jpg")));
        } else {
            c().cover->setBackgroundPicture(QPixmap::fromImage(cover));
        }
        emit thumbnailShown();
    });
}

// Worker thread.
void PreviewController::runPreviewLoad(const std::atomic<bool>& stopping) {
    const preview::PreviewSelection::Choice choice = selection_.current();
    const auto ended = [this, &stopping, n = choice.number] {
        return stopping.load() || !selection_.isCurrent(n);
    };
    const net::CancelScope scope(closing_, ended);
    // The sheets of the episode shown until now are decoded into again once its frames go.
    const pictures::KeepSpareSheets reuse;
    postIfCurrent(choice.number, [this] { showLoading(); });
    preview::SlidePreview result =
        preview::loadSlidePreview(choice.previewCode, hosts_, sources_, ended);
    if (ended()) {
        return;
    }
    postIfCurrent(choice.number,
                  [this, result = std::move(result)]() mutable { showPreview(std::move(result)); });
}

void PreviewController::showLoading() {
    c().previewStatus->setText(QStringLiteral("正在加载"));
    setTextColour(c().previewStatus, kLoadingRed);
    // The old episode's frames go now; until the new ones arrive the popup shows no picture.
    // Their memory is reused by the load that is starting.
    frames_.clear();
    shownFrame_ = 0;
    c().previewPicture->setBackgroundPicture(QPixmap());
}

void PreviewController::showPreview(preview::SlidePreview result) {
    QProgressBar* slider = c().previewSlider;
    // A show without frames has a maximum of 0 or -1; the bar keeps its minimum of 0.
    slider->setMaximum(std::max(result.expected, 0));
    frames_ = std::move(result.frames);
    shownFrame_ = 0;
    if (result.succeeded) {
        const preview::PopupGeometry g =
            preview::popupGeometry(result.sheetWidth, result.sheetHeight, panel_.sliderOnPage().y(),
                                   c().previewFrame->x(), c().previewPointer->height());
        c().previewFrame->setGeometry(g.frame.left, g.frame.top, g.frame.width, g.frame.height);
        c().previewPicture->setGeometry(g.picture.left, g.picture.top, g.picture.width,
                                        g.picture.height);
        c().previewPointer->setGeometry(g.pointer.left, g.pointer.top, g.pointer.width,
                                        g.pointer.height);
        c().previewStatus->setText(QString::fromStdString(preview::timeText(result.duration)));
        setTextColour(c().previewStatus, kDurationTeal);
        slider->setEnabled(true);
        ready_ = true;
    } else {
        c().previewStatus->setText(QStringLiteral("加载失败"));
        slider->setValue(1);
        slider->setEnabled(false);
        ready_ = false;
        // The popup only shows a ready preview.
        showPopup(false);
    }
    emit previewFinished(result.succeeded);
}

void PreviewController::showPopup(bool visible) {
    c().previewFrame->setVisible(visible);
    c().previewPicture->setVisible(visible);
    c().previewPointer->setVisible(visible);
}

void PreviewController::showFrame(int d) {
    if (d == shownFrame_) {
        return;
    }
    shownFrame_ = d;
    // While a new load runs the list may be shorter than the slider's maximum: a frame that
    // is not there (yet) shows no picture.
    QPixmap picture;
    if (d >= 1 && static_cast<std::size_t>(d) <= frames_.size()) {
        const pictures::Frame& frame = frames_[static_cast<std::size_t>(d) - 1];
        if (!frame.empty()) {
            // The frame's pixels where they are, in its sheet, copied: a pixmap made from an
            // image of the same format may share the image's pixels, and the sheet's memory is
            // reused for the next load or given back while the panel still shows the picture.
            const QImage image(reinterpret_cast<const uchar*>(frame.row(0)), frame.width(),
                               frame.height(), static_cast<qsizetype>(frame.stride() * 4),
                               QImage::Format_RGB32);
            picture = QPixmap::fromImage(image.copy());
        }
    }
    c().previewPicture->setBackgroundPicture(picture);
}

void PreviewController::releaseCapture() {
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    context_.windows.mouseCaptured = false;
    showPopup(false);
}

void PreviewController::onSliderMouseMove(QPoint globalPos) {
    QProgressBar* slider = c().previewSlider;
    // A disabled slider takes no mouse input, unless it still holds the mouse from before.
    if (!slider->isEnabled() && QWidget::mouseGrabber() != slider) {
        return;
    }
    bool& captured = context_.windows.mouseCaptured;
    if (captured) {
        const QPoint topLeft = slider->mapToGlobal(QPoint(0, 0));
        const int left = topLeft.x(), top = topLeft.y();
        const int right = left + slider->width(), bottom = top + slider->height();
        if (globalPos.x() < left || globalPos.x() > right || globalPos.y() < top ||
            globalPos.y() > bottom) {
            releaseCapture();
        }
    } else {
        // Holding the mouse is how we learn that the cursor has left the slider.
        slider->grabMouse();
        captured = true;
        if (ready_) {
            showPopup(true);
        }
    }
    if (!ready_) {
        return;
    }
    // The cursor as the window's client area measures it, the slider where the page has it.
    const QPoint p = panel_.cursorInClient(globalPos);
    const int d = preview::frameAtCursor(slider->maximum(), slider->width(),
                                         panel_.sliderOnPage().x(), p.x());
    c().previewTime->setText(QString::fromStdString(
        preview::timeText(static_cast<long long>(d) * preview::kSecondsPerFrame)));
    slider->setValue(d);
    c().previewFrame->move(preview::popupLeft(p.x(), c().previewFrame->width()),
                           c().previewFrame->y());
    showFrame(d);
    c().previewPointer->move(preview::pointerLeft(c().previewFrame->x()), c().previewPointer->y());
}

void PreviewController::onPopupMouseMove(QPoint) {
    // Moving onto the popup closes it.
    if (context_.windows.mouseCaptured) {
        releaseCapture();
    }
}

}  // namespace arlo::ui
