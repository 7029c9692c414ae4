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

std::string languageName(int index) {
    return std::string(index == 1 ? catalogue::kLanguageMandarin : catalogue::kLanguageJapanese);
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
      navigator_(context.playback, context.catalogue(), context.runDirectory.toStdString()) {
    connect(&listPanel, &EpisodeListPanel::dropDownClosed, this, [this](QComboBox* chooser) {
        closedDropDown_ = chooser;
        QTimer::singleShot(0, this, [this] { closedDropDown_ = nullptr; });
    });
}

NavigationAdapter::~NavigationAdapter() = default;

playback::ChosenEpisode NavigationAdapter::chosenEpisode() const {
    playback::ChosenEpisode chosen = episodeList_.chosenEpisode();
    chosen.category = std::string(listPanel_.categoryIndex() == 1 ? catalogue::kCategoryMovie
                                                                  : catalogue::kCategoryTv);
    chosen.language = languageName(listPanel_.languageIndex());
    return chosen;
}

void NavigationAdapter::playClicked() {
    show(navigator_.playButton(chosenEpisode()));
}

void NavigationAdapter::playHoveredMovie() {
    show(navigator_.playMovie(context_.windows.hoveredMovie,
                              languageName(listPanel_.languageIndex())));
}

void NavigationAdapter::trailerChosen() {
    const playback::TrailerView view = navigator_.trailer();
    inform(view.notice);
    // The page is written already; the window only shows it, modal for the whole program.
    auto* trailer = new TrailerWindow(view.path, &main_);
    trailer->setWindowModality(Qt::ApplicationModal);
    trailer->show();
}

void NavigationAdapter::categoryChosen() {
    episodeList_.resetSearchBox();
    listPanel_.parkFocus(Qt::OtherFocusReason);
    if (const auto shown =
            playback::switchCategory(context_.catalogue(), listPanel_.categoryIndex(),
                                     pages_.currentIndex(), listPanel_.languageIndex())) {
        showList(*shown);
    }
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    context_.windows.mouseCaptured = false;
    refocusAfterDropDown(listPanel_.controls().categoryChooser);
}

void NavigationAdapter::languageChosen() {
    if (const auto shown = playback::switchLanguage(
            context_.catalogue(), listPanel_.languageIndex(), episodeList_.episodeListRowCount(),
            listPanel_.categoryIndex())) {
        // Until a row of the new list is chosen there is nothing to play. An open Player
        // window plays on from its own list.
        episodeList_.forgetChosenEpisode();
        episodeList_.resetSearchBox();
        showList(*shown);
        listPanel_.parkFocus(Qt::OtherFocusReason);
    }
    refocusAfterDropDown(listPanel_.controls().languageChooser);
}

void NavigationAdapter::showList(const playback::ListSwitch& shown) {
    const bool tv = shown.page == 0;
    listPanel_.setLanguageChooserEnabled(tv);
    if (tv) {
        episodeList_.hideSearchResults();
        episodeList_.clearEpisodeList();
    }
    listPanel_.showEpisodeCount(shown.count);
    if (tv) {
        episodeList_.refreshNow();
    }
    pages_.setCurrentIndex(shown.page);
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

void NavigationAdapter::loadPlayer() {
    // A window of its own, not a child of the Main window: it has its own task bar entry and
    // the Main window's shutdown closes it.
    player_ = new PlayerWindow(nullptr);
    emit playerLoaded(player_);
    connect(player_, &PlayerWindow::previousClicked, this,
            [this] { show(navigator_.previous(player_->selectedEpisodeIndex())); });
    connect(player_, &PlayerWindow::nextClicked, this,
            [this] { show(navigator_.next(player_->selectedEpisodeIndex())); });
    connect(player_, &PlayerWindow::episodeSelectionChanged, this,
            [this](int index) { show(navigator_.playEpisodeAt(index)); });
    connect(player_, &PlayerWindow::sourceSelectionChanged, this, [this](int index) {
        show(navigator_.switchSource(index,
                                     player_->sourceChooser()->itemText(index).toStdString()));
    });
}

void NavigationAdapter::show(const playback::PlayerView& view) {
    if (view.openPlayer) {
        if (player_.isNull()) {
            loadPlayer();
        }
        player_->restoreAndActivate();
    }
    if (player_ && !view.episodes && view.episodeIndex) {
        player_->selectEpisode(*view.episodeIndex);
    }
    if (player_ && !view.caption.empty()) {
        player_->setWindowTitle(fromUtf8(view.caption));
    }
    if (player_ && !view.sources.empty()) {
        player_->setSources(view.sources);
        player_->selectSource(view.sourceIndex);
    }
    inform(view.notice);
    if (player_ && view.page) {
        player_->showPlayerPage(view.page->path, view.page->source);
        // Every playback start of a TV episode goes into the watch history.
        const playback::PlaybackSession& playing = navigator_.session();
        if (playing.category == catalogue::kCategoryTv) {
            episodeList_.recordPlay(playing.language, playing.episode);
        }
    }
    if (player_ && view.episodes) {
        player_->setEpisodes(*view.episodes);
        if (view.episodeIndex) {
            player_->selectEpisode(*view.episodeIndex);
        }
    }
}

void NavigationAdapter::inform(const std::optional<playback::Notice>& notice) {
    if (notice && context_.notices != nullptr) {
        context_.notices->inform(fromUtf8(notice->caption), fromUtf8(notice->text));
    }
}

}  // namespace arlo::ui
