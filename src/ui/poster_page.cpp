#include "ui/poster_page.h"

#include <QPushButton>
#include <QScrollBar>

#include "catalogue/catalogue.h"
#include "ui/poster_grid.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

PosterPage::PosterPage(AppContext& context, QWidget* parent) : QWidget(parent) {
    const QColor headingBlue(0x00, 0x60, 0xC0);
    c_.posterOuter = makeFramePanel(this, QStringLiteral("外形框3"), {1, 1, 391, 463});
    c_.posterScrollBar =
        makeScrollBar(c_.posterOuter, QStringLiteral("多功能条1"), {304, 16, 24, 100});
    c_.posterViewport = makeFramePanel(c_.posterOuter, QStringLiteral("外形框2"), {1, 1, 367, 422});
    c_.posterGrid = makeFramePanel(c_.posterViewport, QStringLiteral("外形框1"), {1, 1, 342, 397});
    c_.posterCell = makeFramePanel(c_.posterGrid, QStringLiteral("外形框_边框"), {8, 16, 164, 272});
    c_.posterPicture = makePictureBox(c_.posterCell, QStringLiteral("图片框5"), {1, 1, 162, 230});
    c_.posterPicture->hide();
    const QString firstTitle = QString::fromStdString(
        catalogue::Catalogue::builtIn().value(catalogue::List::MovieTitles, 1));
    c_.posterTitle = makeLabel(c_.posterCell, QStringLiteral("标签9"), {1, 231, 162, 40},
                               firstTitle, uiFont(18, true), headingBlue, true);
    c_.overlay = makePictureBox(c_.posterGrid, QStringLiteral("图片框6"), {176, 160, 162, 230});
    c_.posterPlayButton = makePushButton(c_.posterGrid, QStringLiteral("按钮1"), {216, 80, 80, 72},
                                         QStringLiteral("播放按钮"), uiFont(kDefaultFontPixels));
    c_.posterScrollBar->raise();
    grid_ = std::make_unique<PosterGrid>(context, c_, nullptr);
    connect(grid_.get(), &PosterGrid::playRequested, this, &PosterPage::playRequested);
    bindEvents();
}

PosterPage::~PosterPage() {
    // Hiding the controls on the way out makes them emit; the grid is gone by then.
    for (QObject* child : findChildren<QObject*>()) {
        disconnect(child, nullptr, this, nullptr);
    }
    grid_.reset();
}

void PosterPage::bindEvents() {
    PosterGrid* grid = grid_.get();
    connect(MouseWatcher::of(c_.posterPicture), &MouseWatcher::moved, this,
            [grid](QPoint, QPoint globalPos) { grid->posterMouseMoveAt(globalPos); });
    connect(MouseWatcher::of(c_.overlay), &MouseWatcher::moved, this,
            [grid](QPoint, QPoint globalPos) { grid->overlayMouseMove(globalPos); });
    connect(MouseWatcher::of(c_.posterPlayButton), &MouseWatcher::moved, this,
            [grid](QPoint, QPoint globalPos) { grid->playButtonMouseMove(globalPos); });
    connect(c_.posterPlayButton, &QPushButton::clicked, this, [grid] { grid->playClicked(); });
    connect(c_.posterScrollBar, &QScrollBar::valueChanged, this,
            [grid](int value) { grid->scrolled(value); });
    connect(MouseWatcher::of(c_.posterScrollBar, true), &MouseWatcher::wheelTurned, this,
            [grid](int notches) { grid->wheelTurned(notches); });
}

void PosterPage::setUp() {
    grid_->setUp();
}

void PosterPage::setUpNow() {
    grid_->setUpNow();
}

void PosterPage::mainWindowMouseMove() {
    grid_->mainWindowMouseMove();
}

}  // namespace arlo::ui
