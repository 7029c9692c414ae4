#include "ui/episode_panel.h"

#include <QProgressBar>
#include <QPushButton>

#include "catalogue/episode_rows.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

namespace {

const QColor kTeal(0x00, 0x80, 0x80);
const QColor kHeadingBlue(0x00, 0x60, 0xC0);

// The panel's place on the page; the controls below are placed in page coordinates.
const QRect kPanelOnPage(0, 347, 393, 118);

// What the panel says while no episode is chosen.
QString seriesTitle() {
    return QString::fromUtf8(catalogue::kSeriesTitle.data(),
                             static_cast<qsizetype>(catalogue::kSeriesTitle.size()));
}
const QString kPreviewTimeUnchosen = QStringLiteral("预览图");
const QString kPreviewStatusUnchosen = QStringLiteral("滑动预览");

QRect onPanel(QRect onPage) {
    return onPage.translated(-kPanelOnPage.topLeft());
}

}  // namespace

EpisodePanel::EpisodePanel(QWidget* page, const QWidget* client) : QWidget(page), client_(client) {
    setGeometry(kPanelOnPage);
    build(page);
    bindEvents();
}

EpisodePanel::~EpisodePanel() {
    // Hiding the controls on the way out makes them emit; nothing may reach a half-gone panel.
    for (QObject* child : findChildren<QObject*>()) {
        disconnect(child, nullptr, this, nullptr);
    }
    // The popup's controls are the page's children.
    for (QWidget* control :
         std::initializer_list<QWidget*>{c_.previewFrame, c_.previewPicture, c_.previewPointer}) {
        for (QObject* watcher : control->findChildren<MouseWatcher*>()) {
            disconnect(watcher, nullptr, this, nullptr);
        }
    }
}

void EpisodePanel::build(QWidget* page) {
    c_.seriesLogo = makePictureBox(this, QStringLiteral("图片框2"), onPanel({171, 347, 220, 90}),
                                   picturePath(QStringLiteral("series_logo.png")));
    c_.cover = makeDrawingPanel(this, QStringLiteral("画板1"), onPanel({9, 347, 160, 90}));
    c_.episodeHeading = makeLabel(this, QStringLiteral("标签4"), onPanel({176, 349, 205, 17}),
                                  seriesTitle(), uiFont(16), kHeadingBlue);
    c_.episodeTitle = makeLabel(this, QStringLiteral("标签5"), onPanel({176, 366, 212, 37}),
                                QString(), uiFont(14), QColor(0x00, 0x80, 0x00), true);
    c_.playButton = makeImageButton(this, QStringLiteral("超级按钮1"), onPanel({174, 405, 92, 31}),
                                    QStringLiteral("播放"), heiFont(16));
    c_.sourceLabel =
        makeLabel(this, QStringLiteral("标签6"), onPanel({272, 418, 32, 18}),
                  QStringLiteral("来源："), uiFont(kDefaultFontPixels), QColor(0xB9, 0xB9, 0xB9));
    c_.sourceLabel->hide();
    c_.iqiyiButton = makeImageButton(this, QStringLiteral("超级按钮2"), onPanel({314, 407, 32, 32}),
                                     QStringLiteral("爱奇艺"), uiFont(kDefaultFontPixels));
    c_.iqiyiButton->setStatePictures(picturePath(QStringLiteral("icon_iqiyi_normal.png")),
                                     picturePath(QStringLiteral("icon_iqiyi_hover.png")),
                                     picturePath(QStringLiteral("icon_iqiyi_pressed.png")));
    c_.iqiyiButton->hide();
    c_.letvButton = makeImageButton(this, QStringLiteral("超级按钮3"), onPanel({354, 407, 32, 32}),
                                    QStringLiteral("乐视"), uiFont(kDefaultFontPixels));
    c_.letvButton->setStatePictures(picturePath(QStringLiteral("icon_letv_normal.png")),
                                    picturePath(QStringLiteral("icon_letv_hover.png")),
                                    picturePath(QStringLiteral("icon_letv_pressed.png")));
    c_.letvButton->hide();
    c_.letvButton->setEnabled(false);
    c_.previewTime = makeLabel(this, QStringLiteral("标签7"), onPanel({9, 439, 55, 24}),
                               kPreviewTimeUnchosen, uiFont(13), kTeal);
    c_.previewSlider =
        makeProgressBar(this, QStringLiteral("进度条1"), onPanel({68, 445, 261, 13}), 1000);
    c_.previewSlider->setEnabled(false);
    c_.previewStatus = makeLabel(this, QStringLiteral("标签1"), onPanel({334, 439, 54, 24}),
                                 kPreviewStatusUnchosen, uiFont(13), kTeal);
    // The series logo covers the panel until a row is chosen.
    c_.seriesLogo->raise();

    // The popup floats over everything on the page.
    c_.previewFrame = makePictureBox(page, QStringLiteral("图片框4"), {345, 40, 40, 32});
    c_.previewFrame->hide();
    c_.previewPicture = makeDrawingPanel(page, QStringLiteral("画板3"), {345, 80, 16, 16});
    c_.previewPicture->hide();
    c_.previewPointer = makeTransparentLabel(page, QStringLiteral("透明标签1"), {289, 24, 100, 8},
                                             QStringLiteral("▼"), serifFont(15));
    c_.previewPointer->hide();
    c_.previewFrame->raise();
    c_.previewPicture->raise();
    c_.previewPointer->raise();
}

