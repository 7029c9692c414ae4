#include "ui/poster_grid.h"

#include <QEventLoop>
#include <QHelpEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include "catalogue/catalogue.h"
#include "pictures/pictures.h"
#include "ui/poster_layout.h"
#include "ui/skinned/placement.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

namespace {

using namespace std::chrono_literals;

constexpr auto kCellPause = 1ms;
constexpr auto kSettlePause = 10ms;
const char* const kTag = "tag";

QRect toRect(posters::Box box) {
    return {box.left, box.top, box.width, box.height};
}

QRect onScreen(const QWidget* widget) {
    return {widget->mapToGlobal(QPoint(0, 0)), widget->size()};
}

}  // namespace

void waitPumpingEvents(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(duration);
    loop.exec();
}

PosterGrid::PosterGrid(AppContext& context, const PosterControls& controls, QObject* parent)
    : QObject(parent), context_(context), c_(controls), wait_(waitPumpingEvents) {
    setObjectName(QStringLiteral("posterGrid"));
}

PosterGrid::~PosterGrid() = default;

FramePanel* PosterGrid::cell(int k) const {
    return k >= 1 && k <= cellCount() ? cells_[k - 1].frame : nullptr;
}

PictureBox* PosterGrid::poster(int k) const {
    return k >= 1 && k <= cellCount() ? cells_[k - 1].poster : nullptr;
}

Label* PosterGrid::title(int k) const {
    return k >= 1 && k <= cellCount() ? cells_[k - 1].title : nullptr;
}

QWidget* PosterGrid::playButton() const {
    return c_.posterPlayButton;
}

void PosterGrid::setUp() {
    if (stage_ != Stage::NotStarted) {
        return;
    }
    stage_ = Stage::Building;
    layOutScrollArea();
    prepareOverlay();
    prepareButton();
    buildGrid();
}

void PosterGrid::setUpNow() {
    hurried_ = true;
    if (stage_ == Stage::NotStarted) {
        setUp();
    } else if (stage_ == Stage::Building) {
        // Called from inside one of the set-up's pauses: the cells built so far stay.
        buildRemainingCells();
    }
}

void PosterGrid::layOutScrollArea() {
    const posters::ScrollAreaLayout layout = posters::scrollAreaLayout(
        c_.posterOuter->width(), c_.posterOuter->height(), c_.posterScrollBar->width());
    c_.posterScrollBar->setGeometry(toRect(layout.scrollBar));
    c_.posterViewport->setGeometry(toRect(layout.viewport));
    c_.posterGrid->setGeometry(toRect(layout.container));
    for (QWidget* own : {static_cast<QWidget*>(c_.posterPicture), static_cast<QWidget*>(c_.overlay),
                         static_cast<QWidget*>(c_.posterPlayButton)}) {
        keepMouseToItself(own);
    }
    // The wheel anywhere over the grid turns it, as it does over the scroll bar.
    connect(MouseWatcher::of(c_.posterGrid, true), &MouseWatcher::wheelTurned, this,
            &PosterGrid::wheelTurned);
}

void PosterGrid::prepareOverlay() {
    overlayBox_.attachAsPictureBox(c_.overlay);
    overlayBox_.setBackImage(builtInImage(pictures::kOverlay, c_.overlay));
    overlayBox_.setPlacementMode(skinned::kPlaceStretch);
}

void PosterGrid::prepareButton() {
    button_.attachAsButton(c_.posterPlayButton);
    const QImage normal = builtInImage(pictures::kPlayNormal, c_.posterPlayButton);
    const QImage hover = builtInImage(pictures::kPlayHover, c_.posterPlayButton);
    // Pressing shows the normal picture again; there is no disabled look.
    button_.setImages(normal, hover, normal);
    button_.setPlacementMode(skinned::kPlaceStretch);
    button_.setToolTip(QStringLiteral("点击播放"));
    // The toolkit asks for a tip from the control that had the last move. When the mouse
    // stops on the button, that may be the overlay, which held the mouse and hands it to the
    // button only on the next move, or the poster the overlay came up over: the grid answers
    // for them.
    c_.posterGrid->installEventFilter(this);
    // The skinned button handles its own input before other watchers see it; the Main
    // window's watcher goes back in front so the button's moves still reach us.
    c_.posterPlayButton->installEventFilter(MouseWatcher::of(c_.posterPlayButton));
}

