#include "ui/main_window.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>

#include "catalogue/catalogue.h"
#include "catalogue/episode_rows.h"
#include "ui/about_window.h"
#include "ui/episode_list_controller.h"
#include "ui/episode_list_view.h"
#include "ui/guestbook_window.h"
#include "ui/main_menu.h"
#include "ui/navigation_adapter.h"
#include "ui/poster_grid.h"
#include "ui/poster_page.h"
#include "ui/preview_controller.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

namespace {

const QColor kTeal(0x00, 0x80, 0x80);
const QColor kHeadingBlue(0x00, 0x60, 0xC0);
const QColor kPlaceholderGrey(0xC0, 0xC0, 0xC0);

// The count label shows the length of whichever list is chosen, in the face that "Arial"
// resolves to on this system, which may be wider. It widens to hold the widest count, up to
// the label beside it; only where even that is too narrow do its characters get smaller.
void fitCountLabel(Label* count, int roomRight) {
    using catalogue::List;
    const catalogue::Catalogue& catalogue = catalogue::Catalogue::builtIn();
    const QString layoutCaption = count->text();
    const int room = roomRight - count->x();
    auto widest = [count, &catalogue] {
        int width = 0;
        for (const List list : {List::JapaneseTitles, List::MandarinTitles, List::MovieTitles}) {
            count->setText(QString::number(catalogue.count(list)));
            width = std::max(width, count->sizeHint().width());
        }
        return width;
    };
    int needed = widest();
    for (QFont font = count->font(); needed > room && font.pixelSize() > 8;) {
        font.setPixelSize(font.pixelSize() - 1);
        count->setFont(font);
        needed = widest();
    }
    count->setText(layoutCaption);
    if (needed > count->width()) {
        count->resize(needed, count->height());
    }
}

}  // namespace

MainWindow::MainWindow(AppContext& context) : context_(context) {
    setObjectName(QStringLiteral("主窗口"));
    setWindowTitle(QStringLiteral("Arlo迷"));
    setFont(uiFont(kDefaultFontPixels));
    menu_ = new MainMenu(this);
    setMenuBar(menu_);
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("客户区"));
    setCentralWidget(client);
    buildWindowControls(client);
    buildEpisodePage(c_.pages->widget(0));
    posterPage_ = new PosterPage(context_, c_.pages);
    c_.pages->addWidget(posterPage_);
    preview_ = std::make_unique<PreviewController>(context_, c_);
    episodeList_ = std::make_unique<EpisodeListController>(c_, context_);
    connect(episodeList_.get(), &EpisodeListController::previewWanted, this,
            &MainWindow::startPreviewLoaders);
    connect(episodeList_.get(), &EpisodeListController::previewNotWanted, preview_.get(),
            &PreviewController::chooseWithoutPreviews);
    navigation_ = std::make_unique<NavigationAdapter>(*this, *episodeList_, context_);
    bindEvents();
    connect(posterPage_, &PosterPage::playRequested, this, &MainWindow::onPosterPlayRequested);
    setOuterGeometry(this, QPoint(50, 50), QSize(397, 610), true);
}

MainWindow::~MainWindow() {
    // The base destructor hides the controls before it deletes them, and hiding makes them
    // emit (the search box loses the focus, each chooser reports its drop-down closed): no
    // handler of this window may run once it is half gone.
    for (QObject* child : findChildren<QObject*>()) {
        disconnect(child, nullptr, this, nullptr);
    }
}

