#include "playback/navigation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "catalogue/catalogue.h"

namespace arlo::playback {
namespace {

using catalogue::Catalogue;
using catalogue::List;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Pair;

namespace fs = std::filesystem;

struct Page {
    PageTemplate which;
    std::string playId;
};

// Which template and play id the Player page at `path` was built from.
std::optional<Page> readPage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (PageTemplate which :
         {PageTemplate::SohuId, PageTemplate::SohuVid, PageTemplate::LeTV, PageTemplate::Iqiyi}) {
        const std::string text = templateText(which);
        const std::size_t at = text.find(kPlayIdPlaceholder);
        const std::size_t after = at + kPlayIdPlaceholder.size();
        const std::size_t next = text.find(kPlayIdPlaceholder, after);
        const std::string following = text.substr(after, next - after);
        if (bytes.compare(0, at, text, 0, at) != 0) {
            continue;
        }
        const std::size_t end = bytes.find(following, at);
        if (end == std::string::npos) {
            continue;
        }
        const std::string playId = bytes.substr(at, end - at);
        if (buildPlayerPage(which, playId) == bytes) {
            return Page{which, playId};
        }
    }
    return std::nullopt;
}

// Records what the navigation does to the windows; behaves like the real choosers (a
// selection is an index into the items) and, unless told that the desktop keeps the Player
// window from becoming active, activates it synchronously.
class RecordingUi final : public NavigationUi {
public:
    Navigator* navigator = nullptr;
    bool desktopActivates = true;
    int activationRequests = 0;
    bool playerLoaded = false;
    int loads = 0;
    std::string caption;
    std::vector<std::string> sources;
    int sourceIndex = -1;
    std::vector<EpisodeItem> episodes;
    int episodeIndex = -1;
    std::vector<Page> written;  // the pages shown, as read from their files
    std::string shownPath;
    int shown = 0;
    int trailerOpened = 0;
    std::vector<std::pair<std::string, std::string>> notices;

    int category = 0;
    int language = 0;
    int page = 0;
    bool languageEnabled = true;
    int searchResets = 0;
    int listRows = 0;
    int countLabel = -1;
    int refreshes = 0;
    int captureReleases = 0;
    std::function<int()> rowsAfterRefresh;
    ChosenEpisode chosen;  // what the episode list holds

    bool isPlayerLoaded() const override { return playerLoaded; }
    void loadPlayer() override {
        playerLoaded = true;
        ++loads;
    }
    void activatePlayer() override {
        ++activationRequests;
        if (desktopActivates) {
            navigator->startPlayback();
        }
    }
    void setPlayerCaption(const std::string& c) override { caption = c; }
    void setSources(const std::vector<std::string>& names) override {
        sources = names;
        sourceIndex = -1;
    }
    void selectSource(int index) override { sourceIndex = index; }
    void setEpisodes(const std::vector<EpisodeItem>& items) override {
        episodes = items;
        episodeIndex = -1;
    }
    void selectEpisode(int index) override { episodeIndex = index; }
    int selectedEpisodeIndex() const override { return episodeIndex; }
    int episodeCount() const override { return static_cast<int>(episodes.size()); }
    EpisodeItem episodeAt(int index) const override {
        return episodes.at(static_cast<std::size_t>(index));
    }
    void showPage(const std::string& path, const std::string&) override {
        ++shown;
        record(path);
    }
    void openTrailerWindow(const std::string& path) override {
        ++trailerOpened;
        record(path);
    }
    int categoryIndex() const override { return category; }
    int languageIndex() const override { return language; }
    int tabPage() const override { return page; }
    void setTabPage(int p) override { page = p; }
    void resetSearchBox() override { ++searchResets; }
    void focusSearchIcon() override {}
    void setLanguageChooserEnabled(bool enabled) override { languageEnabled = enabled; }
    void hideSearchResults() override {}
    int episodeListRowCount() const override { return listRows; }
    void clearEpisodeList() override { listRows = 0; }
    void setCountLabel(int count) override { countLabel = count; }
    void refreshEpisodeListNow() override {
        ++refreshes;
        listRows = rowsAfterRefresh ? rowsAfterRefresh() : 0;
    }
    void forgetChosenEpisode() override { chosen = {}; }
    void releaseMouseCapture() override { ++captureReleases; }
    void inform(const std::string& c, const std::string& t) override { notices.emplace_back(c, t); }

private:
    void record(const std::string& path) {
        shownPath = path;
        const std::optional<Page> read = readPage(path);
        if (read) {
            written.push_back(*read);
        }
    }
};

class NavigationTest : public ::testing::Test {
protected:
    NavigationTest()
        : runDirectory_(fs::temp_directory_path() /
                        ("arlo-navigation-" + std::to_string(::getpid()))),
          nav_(state_, cat_, ui_, runDirectory_.string()) {
        fs::create_directories(runDirectory_);
        ui_.navigator = &nav_;
        state_.category = "TV版";
        state_.language = "日语";
        state_.playerPagePath = playerPagePath(runDirectory_.string());
    }
    ~NavigationTest() override { fs::remove_all(runDirectory_); }

