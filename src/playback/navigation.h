#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/vocabulary.h"
#include "playback/player_page.h"

// The playback logic behind the choosers and buttons: how a choice in the Main window becomes
// a playing Player window, and how the Player window moves between episodes and sources.
// Each step takes what the windows show as values and returns what they are to show next;
// nothing here reaches a window.
namespace arlo::playback {

// One item of the Player window's episode chooser.
struct EpisodeItem {
    std::string text;  // "第" n "集  " title
    int number = 0;    // item data: n
    bool operator==(const EpisodeItem&) const = default;
};

// The episode chosen in the Main window: the category and dub language its choosers show, the
// row's episode number (0 for a row without one), its title and its ids (the Sohu id, or the
// Sohu, LeTV and iQiyi ids; none for a movie, whose id the catalogue holds).
struct ChosenEpisode {
    std::string category = std::string(catalogue::kCategoryTv);
    std::string language = std::string(catalogue::kLanguageJapanese);
    int number = 0;
    std::string title;
    std::vector<std::string> ids;
};

// What the Player window plays. Taken from the Main window's choice when a playback starts and
// changed afterwards only by the Player window's own controls, so the Main window's choosers
// change what its list shows, never what the Player window plays. Owned by the UI thread.
struct PlaybackSession {
    std::string category;          // of the playing episode: "TV版" or "剧场版"
    std::string language;          // "日语" or "国语"
    std::vector<std::string> ids;  // the playing episode's ids, as in `ChosenEpisode::ids`
    int episode = 0;               // its number
    std::string playId;
    // "搜狐", "乐视", "爱奇艺" or empty; a new playback opens on the source used last.
    std::string source;
    std::string caption;  // "正在播放：  第" n "集  " title
    // The Player page written last: where the next one replaces it, and where the program's
    // end finds it to delete it. Start-up sets it in the run directory.
    std::string pagePath;
    bool operator==(const PlaybackSession&) const = default;
};

// A message box to show: its caption and text.
struct Notice {
    std::string caption;
    std::string text;
    bool operator==(const Notice&) const = default;
};

// The Player page to show, played from `source`.
struct ShownPage {
    std::string path;
    std::string source;
};

// What the Player window is to show after a step; what a step leaves alone is empty. The
// window shows it in this order: a step's new episode selection when the items stay, the
// caption, the sources and their selection, the notice, the page, then new items and their
// selection. Selections made this way run no handler.
struct PlayerView {
    // Load the Player window if it is not loaded, bring it forward and ask the desktop to
    // activate it. The desktop may refuse or never answer; the view is shown regardless.
    bool openPlayer = false;
    std::string caption;
    std::vector<std::string> sources;
    int sourceIndex = 0;
    std::optional<std::vector<EpisodeItem>> episodes;
    std::optional<int> episodeIndex;
    std::optional<Notice> notice;
    std::optional<ShownPage> page;
};

// The trailer's page, to show in a window of its own, and what to tell before it.
struct TrailerView {
    std::string path;
    std::optional<Notice> notice;
};

inline constexpr std::string_view kCaptionHint = "提示：";
inline constexpr std::string_view kCaptionFriendly = "温馨提示：";
inline constexpr std::string_view kChooseFirst = "请先选择一集再观看哦";
inline constexpr std::string_view kAlreadyLast = "已经是最后一集了哦！";
inline constexpr std::string_view kAlreadyFirst = "已经是第一集了哦！";
// Told when the Player page could be written neither in the run directory nor in the user's
// own folders.
inline constexpr std::string_view kPageNotWritten =
    "无法写入播放页面，无法播放。\n请检查程序所在文件夹或用户缓存文件夹是否可写。";

// "正在播放：  第" n "集  " title
std::string nowPlayingCaption(int number, std::string_view title);
// "第" n "集  " title
std::string episodeItemText(int number, std::string_view title);
// How many play ids a row of `language` carries: 1 for Japanese-dubbed, else 3.
std::size_t idsNeeded(std::string_view language);
// Whether `chosen` is an episode to play: a row with an episode number of 1 or more and the
// ids its language needs.
bool hasChosenEpisode(const ChosenEpisode& chosen);

// What the Main window shows after one of its choosers changed: the list of the chosen
// category and language, its length for the count label, and the page of the page container
// (0 the TV page with its list and search, 1 the movie page, where the language chooser is
// disabled).
struct ListSwitch {
    catalogue::List list = catalogue::List::JapaneseTitles;
    int count = 0;
    int page = 0;
    bool operator==(const ListSwitch&) const = default;
};
// After the category chooser (0 "TV版", 1 "剧场版") changed while `page` is shown; nothing
// when the page already fits. `language` is the language chooser's (0 "日语", 1 "国语").
std::optional<ListSwitch> switchCategory(const catalogue::Catalogue& catalogue, int category,
                                         int page, int language);
// After the language chooser changed with `rows` rows in the full list; nothing over the
// movie page or when the list shown already has the new language's length. A switch drops
// the chosen row: its ids belong to the list no longer shown.
std::optional<ListSwitch> switchLanguage(const catalogue::Catalogue& catalogue, int language,
                                         int rows, int category);

class Navigator final {
public:
    // The Player page goes into `runDirectory` when it can be written there, else into the
    // user's own folders (playerPageFolders()); an empty `runDirectory` stands for the folder
    // of the session's page path. A page written nowhere comes with a notice.
    Navigator(PlaybackSession& session, const catalogue::Catalogue& catalogue,
              std::string runDirectory);
    Navigator(const Navigator&) = delete;
    Navigator& operator=(const Navigator&) = delete;

    // Main window Play button, with the episode chosen there; a notice when none is.
    PlayerView playButton(const ChosenEpisode& chosen);
    // Poster grid play button: movie `number`, under the Main window's `language`.
    PlayerView playMovie(int number, const std::string& language);
    // The Player window's episode chooser selected item `index`.
    PlayerView playEpisodeAt(int index);
    // Source chooser selection changed to item `index`, named `name`.
    PlayerView switchSource(int index, const std::string& name);
    // The Player window's buttons, with the episode chooser's selected item.
    PlayerView next(int selectedIndex);
    PlayerView previous(int selectedIndex);
    TrailerView trailer();

    const PlaybackSession& session() const { return session_; }

private:
    // Starts playing `chosen` in the Player window, taking its category, language and ids as
    // the session's own.
    PlayerView open(const ChosenEpisode& chosen);
    const std::vector<std::string>& titleLinesForChooser() const;
    std::vector<EpisodeItem> episodeItems() const;
    std::string sourceId(std::size_t index) const;
    // Previous and next: selects item `target` and plays it, unless `selectedIndex` is the
    // `end` item, which is told.
    PlayerView step(int selectedIndex, int end, int target, std::string_view atTheEnd);
    // Writes the Player page (the one written last is deleted first) and keeps its path in
    // the session; a notice when it could be written nowhere.
    std::optional<Notice> writePage(PageTemplate which, const std::string& playId);
    // Writes the page of the session's play id and source and shows it.
    void showSessionPage(PlayerView& view);

    PlaybackSession& session_;
    const catalogue::Catalogue& catalogue_;
    std::string runDirectory_;
};

}  // namespace arlo::playback