void MainWindow::buildWindowControls(QWidget* client) {
    c_.logo = makeDrawingPanel(client, QStringLiteral("画板2"), {9, 5, 128, 38});
    c_.searchFrame = makeFramePanel(client, QStringLiteral("外形框4"), {161, 12, 212, 29});
    c_.searchBox = makeEditBox(c_.searchFrame, QStringLiteral("编辑框1"), {31, 1, 180, 24},
                               QStringLiteral("查找"), uiFont(14), kPlaceholderGrey);
    c_.searchBox->setFrame(false);
    c_.searchIcon = makePictureBox(client, QStringLiteral("图片框3"), {169, 18, 15, 15},
                                   picturePath(QStringLiteral("magnifier.jpg")));
    const QStringList categories = {QStringLiteral("TV版"), QStringLiteral("剧场版")};
    c_.categoryChooser =
        makeComboBox(client, QStringLiteral("组合框1"), {0, 61, 97, 27}, categories, uiFont(13));
    const QStringList languages = {QStringLiteral("日语"), QStringLiteral("国语")};
    c_.languageChooser =
        makeComboBox(client, QStringLiteral("组合框2"), {93, 61, 81, 27}, languages, uiFont(13));
    c_.updatedTo = makeLabel(client, QStringLiteral("标签10"), {185, 61, 40, 27},
                             QStringLiteral("更新至"), uiFont(13), kTeal);
    c_.episodeCount = makeLabel(client, QStringLiteral("标签11"), {230, 61, 34, 27},
                                QStringLiteral("n"), arialFont(18, true), QColor(0xFF, 0, 0));
    c_.episodeUnit = makeLabel(client, QStringLiteral("标签12"), {272, 61, 40, 27},
                               QStringLiteral("集"), uiFont(13), kTeal);
    fitCountLabel(c_.episodeCount, c_.episodeUnit->x() - 1);
    c_.pages = makePageContainer(client, QStringLiteral("高级选择夹1"), {-1, 88, 393, 465}, 1);
}

void MainWindow::buildEpisodePage(QWidget* page) {
    c_.numberHeading = makeLabel(page, QStringLiteral("标签2"), {0, 0, 63, 25},
                                 QStringLiteral("   集数"), uiFont(16));
    c_.titleHeading = makeLabel(page, QStringLiteral("标签3"), {62, 0, 331, 25},
                                QString(28, QLatin1Char(' ')) + QStringLiteral("目录"), uiFont(16));
    for (auto [list, name] : {std::pair{&c_.episodeList, QStringLiteral("超级列表框1")},
                              std::pair{&c_.resultList, QStringLiteral("超级列表框2")}}) {
        *list = new EpisodeListView(page);
        (*list)->setObjectName(name);
        (*list)->setGeometry(0, 25, 393, 315);
        (*list)->setFont(uiFont(17));
    }
    c_.resultList->hide();
    c_.nothingFound = makePictureBox(page, QStringLiteral("图片框1"), {1, 25, 391, 315},
                                     picturePath(QStringLiteral("nothing_found.png")));
    c_.nothingFound->hide();
    c_.resultCount = makeLabel(page, QStringLiteral("标签8"), {257, 1, 132, 23},
                               QStringLiteral("搜索到 n 个结果"), uiFont(13), kPlaceholderGrey);
    c_.resultCount->hide();
    c_.seriesLogo = makePictureBox(page, QStringLiteral("图片框2"), {171, 347, 220, 90},
                                   picturePath(QStringLiteral("series_logo.png")));
    c_.cover = makeDrawingPanel(page, QStringLiteral("画板1"), {9, 347, 160, 90});
    c_.episodeHeading =
        makeLabel(page, QStringLiteral("标签4"), {176, 349, 205, 17},
                  QString::fromUtf8(catalogue::kSeriesTitle.data(),
                                    static_cast<qsizetype>(catalogue::kSeriesTitle.size())),
                  uiFont(16), kHeadingBlue);
    c_.episodeTitle = makeLabel(page, QStringLiteral("标签5"), {176, 366, 212, 37}, QString(),
                                uiFont(14), QColor(0x00, 0x80, 0x00), true);
    c_.playButton = makeImageButton(page, QStringLiteral("超级按钮1"), {174, 405, 92, 31},
                                    QStringLiteral("播放"), heiFont(16));
    c_.sourceLabel =
        makeLabel(page, QStringLiteral("标签6"), {272, 418, 32, 18}, QStringLiteral("来源："),
                  uiFont(kDefaultFontPixels), QColor(0xB9, 0xB9, 0xB9));
    c_.sourceLabel->hide();
    c_.iqiyiButton = makeImageButton(page, QStringLiteral("超级按钮2"), {314, 407, 32, 32},
                                     QStringLiteral("爱奇艺"), uiFont(kDefaultFontPixels));
    c_.iqiyiButton->setStatePictures(picturePath(QStringLiteral("icon_iqiyi_normal.png")),
                                     picturePath(QStringLiteral("icon_iqiyi_hover.png")),
                                     picturePath(QStringLiteral("icon_iqiyi_pressed.png")));
    c_.iqiyiButton->hide();
    c_.letvButton = makeImageButton(page, QStringLiteral("超级按钮3"), {354, 407, 32, 32},
                                    QStringLiteral("乐视"), uiFont(kDefaultFontPixels));
    c_.letvButton->setStatePictures(picturePath(QStringLiteral("icon_letv_normal.png")),
                                    picturePath(QStringLiteral("icon_letv_hover.png")),
                                    picturePath(QStringLiteral("icon_letv_pressed.png")));
    c_.letvButton->hide();
    c_.letvButton->setEnabled(false);
    c_.previewTime = makeLabel(page, QStringLiteral("标签7"), {9, 439, 55, 24},
                               QStringLiteral("预览图"), uiFont(13), kTeal);
    c_.previewSlider = makeProgressBar(page, QStringLiteral("进度条1"), {68, 445, 261, 13}, 1000);
    c_.previewSlider->setEnabled(false);
    c_.previewStatus = makeLabel(page, QStringLiteral("标签1"), {334, 439, 54, 24},
                                 QStringLiteral("滑动预览"), uiFont(13), kTeal);
    c_.previewFrame = makePictureBox(page, QStringLiteral("图片框4"), {345, 40, 40, 32});
    c_.previewFrame->hide();
    c_.previewPicture = makeDrawingPanel(page, QStringLiteral("画板3"), {345, 80, 16, 16});
    c_.previewPicture->hide();
    c_.previewPointer = makeTransparentLabel(page, QStringLiteral("透明标签1"), {289, 24, 100, 8},
                                             QStringLiteral("▼"), serifFont(15));
    c_.previewPointer->hide();
    // The series logo covers the episode panel until a row is chosen, and the preview
    // pop-up floats over everything on the page.
    c_.seriesLogo->raise();
    c_.previewFrame->raise();
    c_.previewPicture->raise();
    c_.previewPointer->raise();
}