PosterGrid::Cell PosterGrid::cloneTemplateCell(int k) {
    const QString suffix = QLatin1Char('_') + QString::number(k);
    Cell cell;
    cell.frame = makeFramePanel(c_.posterGrid, c_.posterCell->objectName() + suffix,
                                c_.posterCell->geometry());
    cell.poster = makePictureBox(cell.frame, c_.posterPicture->objectName() + suffix,
                                 toRect(posters::kPosterInCell));
    const Label* label = c_.posterTitle;
    cell.title = makeLabel(cell.frame, label->objectName() + suffix, toRect(posters::kTitleInCell),
                           label->text(), label->font(), textColour(label), label->wordWrap());
    cell.title->setAlignment(label->alignment());
    cell.title->setAttribute(Qt::WA_TransparentForMouseEvents,
                             label->testAttribute(Qt::WA_TransparentForMouseEvents));
    PictureBox* poster = cell.poster;
    keepMouseToItself(poster);
    connect(MouseWatcher::of(poster), &MouseWatcher::moved, this,
            [this, poster](QPoint, QPoint) { posterMouseMove(poster); });
    return cell;
}

void PosterGrid::keepMouseToItself(QWidget* widget) {
    // A move belongs to the control under the mouse alone: the overlay's moves must not
    // reach the poster beneath it, nor the button's the overlay. The wheel still turns the
    // grid from anywhere on it.
    widget->setAttribute(Qt::WA_NoMousePropagation);
    connect(MouseWatcher::of(widget, true), &MouseWatcher::wheelTurned, this,
            &PosterGrid::wheelTurned, Qt::UniqueConnection);
}

void PosterGrid::buildGrid() {
    // The overlay waits inside the (hidden) template poster until a poster is entered.
    c_.overlay->setParent(c_.posterPicture);
    c_.posterPlayButton->setParent(c_.overlay);
    c_.posterPlayButton->show();
    cells_.clear();
    c_.posterCell->setGeometry(toRect(posters::kFirstCell));

    const posters::Box overlayBox = posters::kOverlayInPoster;
    overlayBox_.move(overlayBox.left, overlayBox.top, overlayBox.width, overlayBox.height);
    button_.move(std::nullopt, std::nullopt, posters::kPlayButtonSize, posters::kPlayButtonSize);
    const posters::Box buttonBox =
        posters::playButtonBox(c_.posterPlayButton->width(), c_.posterPlayButton->height());
    button_.move(buttonBox.left, buttonBox.top);

    buildRemainingCells();
}

void PosterGrid::buildRemainingCells() {
    const QPointer<QWidget> container = c_.posterGrid;
    const posters::Box first = {c_.posterCell->x(), c_.posterCell->y(), c_.posterCell->width(),
                                c_.posterCell->height()};
    while (cellCount() < posters::kCellCount) {
        const int k = cellCount() + 1;
        const Cell cell = cloneTemplateCell(k);
        cells_.push_back(cell);
        cell.poster->setProperty(kTag, QString::number(k));
        cell.frame->setGeometry(toRect(posters::cellFrame(k, first)));
        cell.frame->show();
        cell.poster->show();
        cell.title->show();
        if (!hurried_) {
            wait_(kCellPause);
            if (container.isNull()) {
                return;  // the window went away while we waited
            }
        }
    }
    if (stage_ == Stage::Building) {
        // Not yet filled by a call that finished the grid while this one waited.
        fillGrid();
    }
}

void PosterGrid::fillGrid() {
    const catalogue::Catalogue& catalogue = catalogue::Catalogue::builtIn();
    for (int i = 1; i <= cellCount(); ++i) {
        cells_[i - 1].poster->setPicture(pictures::poster(i));
        cells_[i - 1].title->setText(
            QString::fromStdString(catalogue.value(catalogue::List::MovieTitles, i)));
    }

    const FramePanel* last = cells_.back().frame;
    const int height =
        posters::containerHeight({last->x(), last->y(), last->width(), last->height()});
    c_.posterGrid->resize(c_.posterGrid->width(), height);

    QScrollBar* bar = c_.posterScrollBar;
    const int viewport = c_.posterViewport->height();
    bar->setMaximum(posters::scrollMaximum(height, viewport));
    bar->setPageStep(viewport);
    // An arrow key moves the grid as far as a notch of the wheel does.
    bar->setSingleStep(posters::kWheelStep);
    bar->setValue(0);
    // A hidden control taking the keyboard would leave the user typing into nothing.
    if (bar->isVisible()) {
        bar->setFocus(Qt::OtherFocusReason);
    }

    releaseCapture();
    stage_ = Stage::Done;
    emit setUpFinished();
    if (!hurried_) {
        wait_(kSettlePause);
    }
}

