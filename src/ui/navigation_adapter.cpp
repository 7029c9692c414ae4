#include "ui/navigation_adapter.h"

#include <QStackedWidget>
#include <QTimer>

#include "catalogue/catalogue.h"
#include "ui/episode_list_controller.h"
#include "ui/episode_list_panel.h"
#include "ui/episode_panel.h"
#include "ui/notices.h"
#include "ui/player_window.h"
#include "ui/trailer_window.h"
#include "ui/widgets/combo_box.h"

namespace arlo::ui {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

NavigationAdapter::NavigationAdapter(QWidget& main, QStackedWidget& pages,
                                     EpisodeListPanel& listPanel, EpisodePanel& episodePanel,
                                     EpisodeListController& episodeList, AppContext& context)
    : main_(main),
      pages_(pages),
      listPanel_(listPanel),
      episodePanel_(episodePanel),
      episodeList_(episodeList),
      context_(context),
      // Windows made without a run directory keep the page in the folder its path names.
      navigator_(context.state, context.catalogue(), *this, context.runDirectory.toStdString()) {
    connect(&listPanel, &EpisodeListPanel::dropDownClosed, this, [this](QComboBox* chooser) {
        closedDropDown_ = chooser;
        QTimer::singleShot(0, this, [this] { closedDropDown_ = nullptr; });
    });
}

NavigationAdapter::~NavigationAdapter() = default;

void NavigationAdapter::playClicked() {
    navigator_.playButton(episodeList_.chosenEpisode());
}

void NavigationAdapter::playHoveredMovie() {
    navigator_.playHoveredMovie();
}

void NavigationAdapter::trailerChosen() {
    navigator_.trailer();
}

void NavigationAdapter::categoryChosen() {
    navigator_.categoryChanged();
    refocusAfterDropDown(listPanel_.controls().categoryChooser);
}

void NavigationAdapter::languageChosen() {
    navigator_.languageChanged();
    refocusAfterDropDown(listPanel_.controls().languageChooser);
}

void NavigationAdapter::refocusAfterDropDown(QComboBox* chooser) {
    if (closedDropDown_ != chooser) {
        return;
    }
    // Over the movie page, where the episode panel is not shown, the search icon parks it.
    if (episodePanel_.isVisible()) {
        episodePanel_.parkFocus(Qt::OtherFocusReason);
    } else {
        listPanel_.parkFocus(Qt::OtherFocusReason);
    }
}

bool NavigationAdapter::isPlayerLoaded() const {
    return !player_.isNull();
}

void NavigationAdapter::loadPlayer() {
    // A window of its own, not a child of the Main window: it has its own task bar entry and
    // the Main window's shutdown closes it.
    player_ = new PlayerWindow(nullptr);
    emit playerLoaded(player_);
    connect(player_, &PlayerWindow::activated, this, [this] { navigator_.startPlayback(); });
    connect(player_, &PlayerWindow::previousClicked, this, [this] { navigator_.previous(); });
    connect(player_, &PlayerWindow::nextClicked, this, [this] { navigator_.next(); });
    connect(player_, &PlayerWindow::episodeSelectionChanged, this,
            [this](int) { navigator_.playSelectedEpisode(); });
    connect(player_, &PlayerWindow::sourceSelectionChanged, this, [this](int index) {
        navigator_.switchSource(index, player_->sourceChooser()->itemText(index).toStdString());
    });
}

void NavigationAdapter::activatePlayer() {
    if (player_.isNull()) {
        return;
    }
    player_->restoreAndActivate();
}

void NavigationAdapter::setPlayerCaption(const std::string& caption) {
    if (player_) {
        player_->setWindowTitle(fromUtf8(caption));
    }
}

void NavigationAdapter::setSources(const std::vector<std::string>& names) {
    if (player_) {
        player_->setSources(names);
    }
}

void NavigationAdapter::selectSource(int index) {
    if (player_) {
        player_->selectSource(index);
    }
}

void NavigationAdapter::setEpisodes(const std::vector<playback::EpisodeItem>& items) {
    if (player_) {
        player_->setEpisodes(items);
    }
}

void NavigationAdapter::selectEpisode(int index) {
    if (player_) {
        player_->selectEpisode(index);
    }
}

int NavigationAdapter::selectedEpisodeIndex() const {
    return player_ ? player_->selectedEpisodeIndex() : -1;
}

int NavigationAdapter::episodeCount() const {
    return player_ ? player_->episodeCount() : 0;
}

playback::EpisodeItem NavigationAdapter::episodeAt(int index) const {
    return player_ ? player_->episodeAt(index) : playback::EpisodeItem{};
}

void NavigationAdapter::showPage(const std::string& path, const std::string& source) {
    if (player_) {
        player_->showPlayerPage(path, source);
    }
}

void NavigationAdapter::openTrailerWindow(const std::string& path) {
    // The page is written already; the window only shows it, modal for the whole program.
    auto* trailer = new TrailerWindow(path, &main_);
    trailer->setWindowModality(Qt::ApplicationModal);
    trailer->show();
}

int NavigationAdapter::categoryIndex() const {
    return listPanel_.categoryIndex();
}

int NavigationAdapter::languageIndex() const {
    return listPanel_.languageIndex();
}

int NavigationAdapter::tabPage() const {
    return pages_.currentIndex();
}

void NavigationAdapter::setTabPage(int page) {
    pages_.setCurrentIndex(page);
}

void NavigationAdapter::resetSearchBox() {
    episodeList_.resetSearchBox();
}

void NavigationAdapter::focusSearchIcon() {
    listPanel_.parkFocus(Qt::OtherFocusReason);
}

void NavigationAdapter::setLanguageChooserEnabled(bool enabled) {
    listPanel_.setLanguageChooserEnabled(enabled);
}

void NavigationAdapter::hideSearchResults() {
    episodeList_.hideSearchResults();
}

int NavigationAdapter::episodeListRowCount() const {
    return episodeList_.episodeListRowCount();
}

void NavigationAdapter::clearEpisodeList() {
    episodeList_.clearEpisodeList();
}

void NavigationAdapter::setCountLabel(int count) {
    listPanel_.showEpisodeCount(count);
}

void NavigationAdapter::refreshEpisodeListNow() {
    episodeList_.refreshNow();
}

void NavigationAdapter::forgetChosenEpisode() {
    episodeList_.forgetChosenEpisode();
}

void NavigationAdapter::releaseMouseCapture() {
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
}

void NavigationAdapter::inform(const std::string& caption, const std::string& text) {
    if (context_.notices != nullptr) {
        context_.notices->inform(fromUtf8(caption), fromUtf8(text));
    }
}

}  // namespace arlo::ui
