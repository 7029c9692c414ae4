#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/playback_state.h"
#include "playback/player_page.h"

// The playback logic behind the choosers and buttons: how a choice in the Main window becomes
// a playing Player window, and how the Player window moves between episodes and sources.
// Everything runs on the UI thread; the windows are reached only through `NavigationUi`.
namespace arlo::playback {

// One item of the Player window's episode chooser.
struct EpisodeItem {
    std::string text;  // "第" n "集  " title
    int number = 0;    // item data: n
};

// The episode chosen in the Main window's list, as the list knows it: which list, the row's
// episode number (0 for a row without one), its title and its ids (the Sohu id, or the Sohu,
// LeTV and iQiyi ids).
struct ChosenEpisode {
    catalogue::List list = catalogue::List::JapaneseTitles;
    int number = 0;
    std::string title;
    std::vector<std::string> ids;
};

// What the navigation needs of the windows. The Main and Player windows implement it; tests
// use a recording fake. Selecting an item through this interface never runs a handler.
class NavigationUi {
public:
    virtual ~NavigationUi() = default;

    // Player window
    virtual bool isPlayerLoaded() const = 0;
    virtual void loadPlayer() = 0;
    // Restores the Player window if minimised and asks the desktop to activate it. The
    // desktop may refuse or never answer; playback does not wait for it.
    virtual void activatePlayer() = 0;
    virtual void setPlayerCaption(const std::string& caption) = 0;
    virtual void setSources(const std::vector<std::string>& names) = 0;
    virtual void selectSource(int index) = 0;
    virtual void setEpisodes(const std::vector<EpisodeItem>& items) = 0;
    virtual void selectEpisode(int index) = 0;
    virtual int selectedEpisodeIndex() const = 0;
    virtual int episodeCount() const = 0;
    virtual EpisodeItem episodeAt(int index) const = 0;

    // Shows the Player page at `path` in the Player window, played from `source`.
    virtual void showPage(const std::string& path, const std::string& source) = 0;
    // Shows the trailer's page at `path` in a window of its own.
    virtual void openTrailerWindow(const std::string& path) = 0;

    // Main window
    virtual int categoryIndex() const = 0;  // 0 "TV版", 1 "剧场版"
    virtual int languageIndex() const = 0;  // 0 "日语", 1 "国语"
    virtual int tabPage() const = 0;
    virtual void setTabPage(int page) = 0;
    virtual void resetSearchBox() = 0;  // "查找" in light grey
    virtual void focusSearchIcon() = 0;
    virtual void setLanguageChooserEnabled(bool enabled) = 0;
    virtual void hideSearchResults() = 0;  // the results list and the nothing-found artwork
    virtual int episodeListRowCount() const = 0;
    virtual void clearEpisodeList() = 0;
    virtual void setCountLabel(int count) = 0;
    virtual void refreshEpisodeListNow() = 0;  // on the calling thread
    // The chosen row belonged to a list no longer shown: nothing is chosen until a new row is.
    virtual void forgetChosenEpisode() = 0;
    virtual void releaseMouseCapture() = 0;

    virtual void inform(const std::string& caption, const std::string& text) = 0;
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
// How many play ids a row of the current language carries: 1 for Japanese-dubbed, else 3.
std::size_t idsNeeded(const catalogue::PlaybackState& state);
// Whether `chosen` is an episode to play: a row with an episode number of 1 or more and the
// ids its language needs.
bool episodeChosen(const catalogue::PlaybackState& state, const ChosenEpisode& chosen);

class Navigator final {
public:
    // The Player page goes into `runDirectory` when it can be written there, else into the
    // user's own folders (playerPageFolders()); an empty `runDirectory` stands for the folder
    // of the state's page path. A page written nowhere is reported through the UI's inform().
    Navigator(catalogue::PlaybackState& state, const catalogue::Catalogue& catalogue,
              NavigationUi& ui, std::string runDirectory);
    Navigator(const Navigator&) = delete;
    Navigator& operator=(const Navigator&) = delete;

    // Main window Play button, with the episode chosen in the list.
    void playButton(const ChosenEpisode& chosen);
    // Loads the Player window if needed, brings it forward and starts the playback there,
    // whether or not the desktop activates the window.
    void openPlayer(int number, const std::string& title);
    // Poster grid play button: the hovered movie.
    void playHoveredMovie();
    // The playback that `openPlayer` hands over, once; the Player window's activations run it
    // too and then change nothing. It takes the Main window's category, language and chosen
    // ids as the Player window's own.
    void startPlayback();
    void fillEpisodeChooser();
    // Episode chooser selection changed (also run by previous and next).
    void playSelectedEpisode();
    // Source chooser selection changed.
    void switchSource(int index, const std::string& name);
    void next();
    void previous();
    void trailer();
    // Main window choosers, after their selection changed. A change of language also clears
    // the chosen row: its ids belong to the list no longer shown.
    void categoryChanged();
    void languageChanged();

private:
    const std::vector<std::string>& titleLinesForChooser() const;
    std::string sourceId(std::size_t index) const;
    // Writes the Player page (the one written last is deleted first) and keeps its path in
    // the state; says so when it could be written nowhere.
    void writePage(PageTemplate which, const std::string& playId);
    void showPage();

    catalogue::PlaybackState& state_;
    const catalogue::Catalogue& catalogue_;
    NavigationUi& ui_;
    std::string runDirectory_;
};

}  // namespace arlo::playback