    // What choosing row n of the list does to the state (the episode list's part).
    void chooseRow(int n) {
        ChosenEpisode& chosen = ui_.chosen;
        const bool japanese = state_.language == "日语";
        chosen.list = japanese ? List::JapaneseTitles : List::MandarinTitles;
        chosen.number = n;
        chosen.ids.clear();
        if (japanese) {
            chosen.ids.push_back(cat_.value(List::JapaneseSohuIds, n));
        } else {
            chosen.ids.push_back(cat_.value(List::MandarinSohuIds, n));
            chosen.ids.push_back(cat_.value(List::MandarinLeTVIds, n));
            chosen.ids.push_back(cat_.value(List::MandarinIqiyiIds, n));
        }
        chosen.title = title_ = cat_.value(chosen.list, n);
    }
    void switchToMandarin() {
        ui_.language = 1;
        ui_.listRows = cat_.count(List::JapaneseTitles);
        nav_.languageChanged();
    }
    void switchToJapanese() {
        ui_.language = 0;
        ui_.listRows = cat_.count(List::MandarinTitles);
        nav_.languageChanged();
    }
    // A click below the last row: a row whose cells are all empty.
    void chooseNoRow() {
        ui_.chosen.number = 0;
        ui_.chosen.ids.assign(state_.language == "日语" ? 1 : 3, std::string());
        ui_.chosen.title = title_ = std::string();
    }
    void expectRefused(std::size_t notices) {
        EXPECT_EQ(ui_.notices.size(), notices);
        EXPECT_THAT(ui_.notices, Each(Pair("提示：", "请先选择一集再观看哦")));
    }
    void selectSourceNamed(const std::string& name) {
        for (std::size_t i = 0; i < ui_.sources.size(); ++i) {
            if (ui_.sources[i] == name) {
                ui_.sourceIndex = static_cast<int>(i);
                nav_.switchSource(static_cast<int>(i), name);
            }
        }
    }

    const Catalogue& cat_ = Catalogue::builtIn();
    catalogue::PlaybackState state_;
    RecordingUi ui_;
    fs::path runDirectory_;
    Navigator nav_;
    std::string title_;
};

TEST_F(NavigationTest, playButtonWithoutAChosenRowShowsANotice) {
    nav_.playButton(ChosenEpisode{});
    EXPECT_THAT(ui_.notices,
                ElementsAre(std::pair<std::string, std::string>("提示：", "请先选择一集再观看哦")));
    EXPECT_FALSE(ui_.playerLoaded);
    EXPECT_TRUE(ui_.written.empty());
}

TEST_F(NavigationTest, japaneseEpisodeOffersOnlySohuAndUsesTheIdTemplate) {
    chooseRow(12);
    nav_.playButton(ui_.chosen);
    EXPECT_EQ(ui_.loads, 1);
    EXPECT_EQ(state_.currentEpisode, 12);
    EXPECT_EQ(ui_.caption, "正在播放：  第12集  " + title_);
    EXPECT_THAT(ui_.sources, ElementsAre("搜狐"));
    ASSERT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.written[0].which, PageTemplate::SohuId);
    EXPECT_EQ(ui_.written[0].playId, cat_.value(List::JapaneseSohuIds, 12));
    EXPECT_EQ(ui_.shown, 1);
    EXPECT_EQ(ui_.episodeCount(), cat_.count(List::JapaneseTitles));
    EXPECT_EQ(ui_.episodeIndex, 11);
    EXPECT_EQ(ui_.episodes[11].text, "第12集  " + title_);
    EXPECT_EQ(ui_.episodes[11].number, 12);

