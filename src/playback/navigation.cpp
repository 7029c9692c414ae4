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

std::size_t idsNeeded(std::string_view language) {
    return language == vocab::kLanguageJapanese ? 1 : 3;
}

bool hasChosenEpisode(const ChosenEpisode& chosen) {
    // A click below the last row chooses a row with empty cells: no number and no id.
    return chosen.number >= 1 && chosen.ids.size() >= idsNeeded(chosen.language) &&
           !chosen.ids.front().empty();
}

std::optional<ListSwitch> switchCategory(const catalogue::Catalogue& catalogue, int category,
                                         int page, int language) {
    if (category == 0 && page == 1) {
        const List list = language == 1 ? List::MandarinTitles : List::JapaneseTitles;
        return ListSwitch{list, catalogue.count(list), 0};
    }
    if (category == 1 && page == 0) {
        return ListSwitch{List::MovieTitles, catalogue.count(List::MovieTitles), 1};
    }
    return std::nullopt;
}

std::optional<ListSwitch> switchLanguage(const catalogue::Catalogue& catalogue, int language,
                                         int rows, int category) {
    if (category != 0 || language < 0 || language > 1) {
        return std::nullopt;
    }
    const List list = language == 1 ? List::MandarinTitles : List::JapaneseTitles;
    if (rows == catalogue.count(list)) {
        return std::nullopt;
    }
    return ListSwitch{list, catalogue.count(list), 0};
}

Navigator::Navigator(PlaybackSession& session, const catalogue::Catalogue& catalogue,
                     std::string runDirectory)
    : session_(session), catalogue_(catalogue), runDirectory_(std::move(runDirectory)) {}

std::string Navigator::sourceId(std::size_t index) const {
    const std::vector<std::string>& ids = session_.ids;
    return index < ids.size() ? ids[index] : std::string();
}

PlayerView Navigator::playButton(const ChosenEpisode& chosen) {
    if (!hasChosenEpisode(chosen)) {
        PlayerView refused;
        refused.notice = Notice{std::string(kCaptionHint), std::string(kChooseFirst)};
        return refused;
    }
    return open(chosen);
}

PlayerView Navigator::playMovie(int number, const std::string& language) {
    return open({std::string(vocab::kCategoryMovie),
                 language,
                 number,
                 catalogue_.value(List::MovieTitles, number),
                 {}});
}

std::optional<Notice> Navigator::writePage(PageTemplate which, const std::string& playId) {
    std::string runDirectory = runDirectory_;
    if (runDirectory.empty()) {
        std::filesystem::path folder = std::filesystem::path(session_.pagePath).parent_path();
        if (folder.empty()) {
            // A bare file name, or none, lies in the working folder.
            std::error_code ignored;
            folder = std::filesystem::current_path(ignored);
        }
        runDirectory = folder.string();
    }
    const PlacedPage placed =
        placePlayerPage(session_.pagePath, playerPageFolders(runDirectory), which, playId);
    session_.pagePath = placed.path;
    if (placed.result == PageWrite::Failed) {
        // The view then shows an empty page.
        return Notice{std::string(kCaptionHint), std::string(kPageNotWritten)};
    }
    return std::nullopt;
}

void Navigator::showSessionPage(PlayerView& view) {
    view.notice = writePage(chooseTemplate(session_.category, session_.language, session_.source),
                            session_.playId);
    view.page = ShownPage{session_.pagePath, session_.source};
}

PlayerView Navigator::open(const ChosenEpisode& chosen) {
    session_.episode = chosen.number;
    session_.caption = nowPlayingCaption(chosen.number, chosen.title);
    session_.category = chosen.category;
    session_.language = chosen.language;
    session_.ids = chosen.ids;

    PlayerView view;
    // The desktop may keep the window from becoming active (focus-stealing prevention, no
    // window manager, a native window re-created while the page view starts): the playback
    // starts whether or not the activation comes.
    view.openPlayer = true;
    view.caption = session_.caption;
    const std::string sohu(vocab::kSourceSohu);
    const std::string letv(vocab::kSourceLeTV);
    const std::string iqiyi(vocab::kSourceIqiyi);
    if (session_.category == vocab::kCategoryMovie) {
        view.sources = {letv};
        session_.source = letv;
        session_.playId = catalogue_.value(List::MovieLeTVIds, session_.episode);
    } else if (session_.language != vocab::kLanguageJapanese) {
        view.sources = {sohu, letv, iqiyi};
        if (session_.source == letv) {
            view.sourceIndex = 1;
        } else if (session_.source == iqiyi) {
            view.sourceIndex = 2;
        } else {
            session_.source = sohu;  // first playback, or an unknown source
        }
        session_.playId = sourceId(static_cast<std::size_t>(view.sourceIndex));
    } else {
        view.sources = {sohu};
        session_.source = sohu;
        session_.playId = sourceId(0);
    }
    showSessionPage(view);
    view.episodes = episodeItems();
    view.episodeIndex = session_.episode - 1;
    return view;
}