void MainWindow::bindEvents() {
    MouseWatcher* client = MouseWatcher::of(centralWidget());
    connect(client, &MouseWatcher::leftReleased, this, &MainWindow::onMainLeftButtonReleased);
    connect(client, &MouseWatcher::moved, this,
            [this](QPoint, QPoint globalPos) { onMainMouseMove(globalPos); });
    connect(MouseWatcher::of(c_.logo), &MouseWatcher::moved, this,
            [this](QPoint, QPoint globalPos) { onLogoMouseMove(globalPos); });

    connect(c_.searchBox, &EditBox::gotFocus, this, &MainWindow::onSearchFocusIn);
    connect(c_.searchBox, &EditBox::lostFocus, this, &MainWindow::onSearchFocusOut);
    connect(c_.searchBox, &QLineEdit::textChanged, this, &MainWindow::onSearchTextChanged);
    connect(c_.episodeList, &EpisodeListView::rowClicked, this, &MainWindow::onEpisodeListClicked);
    connect(c_.resultList, &EpisodeListView::rowClicked, this, &MainWindow::onResultListClicked);

    connect(c_.categoryChooser, &QComboBox::activated, this, &MainWindow::onCategoryChanged);
    connect(c_.languageChooser, &QComboBox::activated, this, &MainWindow::onLanguageChanged);
    for (ComboBox* chooser : {c_.categoryChooser, c_.languageChooser}) {
        connect(chooser, &ComboBox::dropDownClosed, this, &MainWindow::onChooserDropDownClosed);
    }

    connect(c_.playButton, &QPushButton::clicked, this, &MainWindow::onPlayClicked);
    connect(MouseWatcher::of(c_.previewSlider), &MouseWatcher::moved, this,
            [this](QPoint, QPoint globalPos) { onPreviewSliderMouseMove(globalPos); });
    connect(MouseWatcher::of(c_.previewPicture), &MouseWatcher::moved, this,
            [this](QPoint, QPoint globalPos) { onPreviewPopupMouseMove(globalPos); });

    connect(menu_, &MainMenu::trailerChosen, this, &MainWindow::onTrailerMenu);
    connect(menu_, &MainMenu::guestbookChosen, this, &MainWindow::onGuestbookMenu);
    connect(menu_, &MainMenu::aboutChosen, this, &MainWindow::onAboutMenu);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!created_) {
        created_ = true;
        emit created();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closing();
}