void EpisodePanel::bindEvents() {
    connect(c_.playButton, &QPushButton::clicked, this, &EpisodePanel::playClicked);
    connect(MouseWatcher::of(c_.previewSlider), &MouseWatcher::moved, this,
            [this](QPoint, QPoint globalPos) { emit sliderMouseMoved(globalPos); });
    connect(MouseWatcher::of(c_.previewPicture), &MouseWatcher::moved, this,
            [this](QPoint, QPoint globalPos) { emit popupMouseMoved(globalPos); });
}

void EpisodePanel::showStartState() {
    // The preview picture moves into its frame, keeping its coordinates.
    const QRect pictureGeometry = c_.previewPicture->geometry();
    c_.previewPicture->setParent(c_.previewFrame);
    c_.previewPicture->setGeometry(pictureGeometry);
    showNothingChosen();
}

void EpisodePanel::showNothingChosen() {
    c_.cover->setBackgroundPicture(picturePath(QStringLiteral("default_preview.jpg")));
    c_.episodeHeading->setText(seriesTitle());
    c_.episodeTitle->setWordWrap(true);
    c_.episodeTitle->clear();
    c_.previewSlider->setMaximum(1000);
    c_.previewSlider->setValue(0);
    c_.previewSlider->setEnabled(false);
    c_.previewTime->setText(kPreviewTimeUnchosen);
    c_.previewStatus->setText(kPreviewStatusUnchosen);
    setTextColour(c_.previewStatus, kTeal);
    for (QWidget* popup :
         std::initializer_list<QWidget*>{c_.previewFrame, c_.previewPicture, c_.previewPointer}) {
        popup->hide();
    }
    c_.previewPicture->setBackgroundPicture(QPixmap());
    c_.seriesLogo->show();
    c_.seriesLogo->raise();
}

void EpisodePanel::showEpisode(const QString& heading, const QString& title) {
    if (!c_.seriesLogo->isHidden()) {
        c_.seriesLogo->hide();  // the episode panel shows from the first choice on
    }
    c_.episodeHeading->setText(heading);
    c_.episodeTitle->setWordWrap(catalogue::titleNeedsWrap(title.toStdString()));
    c_.episodeTitle->setText(title);

    c_.previewSlider->setMaximum(1000);
    c_.previewSlider->setValue(1);
    c_.previewSlider->setEnabled(false);
    c_.previewTime->setText(QStringLiteral("00:00:00"));
}

void EpisodePanel::showNoPreviews() {
    c_.cover->setBackgroundPicture(picturePath(QStringLiteral("no_preview.jpg")));
    c_.previewStatus->setText(QStringLiteral("暂无预览"));
}

void EpisodePanel::parkFocus(Qt::FocusReason reason) {
    c_.previewTime->setFocus(reason);
}

QRect EpisodePanel::sliderOnPage() const {
    return c_.previewSlider->geometry().translated(pos());
}

QPoint EpisodePanel::cursorInClient(QPoint globalPos) const {
    return client_->mapFromGlobal(globalPos);
}

}  // namespace arlo::ui