const std::vector<std::string>& Navigator::titleLinesForChooser() const {
    static const std::vector<std::string> none;
    if (session_.category == vocab::kCategoryMovie) {
        return catalogue_.lines(List::MovieTitles);
    }
    if (session_.category != vocab::kCategoryTv) {
        return none;
    }
    return catalogue_.lines(session_.language == vocab::kLanguageJapanese ? List::JapaneseTitles
                                                                          : List::MandarinTitles);
}

std::vector<EpisodeItem> Navigator::episodeItems() const {
    const auto& lines = titleLinesForChooser();
    std::vector<EpisodeItem> items;
    items.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int n = static_cast<int>(i + 1);
        items.push_back({episodeItemText(n, catalogue::valueAfterLastDash(lines[i])), n});
    }
    return items;
}

PlayerView Navigator::playEpisodeAt(int index) {
    const auto& lines = titleLinesForChooser();
    if (index < 0 || static_cast<std::size_t>(index) >= lines.size()) {
        return {};
    }
    const int n = index + 1;
    if (n == session_.episode) {
        return {};  // already playing
    }
    session_.episode = n;
    session_.caption =
        nowPlayingCaption(n, catalogue::valueAfterLastDash(lines[static_cast<std::size_t>(index)]));
    PlayerView view;
    view.caption = session_.caption;

    // The episode comes from the Player window's own list; the Main window's chosen row
    // stays as it is.
    if (session_.category == vocab::kCategoryTv) {
        std::vector<std::string>& ids = session_.ids;
        ids.clear();
        if (session_.language == vocab::kLanguageJapanese) {
            ids.push_back(catalogue_.value(List::JapaneseSohuIds, n));
            session_.playId = ids.front();
        } else {
            ids.push_back(catalogue_.value(List::MandarinSohuIds, n));
            ids.push_back(catalogue_.value(List::MandarinLeTVIds, n));
            ids.push_back(catalogue_.value(List::MandarinIqiyiIds, n));
            if (session_.source == vocab::kSourceSohu) {
                session_.playId = ids[0];
            } else if (session_.source == vocab::kSourceLeTV) {
                session_.playId = ids[1];
            } else if (session_.source == vocab::kSourceIqiyi) {
                session_.playId = ids[2];
            }
        }
    } else if (session_.category == vocab::kCategoryMovie) {
        session_.playId = catalogue_.value(List::MovieLeTVIds, n);
    }
    showSessionPage(view);
    return view;
}

PlayerView Navigator::switchSource(int index, const std::string& name) {
    if (name == session_.source) {
        return {};
    }
    session_.source = name;
    if (session_.language == vocab::kLanguageJapanese) {
        return {};
    }
    // The template follows the chooser position ("搜狐", "乐视", "爱奇艺"). Without an id for
    // that position nothing is rewritten rather than reading past the playing episode's ids.
    static constexpr PageTemplate kByPosition[] = {PageTemplate::SohuVid, PageTemplate::LeTV,
                                                   PageTemplate::Iqiyi};
    if (index < 0 || index > 2 || static_cast<std::size_t>(index) >= session_.ids.size()) {
        return {};
    }
    session_.playId = session_.ids[static_cast<std::size_t>(index)];
    PlayerView view;
    view.notice = writePage(kByPosition[index], session_.playId);
    view.page = ShownPage{session_.pagePath, session_.source};
    return view;
}

PlayerView Navigator::step(int selectedIndex, int end, int target, std::string_view atTheEnd) {
    if (selectedIndex == end) {
        PlayerView told;
        told.notice = Notice{std::string(kCaptionFriendly), std::string(atTheEnd)};
        return told;
    }
    const int count = static_cast<int>(titleLinesForChooser().size());
    if (target < 0 || target >= count) {
        return {};
    }
    PlayerView view = playEpisodeAt(target);
    view.episodeIndex = target;
    return view;
}

PlayerView Navigator::next(int selectedIndex) {
    const int count = static_cast<int>(titleLinesForChooser().size());
    // The entry after the current one.
    return step(selectedIndex, count - 1, session_.episode, kAlreadyLast);
}

PlayerView Navigator::previous(int selectedIndex) {
    // The entry before the current one.
    return step(selectedIndex, 0, session_.episode - 2, kAlreadyFirst);
}

TrailerView Navigator::trailer() {
    TrailerView view;
    view.notice = writePage(PageTemplate::SohuId, catalogue_.trailerPlayId());
    view.path = session_.pagePath;
    return view;
}

}  // namespace arlo::playback
