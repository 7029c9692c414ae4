#include "playback/navigation.h"

#include <filesystem>
#include <utility>

#include "catalogue/list_text.h"

namespace arlo::playback {

using catalogue::List;
namespace vocab = catalogue;

std::string nowPlayingCaption(int number, std::string_view title) {
    return "正在播放：  " + episodeItemText(number, title);
}

std::string episodeItemText(int number, std::string_view title) {
    return "第" + std::to_string(number) + "集  " + std::string(title);
}

std::size_t idsNeeded(const catalogue::PlaybackState& state) {
    return state.language == vocab::kLanguageJapanese ? 1 : 3;
}

bool episodeChosen(const catalogue::PlaybackState& state, const ChosenEpisode& chosen) {
    // A click below the last row chooses a row with empty cells: no number and no id.
    return chosen.number >= 1 && chosen.ids.size() >= idsNeeded(state) &&
           !chosen.ids.front().empty();
}

Navigator::Navigator(catalogue::PlaybackState& state, const catalogue::Catalogue& catalogue,
                     NavigationUi& ui, std::string runDirectory)
    : state_(state), catalogue_(catalogue), ui_(ui), runDirectory_(std::move(runDirectory)) {}

std::string Navigator::sourceId(std::size_t index) const {
    const std::vector<std::string>& ids = state_.playing.ids;
    return index < ids.size() ? ids[index] : std::string();
}

void Navigator::playButton(const ChosenEpisode& chosen) {
    if (!episodeChosen(state_, chosen)) {
        ui_.inform(std::string(kCaptionHint), std::string(kChooseFirst));
        return;
    }
    state_.sourceIds = chosen.ids;
    openPlayer(chosen.number, chosen.title);
}

void Navigator::writePage(PageTemplate which, const std::string& playId) {
    std::string runDirectory = runDirectory_;
    if (runDirectory.empty()) {
        std::filesystem::path folder = std::filesystem::path(state_.playerPagePath).parent_path();
        if (folder.empty()) {
            // A bare file name, or none, lies in the working folder.
            std::error_code ignored;
            folder = std::filesystem::current_path(ignored);
        }
        runDirectory = folder.string();
    }
    const PlacedPage placed =
        placePlayerPage(state_.playerPagePath, playerPageFolders(runDirectory), which, playId);
    state_.playerPagePath = placed.path;
    if (placed.result == PageWrite::Failed) {
        // The view then shows an empty page.
        ui_.inform(std::string(kCaptionHint), std::string(kPageNotWritten));
    }
}

void Navigator::showPage() {
    ui_.showPage(state_.playerPagePath, state_.source);
}

void Navigator::openPlayer(int number, const std::string& title) {
    state_.currentEpisode = number;
    state_.nowPlayingCaption = nowPlayingCaption(number, title);
    state_.playerActivationPending = false;
    if (!ui_.isPlayerLoaded()) {
        ui_.loadPlayer();
    }
    ui_.activatePlayer();
    // The desktop may keep the window from becoming active (focus-stealing prevention, no
    // window manager, a native window re-created while the page view starts): the playback
    // starts here, and the activation, if it comes, finds it started.
    startPlayback();
}

void Navigator::playHoveredMovie() {
    const int n = state_.hoveredMovie;
    openPlayer(n, catalogue_.value(List::MovieTitles, n));
}

void Navigator::startPlayback() {
    if (state_.playerActivationPending) {
        return;  // later activations change nothing
    }
    state_.playerActivationPending = true;
    state_.playing = {state_.category, state_.language, state_.sourceIds};
    const catalogue::PlayerPlayback& playing = state_.playing;
    ui_.setPlayerCaption(state_.nowPlayingCaption);

    const std::string sohu(vocab::kSourceSohu);
    const std::string letv(vocab::kSourceLeTV);
    const std::string iqiyi(vocab::kSourceIqiyi);
    if (playing.category == vocab::kCategoryMovie) {
        ui_.setSources({letv});
        state_.source = letv;
        state_.currentPlayId = catalogue_.value(List::MovieLeTVIds, state_.currentEpisode);
        ui_.selectSource(0);
    } else if (playing.language != vocab::kLanguageJapanese) {
        ui_.setSources({sohu, letv, iqiyi});
        int index = 0;
        if (state_.source == letv) {
            index = 1;
        } else if (state_.source == iqiyi) {
            index = 2;
        } else {
            state_.source = sohu;  // first playback, or an unknown source
        }
        state_.currentPlayId = sourceId(static_cast<std::size_t>(index));
        ui_.selectSource(index);
    } else {
        state_.source = sohu;
        state_.currentPlayId = sourceId(0);
        ui_.setSources({sohu});
        ui_.selectSource(0);
    }
    writePage(chooseTemplate(playing.category, playing.language, state_.source),
              state_.currentPlayId);
    showPage();

    fillEpisodeChooser();
    ui_.selectEpisode(state_.currentEpisode - 1);
}

const std::vector<std::string>& Navigator::titleLinesForChooser() const {
    static const std::vector<std::string> none;
    const catalogue::PlayerPlayback& playing = state_.playing;
    if (playing.category == vocab::kCategoryMovie) {
        return catalogue_.lines(List::MovieTitles);
    }
    if (playing.category != vocab::kCategoryTv) {
        return none;
    }
    return catalogue_.lines(playing.language == vocab::kLanguageJapanese ? List::JapaneseTitles
                                                                         : List::MandarinTitles);
}

void Navigator::fillEpisodeChooser() {
    const auto& lines = titleLinesForChooser();
    std::vector<EpisodeItem> items;
    items.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int n = static_cast<int>(i + 1);
        items.push_back({episodeItemText(n, catalogue::valueAfterLastDash(lines[i])), n});
    }
    ui_.setEpisodes(items);
}