    // Choosing "搜狐" again is no change; there is nothing else to choose.
    selectSourceNamed("搜狐");
    EXPECT_EQ(ui_.written.size(), 1u);
}

TEST_F(NavigationTest, firstMandarinPlaybackOpensOnSohuThenKeepsTheChosenSource) {
    switchToMandarin();
    chooseRow(3);
    nav_.playButton(ui_.chosen);
    EXPECT_THAT(ui_.sources, ElementsAre("搜狐", "乐视", "爱奇艺"));
    EXPECT_EQ(ui_.sourceIndex, 0);
    ASSERT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.written[0].which, PageTemplate::SohuVid);
    EXPECT_EQ(ui_.written[0].playId, cat_.value(List::MandarinSohuIds, 3));

    selectSourceNamed("乐视");
    ASSERT_EQ(ui_.written.size(), 2u);
    EXPECT_EQ(ui_.written[1].which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written[1].playId, cat_.value(List::MandarinLeTVIds, 3));
    EXPECT_EQ(state_.source, "乐视");

    nav_.next();
    ASSERT_EQ(ui_.written.size(), 3u);
    EXPECT_EQ(ui_.written[2].which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written[2].playId, cat_.value(List::MandarinLeTVIds, 4));
    EXPECT_EQ(ui_.episodeIndex, 3);
    EXPECT_EQ(state_.currentEpisode, 4);

    // A new playback from the Main window opens on the source used last.
    chooseRow(7);
    nav_.playButton(ui_.chosen);
    EXPECT_EQ(ui_.loads, 1);  // the window is reused
    EXPECT_EQ(ui_.sourceIndex, 1);
    EXPECT_EQ(ui_.written.back().which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinLeTVIds, 7));

    selectSourceNamed("爱奇艺");
    EXPECT_EQ(ui_.written.back().which, PageTemplate::Iqiyi);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinIqiyiIds, 7));
}

TEST_F(NavigationTest, movieAlwaysPlaysThroughLeTV) {
    ui_.category = 1;
    nav_.categoryChanged();
    EXPECT_EQ(state_.category, "剧场版");
    EXPECT_EQ(ui_.page, 1);
    EXPECT_FALSE(ui_.languageEnabled);
    EXPECT_EQ(ui_.countLabel, 18);
    EXPECT_EQ(ui_.captureReleases, 1);

    state_.hoveredMovie = 5;
    nav_.playHoveredMovie();
    EXPECT_EQ(ui_.caption, "正在播放：  第5集  " + cat_.value(List::MovieTitles, 5));
    EXPECT_THAT(ui_.sources, ElementsAre("乐视"));
    ASSERT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.written[0].which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written[0].playId, cat_.value(List::MovieLeTVIds, 5));
    ASSERT_EQ(ui_.episodes.size(), 18u);
    EXPECT_EQ(ui_.episodes.front().text, "第1集  " + cat_.value(List::MovieTitles, 1));
    EXPECT_EQ(ui_.episodes.back().text, "第18集  " + cat_.value(List::MovieTitles, 18));
    EXPECT_EQ(ui_.episodeIndex, 4);
}