void PosterGrid::releaseCapture() {
    if (QWidget* holder = QWidget::mouseGrabber()) {
        holder->releaseMouse();
    }
    context_.windows.mouseCaptured = false;
}

void PosterGrid::hideOverlay() {
    c_.overlay->hide();
}

bool PosterGrid::isOnOverlay(QPoint globalPos) const {
    return onScreen(c_.overlay).contains(globalPos);
}

bool PosterGrid::isOnButton(QPoint globalPos) const {
    return onScreen(c_.posterPlayButton).contains(globalPos);
}

void PosterGrid::posterMouseMove(PictureBox* poster) {
    if (poster == nullptr) {
        return;
    }
    WindowFlags& windows = context_.windows;
    windows.hoveredMovie = poster->property(kTag).toString().toInt();
    if (!poster->picture().isNull() && !windows.mouseCaptured) {
        if (c_.overlay->parentWidget() != poster) {
            c_.overlay->setParent(poster);
        }
        overlayBox_.move(0, 0, poster->width(), poster->height());
        c_.overlay->show();
        c_.overlay->raise();
    }
    // Keys and the wheel now scroll the grid.
    c_.posterScrollBar->setFocus(Qt::MouseFocusReason);
}

void PosterGrid::posterMouseMoveAt(QPoint globalPos) {
    for (const Cell& cell : cells_) {
        if (cell.poster->isVisible() && onScreen(cell.poster).contains(globalPos)) {
            posterMouseMove(cell.poster);
            return;
        }
    }
    posterMouseMove(c_.posterPicture);
}

void PosterGrid::overlayMouseMove(QPoint globalPos) {
    bool& captured = context_.windows.mouseCaptured;
    if (!captured) {
        // Holding the mouse is how we learn that the cursor has left the overlay.
        c_.overlay->grabMouse();
        captured = true;
        return;
    }
    if (!isOnOverlay(globalPos)) {
        c_.overlay->releaseMouse();
        captured = false;
        hideOverlay();
    }
    if (isOnButton(globalPos)) {
        // The button takes over on the next move.
        c_.overlay->releaseMouse();
        captured = false;
    }
}

void PosterGrid::playButtonMouseMove(QPoint globalPos) {
    bool& captured = context_.windows.mouseCaptured;
    if (!captured) {
        c_.posterPlayButton->grabMouse();
        captured = true;
        return;
    }
    if (!isOnButton(globalPos)) {
        c_.posterPlayButton->releaseMouse();
        captured = false;
        if (!isOnOverlay(globalPos)) {
            hideOverlay();
        }
    }
}

void PosterGrid::mainWindowMouseMove() {
    // While a control holds the mouse, moves reach the window only as that control's
    // leftovers; the window acts on its own moves, when a capture was lost elsewhere.
    if (QWidget::mouseGrabber() != nullptr) {
        return;
    }
    if (context_.windows.mouseCaptured) {
        releaseCapture();
        hideOverlay();
    }
}

bool PosterGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched != c_.posterGrid || event->type() != QEvent::ToolTip) {
        return false;
    }
    const QPoint globalPos = static_cast<QHelpEvent*>(event)->globalPos();
    QPushButton* button = c_.posterPlayButton;
    if (!button->isVisible() || !isOnButton(globalPos)) {
        return false;
    }
    QToolTip::showText(globalPos, button->toolTip(), button);
    return true;
}

void PosterGrid::playClicked() {
    releaseCapture();
    hideOverlay();
    emit playRequested();
}

void PosterGrid::scrolled(int position) {
    c_.posterGrid->move(c_.posterGrid->x(), -position);
}

void PosterGrid::wheelTurned(int notches) {
    QScrollBar* bar = c_.posterScrollBar;
    if (!bar->isVisible()) {
        return;
    }
    bar->setValue(posters::wheelPosition(bar->value(), notches, bar->maximum()));
    c_.posterGrid->update();
    c_.posterViewport->update();
    c_.posterOuter->update();
}

}  // namespace arlo::ui