void Navigator::playSelectedEpisode() {
    const int index = ui_.selectedEpisodeIndex();
    if (index < 0 || index >= ui_.episodeCount()) {
        return;
    }
    const EpisodeItem item = ui_.episodeAt(index);
    const int n = item.number;
    if (n == state_.currentEpisode) {
        return;  // already playing
    }
    state_.currentEpisode = n;
    state_.nowPlayingCaption = "正在播放：  " + item.text;
    ui_.setPlayerCaption(state_.nowPlayingCaption);

    // The episode comes from the Player window's own list; the Main window's chosen row
    // stays as it is.
    catalogue::PlayerPlayback& playing = state_.playing;
    if (playing.category == vocab::kCategoryTv) {
        std::vector<std::string>& ids = playing.ids;
        ids.clear();
        if (playing.language == vocab::kLanguageJapanese) {
            ids.push_back(catalogue_.value(List::JapaneseSohuIds, n));
            state_.currentPlayId = ids.front();
        } else {
            ids.push_back(catalogue_.value(List::MandarinSohuIds, n));
            ids.push_back(catalogue_.value(List::MandarinLeTVIds, n));
            ids.push_back(catalogue_.value(List::MandarinIqiyiIds, n));
            if (state_.source == vocab::kSourceSohu) {
                state_.currentPlayId = ids[0];
            } else if (state_.source == vocab::kSourceLeTV) {
                state_.currentPlayId = ids[1];
            } else if (state_.source == vocab::kSourceIqiyi) {
                state_.currentPlayId = ids[2];
            }
        }
    } else if (playing.category == vocab::kCategoryMovie) {
        state_.currentPlayId = catalogue_.value(List::MovieLeTVIds, n);
    }
    writePage(chooseTemplate(playing.category, playing.language, state_.source),
              state_.currentPlayId);
    showPage();
}