TEST_F(NavigationTest, nextAndPreviousStopAtTheEnds) {
    chooseRow(cat_.count(List::JapaneseTitles) - 1);
    nav_.playButton(ui_.chosen);
    nav_.next();
    EXPECT_EQ(state_.currentEpisode, cat_.count(List::JapaneseTitles));
    EXPECT_EQ(ui_.written.back().playId,
              cat_.value(List::JapaneseSohuIds, cat_.count(List::JapaneseTitles)));
    const auto pages = ui_.written.size();
    nav_.next();
    EXPECT_EQ(ui_.written.size(), pages);
    EXPECT_THAT(ui_.notices, ElementsAre(std::pair<std::string, std::string>(
                                 "温馨提示：", "已经是最后一集了哦！")));

    chooseRow(2);
    nav_.playButton(ui_.chosen);
    nav_.previous();
    EXPECT_EQ(state_.currentEpisode, 1);
    EXPECT_EQ(ui_.episodeIndex, 0);
    nav_.previous();
    EXPECT_EQ(state_.currentEpisode, 1);
    EXPECT_EQ(ui_.notices.back(),
              (std::pair<std::string, std::string>("温馨提示：", "已经是第一集了哦！")));
}

TEST_F(NavigationTest, laterActivationsAndTheSameEpisodeChangeNothing) {
    chooseRow(5);
    nav_.playButton(ui_.chosen);
    nav_.startPlayback();
    nav_.startPlayback();
    EXPECT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.shown, 1);
    nav_.playSelectedEpisode();  // the chooser still shows the playing episode
    EXPECT_EQ(ui_.written.size(), 1u);
}

TEST_F(NavigationTest, japaneseRowThenMandarinLanguageRefusesPlaybackUntilANewRow) {
    chooseRow(9);
    switchToMandarin();
    EXPECT_EQ(ui_.chosen.number, 0);  // the chosen row belonged to the other list
    nav_.playButton(ui_.chosen);
    EXPECT_EQ(ui_.notices.size(), 1u);
    EXPECT_EQ(ui_.notices[0].second, "请先选择一集再观看哦");
    EXPECT_FALSE(ui_.playerLoaded);

    chooseRow(9);
    nav_.playButton(ui_.chosen);
    EXPECT_EQ(ui_.written.back().which, PageTemplate::SohuVid);
}

TEST_F(NavigationTest, mandarinRowThenJapaneseLanguageRefusesPlaybackUntilANewRow) {
    switchToMandarin();
    chooseRow(9);
    switchToJapanese();
    nav_.playButton(ui_.chosen);
    expectRefused(1);
    EXPECT_FALSE(ui_.playerLoaded);
    EXPECT_TRUE(ui_.written.empty());

    // Back and forth: the row chosen before is still not the row of the list shown.
    chooseRow(4);
    switchToMandarin();
    switchToJapanese();
    nav_.playButton(ui_.chosen);
    expectRefused(2);

    chooseRow(4);
    nav_.playButton(ui_.chosen);
    ASSERT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.written[0].which, PageTemplate::SohuId);
    EXPECT_EQ(ui_.written[0].playId, cat_.value(List::JapaneseSohuIds, 4));

    // Choosing the language already shown changes nothing and keeps the row.
    ui_.listRows = cat_.count(List::JapaneseTitles);
    nav_.languageChanged();
    nav_.playButton(ui_.chosen);
    EXPECT_EQ(ui_.notices.size(), 2u);
}

TEST_F(NavigationTest, aClickBelowTheRowsChoosesNothingToPlay) {
    chooseNoRow();
    nav_.playButton(ui_.chosen);
    expectRefused(1);
    switchToMandarin();
    chooseNoRow();
    nav_.playButton(ui_.chosen);
    expectRefused(2);
    EXPECT_FALSE(ui_.playerLoaded);
    EXPECT_TRUE(ui_.written.empty());

    // A row with ids but a heading without a number is no episode either.
    chooseRow(6);
    ChosenEpisode withoutNumber = ui_.chosen;
    withoutNumber.number = 0;
    nav_.playButton(withoutNumber);
    expectRefused(3);
    nav_.playButton(ui_.chosen);
    EXPECT_EQ(ui_.written.size(), 1u);
}