void MainWindow::showStartState() {
    c_.logo->setBackgroundPicture(picturePath(QStringLiteral("logo.png")));
    c_.cover->setBackgroundPicture(picturePath(QStringLiteral("default_preview.jpg")));
    c_.categoryChooser->setCurrentIndex(0);
    c_.languageChooser->setCurrentIndex(0);
    c_.episodeCount->setText(
        QString::number(catalogue::Catalogue::builtIn().count(catalogue::List::JapaneseTitles)));

    // The preview picture moves into its frame, keeping its coordinates.
    const QRect pictureGeometry = c_.previewPicture->geometry();
    c_.previewPicture->setParent(c_.previewFrame);
    c_.previewPicture->setGeometry(pictureGeometry);
    c_.previewPicture->hide();
}

void MainWindow::chooseCategory(int index) {
    c_.categoryChooser->setCurrentIndex(index);
    onCategoryChanged(index);
}

QWidget* MainWindow::episodeListViewport() const {
    return c_.episodeList->viewport();
}

int MainWindow::episodeListRowCount() const {
    return episodeList_->episodeListRowCount();
}

PosterGrid* MainWindow::posterGrid() const {
    return &posterPage_->grid();
}

void MainWindow::setUpMoviePage() {
    posterPage_->setUp();
}

void MainWindow::startEpisodeListRefresh() {
    episodeList_->refreshLater();
}

void MainWindow::startPreviewLoaders(const QString& thumbnailUrl, const QString& previewCode) {
    preview_->setSelection(thumbnailUrl, previewCode);
    preview_->startThumbnailLoader();
    preview_->startPreviewLoader();
}

void MainWindow::onMainLeftButtonReleased() {
    // Parks the keyboard focus, so the search box gives up its caret.
    c_.searchIcon->setFocus(Qt::MouseFocusReason);
}

void MainWindow::onMainMouseMove(QPoint) {
    posterPage_->mainWindowMouseMove();
}

void MainWindow::onLogoMouseMove(QPoint globalPos) {
    bool& captured = context_.state.mouseCaptured;
    if (!captured) {
        // Holding the mouse is how we learn that the cursor has left the logo.
        c_.logo->grabMouse();
        captured = true;
        c_.logo->setBackgroundPicture(picturePath(QStringLiteral("logo_hover.png")));
        return;
    }
    const QRect onScreen(c_.logo->mapToGlobal(QPoint(0, 0)), c_.logo->size());
    if (!onScreen.contains(globalPos)) {
        c_.logo->releaseMouse();
        captured = false;
        c_.logo->setBackgroundPicture(picturePath(QStringLiteral("logo.png")));
    }
}

void MainWindow::onSearchFocusIn() {
    episodeList_->searchFocusIn();
}

void MainWindow::onSearchFocusOut() {
    episodeList_->searchFocusOut();
}

void MainWindow::onSearchTextChanged(const QString& text) {
    episodeList_->searchTextChanged(text);
}

void MainWindow::onEpisodeListClicked(int row) {
    episodeList_->chooseRow(*c_.episodeList, row);
}

void MainWindow::onResultListClicked(int row) {
    episodeList_->chooseRow(*c_.resultList, row);
}

void MainWindow::onCategoryChanged(int) {
    navigation_->categoryChosen();
}

void MainWindow::onLanguageChanged(int) {
    navigation_->languageChosen();
}

void MainWindow::onChooserDropDownClosed() {
    // Takes the focus mark off the chooser.
    c_.previewTime->setFocus(Qt::OtherFocusReason);
}

void MainWindow::onPlayClicked() {
    navigation_->playClicked();
}

void MainWindow::onPreviewSliderMouseMove(QPoint globalPos) {
    preview_->onSliderMouseMove(globalPos);
}

void MainWindow::onPreviewPopupMouseMove(QPoint globalPos) {
    preview_->onPopupMouseMove(globalPos);
}

void MainWindow::onPosterPlayRequested() {
    navigation_->playHoveredMovie();
}

void MainWindow::onTrailerMenu() {
    navigation_->trailerChosen();
}

void MainWindow::onGuestbookMenu() {
    GuestbookWindow guestbook(context_);
    guestbook.exec();
}

void MainWindow::onAboutMenu() {
    AboutWindow about;
    about.exec();
}

}  // namespace arlo::ui
