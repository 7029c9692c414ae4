#include "ui/main_window.h"

#include <QCloseEvent>
#include <QStackedWidget>

#include "ui/about_window.h"
#include "ui/episode_list_controller.h"
#include "ui/episode_list_panel.h"
#include "ui/episode_list_view.h"
#include "ui/episode_panel.h"
#include "ui/guestbook_window.h"
#include "ui/main_menu.h"
#include "ui/navigation_adapter.h"
#include "ui/poster_grid.h"
#include "ui/poster_page.h"
#include "ui/preview_controller.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

MainWindow::MainWindow(AppContext& context) : context_(context) {
    setObjectName(QStringLiteral("主窗口"));
    setWindowTitle(QStringLiteral("Arlo迷"));
    setFont(uiFont(kDefaultFontPixels));
    menu_ = new MainMenu(this);
    setMenuBar(menu_);
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("客户区"));
    setCentralWidget(client);
    logo_ = makeDrawingPanel(client, QStringLiteral("画板2"), {9, 5, 128, 38});
    pages_ = makePageContainer(client, QStringLiteral("高级选择夹1"), {-1, 88, 393, 465}, 1);
    QWidget* tvPage = pages_->widget(0);
    listPanel_ = new EpisodeListPanel(client, tvPage, context_.catalogue());
    episodePanel_ = new EpisodePanel(tvPage, client);
    posterPage_ = new PosterPage(context_, pages_);
    pages_->addWidget(posterPage_);
    preview_ = std::make_unique<PreviewController>(context_, *episodePanel_);
    episodeList_ = std::make_unique<EpisodeListController>(*listPanel_, context_);
    connect(episodeList_.get(), &EpisodeListController::episodeChosen, episodePanel_,
            &EpisodePanel::showEpisode);
    connect(episodeList_.get(), &EpisodeListController::previewWanted, this,
            &MainWindow::startPreviewLoaders);
    connect(episodeList_.get(), &EpisodeListController::previewNotWanted, episodePanel_,
            &EpisodePanel::showNoPreviews);
    connect(episodeList_.get(), &EpisodeListController::previewNotWanted, preview_.get(),
            &PreviewController::chooseWithoutPreviews);
    // What the panel shows and what Play plays agree: with the choice gone, so is its cover.
    connect(episodeList_.get(), &EpisodeListController::choiceCleared, preview_.get(),
            &PreviewController::chooseWithoutPreviews);
    connect(episodeList_.get(), &EpisodeListController::choiceCleared, episodePanel_,
            &EpisodePanel::showNothingChosen);
    navigation_ = std::make_unique<NavigationAdapter>(*this, *pages_, *listPanel_, *episodePanel_,
                                                      *episodeList_, context_);
    connect(navigation_.get(), &NavigationAdapter::playerLoaded, this,
            &MainWindow::setPlayerWindow);
    bindEvents();
    setOuterGeometry(this, QPoint(50, 50), QSize(397, 610), true);
}

MainWindow::~MainWindow() {
    // The base destructor hides the controls before it deletes them, and hiding makes them
    // emit (the search box loses the focus, each chooser reports its drop-down closed): no
    // handler of this window may run once it is half gone. The controllers go before the
    // controls, and their connections with them.
    for (QObject* child : findChildren<QObject*>()) {
        disconnect(child, nullptr, this, nullptr);
    }
}

void MainWindow::bindEvents() {
    MouseWatcher* client = MouseWatcher::of(centralWidget());
    connect(client, &MouseWatcher::leftReleased, this, [this] {
        // Parks the keyboard focus, so the search box gives up its caret.
        listPanel_->parkFocus(Qt::MouseFocusReason);
    });
    connect(client, &MouseWatcher::moved, posterPage_, &PosterPage::mainWindowMouseMove);
    connect(MouseWatcher::of(logo_), &MouseWatcher::moved, this,
            [this](QPoint, QPoint globalPos) { onLogoMouseMove(globalPos); });

    EpisodeListPanel* list = listPanel_;
    NavigationAdapter* navigation = navigation_.get();
    connect(list, &EpisodeListPanel::playRequested, navigation, &NavigationAdapter::playClicked);
    connect(list, &EpisodeListPanel::categoryChosen, this, [this](int index) {
        if (index == 1) {
            // Built before the page is shown, as if the set-up had run its course.
            posterPage_->setUpNow();
        }
    });
    connect(list, &EpisodeListPanel::categoryChosen, navigation,
            &NavigationAdapter::categoryChosen);
    connect(list, &EpisodeListPanel::languageChosen, navigation,
            &NavigationAdapter::languageChosen);
    // Takes the focus mark off the chooser.
    connect(list, &EpisodeListPanel::dropDownClosed, this,
            [this] { episodePanel_->parkFocus(Qt::OtherFocusReason); });

    connect(episodePanel_, &EpisodePanel::playClicked, navigation, &NavigationAdapter::playClicked);
    connect(episodePanel_, &EpisodePanel::sliderMouseMoved, preview_.get(),
            &PreviewController::onSliderMouseMove);
    connect(episodePanel_, &EpisodePanel::popupMouseMoved, preview_.get(),
            &PreviewController::onPopupMouseMove);
    connect(posterPage_, &PosterPage::playRequested, navigation,
            &NavigationAdapter::playHoveredMovie);

    connect(menu_, &MainMenu::trailerChosen, navigation, &NavigationAdapter::trailerChosen);
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
    logo_->setBackgroundPicture(picturePath(QStringLiteral("logo.png")));
    episodePanel_->showStartState();
    listPanel_->showStartState();
}

void MainWindow::chooseCategory(int index) {
    listPanel_->chooseCategory(index);
}

QWidget* MainWindow::episodeListViewport() const {
    return listPanel_->controls().episodeList->viewport();
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

void MainWindow::onLogoMouseMove(QPoint globalPos) {
    bool& captured = context_.windows.mouseCaptured;
    if (!captured) {
        // Holding the mouse is how we learn that the cursor has left the logo.
        logo_->grabMouse();
        captured = true;
        logo_->setBackgroundPicture(picturePath(QStringLiteral("logo_hover.png")));
        return;
    }
    const QRect onScreen(logo_->mapToGlobal(QPoint(0, 0)), logo_->size());
    if (!onScreen.contains(globalPos)) {
        logo_->releaseMouse();
        captured = false;
        logo_->setBackgroundPicture(picturePath(QStringLiteral("logo.png")));
    }
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