TEST_F(NavigationTest, thePlayerPlaysFromItsOwnListWhateverTheMainChoosersShow) {
    switchToMandarin();
    chooseRow(5);
    nav_.playButton(ui_.chosen);
    ASSERT_EQ(ui_.written.size(), 1u);

    switchToJapanese();
    nav_.previous();
    EXPECT_EQ(state_.currentEpisode, 4);
    EXPECT_EQ(ui_.written.back().which, PageTemplate::SohuVid);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinSohuIds, 4));
    EXPECT_EQ(ui_.caption, "正在播放：  第4集  " + cat_.value(List::MandarinTitles, 4));

    selectSourceNamed("乐视");
    EXPECT_EQ(ui_.written.back().which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinLeTVIds, 4));

    // The movie page neither: the Player window still steps through the Mandarin episodes.
    ui_.category = 1;
    nav_.categoryChanged();
    nav_.next();
    EXPECT_EQ(ui_.written.back().which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinLeTVIds, 5));
    ui_.episodeIndex = 9;
    nav_.playSelectedEpisode();
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinLeTVIds, 10));
    selectSourceNamed("爱奇艺");
    EXPECT_EQ(ui_.written.back().which, PageTemplate::Iqiyi);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinIqiyiIds, 10));

    // A new playback from the Main window takes its list over.
    ui_.category = 0;
    nav_.categoryChanged();
    chooseRow(7);
    nav_.playButton(ui_.chosen);
    EXPECT_THAT(ui_.sources, ElementsAre("搜狐"));
    EXPECT_EQ(ui_.episodeCount(), cat_.count(List::JapaneseTitles));
    EXPECT_EQ(ui_.written.back().which, PageTemplate::SohuId);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::JapaneseSohuIds, 7));
    nav_.next();
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::JapaneseSohuIds, 8));
}

TEST_F(NavigationTest, stepsInThePlayerLeaveTheMainWindowsChoiceAlone) {
    switchToMandarin();
    chooseRow(5);
    nav_.playButton(ui_.chosen);
    nav_.next();
    nav_.next();
    EXPECT_EQ(state_.currentEpisode, 7);

    // The Main window still shows episode 5: Play plays episode 5, under its own number.
    nav_.playButton(ui_.chosen);
    EXPECT_EQ(state_.currentEpisode, 5);
    EXPECT_EQ(ui_.episodeIndex, 4);
    EXPECT_EQ(ui_.written.back().which, PageTemplate::SohuVid);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinSohuIds, 5));
}

TEST_F(NavigationTest, playbackStartsWithoutTheDesktopActivatingThePlayer) {
    ui_.desktopActivates = false;
    chooseRow(12);
    nav_.playButton(ui_.chosen);
    EXPECT_EQ(ui_.activationRequests, 1);
    EXPECT_EQ(ui_.caption, "正在播放：  第12集  " + title_);
    ASSERT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.written[0].playId, cat_.value(List::JapaneseSohuIds, 12));
    EXPECT_EQ(ui_.shown, 1);
    EXPECT_EQ(ui_.episodeIndex, 11);

    // The activation arriving late, or again, starts nothing more.
    nav_.startPlayback();
    EXPECT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.shown, 1);

    // Every later opening plays as well.
    chooseRow(13);
    nav_.playButton(ui_.chosen);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::JapaneseSohuIds, 13));
    state_.hoveredMovie = 2;
    state_.category = "剧场版";
    nav_.playHoveredMovie();
    EXPECT_EQ(ui_.written.back().which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MovieLeTVIds, 2));
    EXPECT_EQ(ui_.shown, 3);
}

TEST_F(NavigationTest, switchingSourceWithTooFewIdsWritesNothing) {
    chooseRow(9);
    nav_.playButton(ui_.chosen);
    // The Player window is open on a Japanese episode; the language then changes.
    switchToMandarin();
    ui_.sources = {"搜狐", "乐视", "爱奇艺"};
    const auto pages = ui_.written.size();
    nav_.switchSource(2, "爱奇艺");
    EXPECT_EQ(ui_.written.size(), pages);
}

