#pragma once

#include <string>
#include <string_view>
#include <vector>

// The one record of the playback state. Owned by the UI thread; workers never touch it.
namespace arlo::catalogue {

// Fixed vocabulary: stored in the state, compared byte for byte, and the choosers' items.
inline constexpr std::string_view kCategoryTv = "TV版";
inline constexpr std::string_view kCategoryMovie = "剧场版";
inline constexpr std::string_view kLanguageJapanese = "日语";
inline constexpr std::string_view kLanguageMandarin = "国语";
inline constexpr std::string_view kSourceSohu = "搜狐";
inline constexpr std::string_view kSourceLeTV = "乐视";
inline constexpr std::string_view kSourceIqiyi = "爱奇艺";

// The program's own version.
inline constexpr std::string_view kProgramVersion = "1.1";
inline constexpr double kProgramVersionNumber = 1.1;

// What the Player window plays. Taken from the Main window's choice when a playback starts and
// changed afterwards only by the Player window's own controls, so the Main window's choosers
// change what its list shows, never what the Player window plays.
struct PlayerPlayback {
    std::string category;
    std::string language;
    std::vector<std::string> ids;  // the playing episode's ids, as in `sourceIds`
};

struct PlaybackState {
    std::string category;  // "TV版" or "剧场版"; start-up sets "TV版"
    std::string language;  // "日语" or "国语"; start-up sets "日语"
    std::string source;    // "搜狐", "乐视", "爱奇艺" or empty
    int currentEpisode = 0;
    // The ids of the episode the Main window last asked to play: the Sohu id, or the Sohu,
    // LeTV and iQiyi ids. The Player window takes them as its own when the playback starts.
    std::vector<std::string> sourceIds;
    std::string currentPlayId;
    std::string nowPlayingCaption;
    bool playerActivationPending = false;
    PlayerPlayback playing;
    int hoveredMovie = 0;
    bool mouseCaptured = false;
    std::string playerPagePath;
    std::string settingsPath;
    std::string installedVersion;
};

}  // namespace arlo::catalogue