void Navigator::switchSource(int index, const std::string& name) {
    if (name == state_.source) {
        return;
    }
    state_.source = name;
    const catalogue::PlayerPlayback& playing = state_.playing;
    if (playing.language == vocab::kLanguageJapanese) {
        return;
    }
    // The template follows the chooser position ("搜狐", "乐视", "爱奇艺"). Without an id for
    // that position nothing is rewritten rather than reading past the playing episode's ids.
    static constexpr PageTemplate kByPosition[] = {PageTemplate::SohuVid, PageTemplate::LeTV,
                                                   PageTemplate::Iqiyi};
    if (index < 0 || index > 2 || static_cast<std::size_t>(index) >= playing.ids.size()) {
        return;
    }
    state_.currentPlayId = playing.ids[static_cast<std::size_t>(index)];
    writePage(kByPosition[index], state_.currentPlayId);
    showPage();
}

void Navigator::next() {
    if (ui_.selectedEpisodeIndex() == ui_.episodeCount() - 1) {
        ui_.inform(std::string(kCaptionFriendly), std::string(kAlreadyLast));
        return;
    }
    const int target = state_.currentEpisode;  // the entry after the current one
    if (target < 0 || target >= ui_.episodeCount()) {
        return;
    }
    ui_.selectEpisode(target);
    playSelectedEpisode();
}

void Navigator::previous() {
    if (ui_.selectedEpisodeIndex() == 0) {
        ui_.inform(std::string(kCaptionFriendly), std::string(kAlreadyFirst));
        return;
    }
    const int target = state_.currentEpisode - 2;  // the entry before the current one
    if (target < 0 || target >= ui_.episodeCount()) {
        return;
    }
    ui_.selectEpisode(target);
    playSelectedEpisode();
}

void Navigator::trailer() {
    writePage(PageTemplate::SohuId, catalogue_.trailerPlayId());
    ui_.openTrailerWindow(state_.playerPagePath);
}

void Navigator::categoryChanged() {
    ui_.resetSearchBox();
    ui_.focusSearchIcon();
    const int category = ui_.categoryIndex();
    const int page = ui_.tabPage();
    if (category == 0 && page == 1) {
        state_.category = std::string(vocab::kCategoryTv);
        ui_.setLanguageChooserEnabled(true);
        ui_.hideSearchResults();
        ui_.clearEpisodeList();
        ui_.setCountLabel(catalogue_.count(ui_.languageIndex() == 1 ? List::MandarinTitles
                                                                    : List::JapaneseTitles));
        ui_.refreshEpisodeListNow();
        ui_.setTabPage(0);
    } else if (category == 1 && page == 0) {
        state_.category = std::string(vocab::kCategoryMovie);
        ui_.setLanguageChooserEnabled(false);
        ui_.setCountLabel(catalogue_.count(List::MovieTitles));
        ui_.setTabPage(1);
    }
    ui_.releaseMouseCapture();
    state_.mouseCaptured = false;
}

void Navigator::languageChanged() {
    const int language = ui_.languageIndex();
    const int rows = ui_.episodeListRowCount();
    const bool tv = ui_.categoryIndex() == 0;
    List list;
    if (language == 0 && rows != catalogue_.count(List::JapaneseTitles) && tv) {
        state_.language = std::string(vocab::kLanguageJapanese);
        list = List::JapaneseTitles;
    } else if (language == 1 && rows != catalogue_.count(List::MandarinTitles) && tv) {
        state_.language = std::string(vocab::kLanguageMandarin);
        list = List::MandarinTitles;
    } else {
        return;
    }
    // The chosen row belongs to the list no longer shown: until a row of the new list is
    // chosen there is nothing to play. An open Player window plays on from its own list.
    ui_.forgetChosenEpisode();
    ui_.resetSearchBox();
    ui_.hideSearchResults();
    ui_.clearEpisodeList();
    ui_.setCountLabel(catalogue_.count(list));
    ui_.refreshEpisodeListNow();
    ui_.focusSearchIcon();
}

}  // namespace arlo::playback