TEST_F(NavigationTest, trailerWritesTheTrailerIdAndLeavesTheStateAlone) {
    chooseRow(4);
    const auto before = state_;
    nav_.trailer();
    ASSERT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.written[0].which, PageTemplate::SohuId);
    EXPECT_EQ(ui_.written[0].playId, cat_.trailerPlayId());
    EXPECT_EQ(ui_.trailerOpened, 1);
    EXPECT_EQ(ui_.shown, 0);
    EXPECT_EQ(state_.sourceIds, before.sourceIds);
    EXPECT_EQ(state_.source, before.source);
    EXPECT_EQ(state_.currentEpisode, before.currentEpisode);
}

TEST_F(NavigationTest, choosersSwitchListsOnlyWhenSomethingChanges) {
    ui_.rowsAfterRefresh = [this] {
        return cat_.count(ui_.language == 1 ? List::MandarinTitles : List::JapaneseTitles);
    };
    ui_.listRows = cat_.count(List::JapaneseTitles);
    nav_.languageChanged();  // still "日语" with the Japanese list shown: nothing to do
    EXPECT_EQ(ui_.refreshes, 0);
    EXPECT_EQ(ui_.searchResets, 0);

    ui_.language = 1;
    nav_.languageChanged();
    EXPECT_EQ(state_.language, "国语");
    EXPECT_EQ(ui_.countLabel, cat_.count(List::MandarinTitles));
    EXPECT_EQ(ui_.refreshes, 1);

    // Movies: the language chooser is disabled and the list stays as it is.
    ui_.category = 1;
    nav_.categoryChanged();
    ui_.language = 0;
    nav_.languageChanged();
    EXPECT_EQ(state_.language, "国语");

    // Back to TV: the list of the language the chooser shows.
    ui_.category = 0;
    nav_.categoryChanged();
    EXPECT_EQ(state_.category, "TV版");
    EXPECT_EQ(ui_.page, 0);
    EXPECT_TRUE(ui_.languageEnabled);
    EXPECT_EQ(ui_.countLabel, cat_.count(List::JapaneseTitles));
    EXPECT_EQ(ui_.refreshes, 2);
}

// Points an environment variable elsewhere for the lifetime of the object.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvironmentOverride() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST_F(NavigationTest, aPageWrittenNowhereIsToldAndTheViewStillGetsItsPath) {
    // Every folder lies under a plain file: none can be made or written, not even by root.
    const fs::path blocker = runDirectory_ / "file";
    std::ofstream(blocker) << "x";
    const EnvironmentOverride runtime("XDG_RUNTIME_DIR", (blocker / "runtime").string());
    const EnvironmentOverride cache("XDG_CACHE_HOME", (blocker / "cache").string());
    const EnvironmentOverride home("HOME", (blocker / "home").string());
    const std::string run = (blocker / "run").string();
    Navigator nav(state_, cat_, ui_, run);
    ui_.navigator = &nav;
    state_.playerPagePath = playerPagePath(run);

    chooseRow(12);
    nav.playButton(ui_.chosen);
    EXPECT_THAT(ui_.notices, ElementsAre(Pair("提示：", std::string(kPageNotWritten))));
    EXPECT_EQ(ui_.shown, 1);
    EXPECT_EQ(ui_.shownPath, playerPagePath(run));
    EXPECT_TRUE(ui_.written.empty());

    nav.trailer();
    EXPECT_EQ(ui_.notices.size(), 2u);
    EXPECT_EQ(ui_.trailerOpened, 1);
}

TEST_F(NavigationTest, thePageGoesIntoTheRunDirectory) {
    chooseRow(12);
    nav_.playButton(ui_.chosen);
    nav_.next();
    EXPECT_EQ(ui_.shownPath, playerPagePath(runDirectory_.string()));
    EXPECT_EQ(readPage(ui_.shownPath)->playId, cat_.value(List::JapaneseSohuIds, 13));
    EXPECT_TRUE(ui_.notices.empty());
}

TEST(NavigationText, nowPlayingCaptionNamesTheEpisode) {
    EXPECT_EQ(nowPlayingCaption(7, "标题"), "正在播放：  第7集  标题");
}

}  // namespace
}  // namespace arlo::playback
