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

// Plays the windows' part: shows what the navigation returns as the Player window does (a
// selection is an index into the items), and keeps what the Main window's choosers show.
struct Windows {
    // Player window
    bool playerLoaded = false;
    int loads = 0;
    int activationRequests = 0;
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

    // Main window
    int category = 0;
    int language = 0;
    int page = 0;
    List list = List::JapaneseTitles;
    bool languageEnabled = true;
    int searchResets = 0;
    int listRows = 0;
    int countLabel = -1;
    int refreshes = 0;
    ChosenEpisode chosen;  // what the episode list holds

    int episodeCount() const { return static_cast<int>(episodes.size()); }

    void show(const PlayerView& view) {
        if (view.openPlayer) {
            loads += playerLoaded ? 0 : 1;
            playerLoaded = true;
            ++activationRequests;
        }
        if (!view.episodes && view.episodeIndex) {
            episodeIndex = *view.episodeIndex;
        }
        if (!view.caption.empty()) {
            caption = view.caption;
        }
        if (!view.sources.empty()) {
            sources = view.sources;
            sourceIndex = view.sourceIndex;
        }
        tell(view.notice);
        if (view.page) {
            ++shown;
            record(view.page->path);
        }
        if (view.episodes) {
            episodes = *view.episodes;
            episodeIndex = view.episodeIndex.value_or(-1);
        }
    }
    void show(const TrailerView& view) {
        tell(view.notice);
        ++trailerOpened;
        record(view.path);
    }
    void show(const ListSwitch& shownList) {
        list = shownList.list;
        page = shownList.page;
        languageEnabled = page == 0;
        countLabel = shownList.count;
        if (page == 0) {
            ++refreshes;
            listRows = shownList.count;
        }
    }

private:
    void tell(const std::optional<Notice>& notice) {
        if (notice) {
            notices.emplace_back(notice->caption, notice->text);
        }
    }
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
          nav_(session_, cat_, runDirectory_.string()) {
        fs::create_directories(runDirectory_);
        session_.pagePath = playerPagePath(runDirectory_.string());
    }
    ~NavigationTest() override { fs::remove_all(runDirectory_); }

    std::string languageShown() const { return ui_.language == 1 ? "国语" : "日语"; }
    // What choosing row n of the list holds (the episode list's part).
    void chooseRow(int n) {
        ChosenEpisode& chosen = ui_.chosen;
        const bool japanese = ui_.language == 0;
        const List titles = japanese ? List::JapaneseTitles : List::MandarinTitles;
        chosen.number = n;
        chosen.ids.clear();
        if (japanese) {
            chosen.ids.push_back(cat_.value(List::JapaneseSohuIds, n));
        } else {
            chosen.ids.push_back(cat_.value(List::MandarinSohuIds, n));
            chosen.ids.push_back(cat_.value(List::MandarinLeTVIds, n));
            chosen.ids.push_back(cat_.value(List::MandarinIqiyiIds, n));
        }
        chosen.title = title_ = cat_.value(titles, n);
    }
    // The Play button, with the chosen row under the choosers' category and language.
    void play(ChosenEpisode chosen) {
        chosen.category = ui_.category == 1 ? "剧场版" : "TV版";
        chosen.language = languageShown();
        ui_.show(nav_.playButton(chosen));
    }
    void play() { play(ui_.chosen); }
    void playMovie(int number) { ui_.show(nav_.playMovie(number, languageShown())); }
    void next() { ui_.show(nav_.next(ui_.episodeIndex)); }
    void previous() { ui_.show(nav_.previous(ui_.episodeIndex)); }
    void playSelectedEpisode() { ui_.show(nav_.playEpisodeAt(ui_.episodeIndex)); }
    // The Main window's choosers, as the navigation adapter handles them.
    void chooseCategory(int category) {
        ui_.category = category;
        if (const auto shown = switchCategory(cat_, category, ui_.page, ui_.language)) {
            ui_.show(*shown);
        }
    }
    void chooseLanguage(int language) {
        ui_.language = language;
        if (const auto shown = switchLanguage(cat_, language, ui_.listRows, ui_.category)) {
            ui_.chosen = {};
            ++ui_.searchResets;
            ui_.show(*shown);
        }
    }
    void switchToMandarin() {
        ui_.listRows = cat_.count(List::JapaneseTitles);
        chooseLanguage(1);
    }
    void switchToJapanese() {
        ui_.listRows = cat_.count(List::MandarinTitles);
        chooseLanguage(0);
    }
    // A click below the last row: a row whose cells are all empty.
    void chooseNoRow() {
        ui_.chosen.number = 0;
        ui_.chosen.ids.assign(ui_.language == 0 ? 1 : 3, std::string());
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
                ui_.show(nav_.switchSource(static_cast<int>(i), name));
            }
        }
    }

    const Catalogue& cat_ = Catalogue::builtIn();
    PlaybackSession session_;
    Windows ui_;
    fs::path runDirectory_;
    Navigator nav_;
    std::string title_;
};

TEST_F(NavigationTest, playButtonWithoutAChosenRowShowsANotice) {
    play(ChosenEpisode{});
    EXPECT_THAT(ui_.notices,
                ElementsAre(std::pair<std::string, std::string>("提示：", "请先选择一集再观看哦")));
    EXPECT_FALSE(ui_.playerLoaded);
    EXPECT_TRUE(ui_.written.empty());
}

TEST_F(NavigationTest, japaneseEpisodeOffersOnlySohuAndUsesTheIdTemplate) {
    chooseRow(12);
    play();
    EXPECT_EQ(ui_.loads, 1);
    EXPECT_EQ(session_.episode, 12);
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
    play();
    EXPECT_THAT(ui_.sources, ElementsAre("搜狐", "乐视", "爱奇艺"));
    EXPECT_EQ(ui_.sourceIndex, 0);
    ASSERT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.written[0].which, PageTemplate::SohuVid);
    EXPECT_EQ(ui_.written[0].playId, cat_.value(List::MandarinSohuIds, 3));

    selectSourceNamed("乐视");
    ASSERT_EQ(ui_.written.size(), 2u);
    EXPECT_EQ(ui_.written[1].which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written[1].playId, cat_.value(List::MandarinLeTVIds, 3));
    EXPECT_EQ(session_.source, "乐视");

    next();
    ASSERT_EQ(ui_.written.size(), 3u);
    EXPECT_EQ(ui_.written[2].which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written[2].playId, cat_.value(List::MandarinLeTVIds, 4));
    EXPECT_EQ(ui_.episodeIndex, 3);
    EXPECT_EQ(session_.episode, 4);

    // A new playback from the Main window opens on the source used last.
    chooseRow(7);
    play();
    EXPECT_EQ(ui_.loads, 1);  // the window is reused
    EXPECT_EQ(ui_.sourceIndex, 1);
    EXPECT_EQ(ui_.written.back().which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinLeTVIds, 7));

    selectSourceNamed("爱奇艺");
    EXPECT_EQ(ui_.written.back().which, PageTemplate::Iqiyi);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinIqiyiIds, 7));
}

TEST_F(NavigationTest, movieAlwaysPlaysThroughLeTV) {
    chooseCategory(1);
    EXPECT_EQ(ui_.list, List::MovieTitles);
    EXPECT_EQ(ui_.page, 1);
    EXPECT_FALSE(ui_.languageEnabled);
    EXPECT_EQ(ui_.countLabel, 18);

    playMovie(5);
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
    play();
    next();
    EXPECT_EQ(session_.episode, cat_.count(List::JapaneseTitles));
    EXPECT_EQ(ui_.written.back().playId,
              cat_.value(List::JapaneseSohuIds, cat_.count(List::JapaneseTitles)));
    const auto pages = ui_.written.size();
    next();
    EXPECT_EQ(ui_.written.size(), pages);
    EXPECT_THAT(ui_.notices, ElementsAre(std::pair<std::string, std::string>(
                                 "温馨提示：", "已经是最后一集了哦！")));

    chooseRow(2);
    play();
    previous();
    EXPECT_EQ(session_.episode, 1);
    EXPECT_EQ(ui_.episodeIndex, 0);
    previous();
    EXPECT_EQ(session_.episode, 1);
    EXPECT_EQ(ui_.notices.back(),
              (std::pair<std::string, std::string>("温馨提示：", "已经是第一集了哦！")));
}

TEST_F(NavigationTest, laterActivationsAndTheSameEpisodeChangeNothing) {
    chooseRow(5);
    play();
    EXPECT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.shown, 1);
    playSelectedEpisode();  // the chooser still shows the playing episode
    EXPECT_EQ(ui_.written.size(), 1u);
}

TEST_F(NavigationTest, japaneseRowThenMandarinLanguageRefusesPlaybackUntilANewRow) {
    chooseRow(9);
    switchToMandarin();
    EXPECT_EQ(ui_.chosen.number, 0);  // the chosen row belonged to the other list
    play();
    EXPECT_EQ(ui_.notices.size(), 1u);
    EXPECT_EQ(ui_.notices[0].second, "请先选择一集再观看哦");
    EXPECT_FALSE(ui_.playerLoaded);

    chooseRow(9);
    play();
    EXPECT_EQ(ui_.written.back().which, PageTemplate::SohuVid);
}

TEST_F(NavigationTest, mandarinRowThenJapaneseLanguageRefusesPlaybackUntilANewRow) {
    switchToMandarin();
    chooseRow(9);
    switchToJapanese();
    play();
    expectRefused(1);
    EXPECT_FALSE(ui_.playerLoaded);
    EXPECT_TRUE(ui_.written.empty());

    // Back and forth: the row chosen before is still not the row of the list shown.
    chooseRow(4);
    switchToMandarin();
    switchToJapanese();
    play();
    expectRefused(2);

    chooseRow(4);
    play();
    ASSERT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.written[0].which, PageTemplate::SohuId);
    EXPECT_EQ(ui_.written[0].playId, cat_.value(List::JapaneseSohuIds, 4));

    // Choosing the language already shown changes nothing and keeps the row.
    ui_.listRows = cat_.count(List::JapaneseTitles);
    chooseLanguage(0);
    play();
    EXPECT_EQ(ui_.notices.size(), 2u);
}

TEST_F(NavigationTest, aClickBelowTheRowsChoosesNothingToPlay) {
    chooseNoRow();
    play();
    expectRefused(1);
    switchToMandarin();
    chooseNoRow();
    play();
    expectRefused(2);
    EXPECT_FALSE(ui_.playerLoaded);
    EXPECT_TRUE(ui_.written.empty());

    // A row with ids but a heading without a number is no episode either.
    chooseRow(6);
    ChosenEpisode withoutNumber = ui_.chosen;
    withoutNumber.number = 0;
    play(withoutNumber);
    expectRefused(3);
    play();
    EXPECT_EQ(ui_.written.size(), 1u);
}

TEST_F(NavigationTest, thePlayerPlaysFromItsOwnListWhateverTheMainChoosersShow) {
    switchToMandarin();
    chooseRow(5);
    play();
    ASSERT_EQ(ui_.written.size(), 1u);

    switchToJapanese();
    previous();
    EXPECT_EQ(session_.episode, 4);
    EXPECT_EQ(ui_.written.back().which, PageTemplate::SohuVid);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinSohuIds, 4));
    EXPECT_EQ(ui_.caption, "正在播放：  第4集  " + cat_.value(List::MandarinTitles, 4));

    selectSourceNamed("乐视");
    EXPECT_EQ(ui_.written.back().which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinLeTVIds, 4));

    // The movie page neither: the Player window still steps through the Mandarin episodes.
    chooseCategory(1);
    next();
    EXPECT_EQ(ui_.written.back().which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinLeTVIds, 5));
    ui_.episodeIndex = 9;
    playSelectedEpisode();
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinLeTVIds, 10));
    selectSourceNamed("爱奇艺");
    EXPECT_EQ(ui_.written.back().which, PageTemplate::Iqiyi);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinIqiyiIds, 10));

    // A new playback from the Main window takes its list over.
    chooseCategory(0);
    chooseRow(7);
    play();
    EXPECT_THAT(ui_.sources, ElementsAre("搜狐"));
    EXPECT_EQ(ui_.episodeCount(), cat_.count(List::JapaneseTitles));
    EXPECT_EQ(ui_.written.back().which, PageTemplate::SohuId);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::JapaneseSohuIds, 7));
    next();
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::JapaneseSohuIds, 8));
}

TEST_F(NavigationTest, stepsInThePlayerLeaveTheMainWindowsChoiceAlone) {
    switchToMandarin();
    chooseRow(5);
    play();
    next();
    next();
    EXPECT_EQ(session_.episode, 7);

    // The Main window still shows episode 5: Play plays episode 5, under its own number.
    play();
    EXPECT_EQ(session_.episode, 5);
    EXPECT_EQ(ui_.episodeIndex, 4);
    EXPECT_EQ(ui_.written.back().which, PageTemplate::SohuVid);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MandarinSohuIds, 5));
}

TEST_F(NavigationTest, playbackStartsWithoutTheDesktopActivatingThePlayer) {
    chooseRow(12);
    play();
    EXPECT_EQ(ui_.activationRequests, 1);
    EXPECT_EQ(ui_.caption, "正在播放：  第12集  " + title_);
    ASSERT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.written[0].playId, cat_.value(List::JapaneseSohuIds, 12));
    EXPECT_EQ(ui_.shown, 1);
    EXPECT_EQ(ui_.episodeIndex, 11);

    // Every later opening plays as well.
    chooseRow(13);
    play();
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::JapaneseSohuIds, 13));
    playMovie(2);
    EXPECT_EQ(ui_.written.back().which, PageTemplate::LeTV);
    EXPECT_EQ(ui_.written.back().playId, cat_.value(List::MovieLeTVIds, 2));
    EXPECT_EQ(ui_.shown, 3);
}

TEST_F(NavigationTest, switchingSourceWithTooFewIdsWritesNothing) {
    chooseRow(9);
    play();
    // The Player window is open on a Japanese episode; the language then changes.
    switchToMandarin();
    ui_.sources = {"搜狐", "乐视", "爱奇艺"};
    const auto pages = ui_.written.size();
    ui_.show(nav_.switchSource(2, "爱奇艺"));
    EXPECT_EQ(ui_.written.size(), pages);
}

TEST_F(NavigationTest, trailerWritesTheTrailerIdAndLeavesTheStateAlone) {
    chooseRow(4);
    const PlaybackSession before = session_;
    ui_.show(nav_.trailer());
    ASSERT_EQ(ui_.written.size(), 1u);
    EXPECT_EQ(ui_.written[0].which, PageTemplate::SohuId);
    EXPECT_EQ(ui_.written[0].playId, cat_.trailerPlayId());
    EXPECT_EQ(ui_.trailerOpened, 1);
    EXPECT_EQ(ui_.shown, 0);
    EXPECT_EQ(session_.ids, before.ids);
    EXPECT_EQ(session_.source, before.source);
    EXPECT_EQ(session_.episode, before.episode);
}

TEST_F(NavigationTest, choosersSwitchListsOnlyWhenSomethingChanges) {
    ui_.listRows = cat_.count(List::JapaneseTitles);
    chooseLanguage(0);  // still "日语" with the Japanese list shown: nothing to do
    EXPECT_EQ(ui_.refreshes, 0);
    EXPECT_EQ(ui_.searchResets, 0);

    chooseLanguage(1);
    EXPECT_EQ(ui_.list, List::MandarinTitles);
    EXPECT_EQ(ui_.countLabel, cat_.count(List::MandarinTitles));
    EXPECT_EQ(ui_.refreshes, 1);

    // Movies: the language chooser is disabled and the list stays as it is.
    chooseCategory(1);
    chooseLanguage(0);
    EXPECT_EQ(ui_.list, List::MovieTitles);

    // Back to TV: the list of the language the chooser shows.
    chooseCategory(0);
    EXPECT_EQ(ui_.list, List::JapaneseTitles);
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
    Navigator nav(session_, cat_, run);
    session_.pagePath = playerPagePath(run);

    chooseRow(12);
    ui_.show(nav.playButton(ui_.chosen));
    EXPECT_THAT(ui_.notices, ElementsAre(Pair("提示：", std::string(kPageNotWritten))));
    EXPECT_EQ(ui_.shown, 1);
    EXPECT_EQ(ui_.shownPath, playerPagePath(run));
    EXPECT_TRUE(ui_.written.empty());

    ui_.show(nav.trailer());
    EXPECT_EQ(ui_.notices.size(), 2u);
    EXPECT_EQ(ui_.trailerOpened, 1);
}

TEST_F(NavigationTest, thePageGoesIntoTheRunDirectory) {
    chooseRow(12);
    play();
    next();
    EXPECT_EQ(ui_.shownPath, playerPagePath(runDirectory_.string()));
    EXPECT_EQ(readPage(ui_.shownPath)->playId, cat_.value(List::JapaneseSohuIds, 13));
    EXPECT_TRUE(ui_.notices.empty());
}

TEST(ListSwitchTest, aChooserSwitchesTheListOnlyWhenThePageOrTheListLengthDiffers) {
    const Catalogue& cat = Catalogue::builtIn();
    const int japanese = cat.count(List::JapaneseTitles);
    const int mandarin = cat.count(List::MandarinTitles);
    const ListSwitch tvJapanese{List::JapaneseTitles, japanese, 0};
    const ListSwitch tvMandarin{List::MandarinTitles, mandarin, 0};
    const ListSwitch movies{List::MovieTitles, cat.count(List::MovieTitles), 1};
    struct Case {
        int category, page, language;
        std::optional<ListSwitch> shown;
    };
    for (const Case& c : std::initializer_list<Case>{{0, 1, 0, tvJapanese},
                                                     {0, 1, 1, tvMandarin},
                                                     {1, 0, 1, movies},
                                                     {0, 0, 1, std::nullopt},
                                                     {1, 1, 0, std::nullopt}}) {
        EXPECT_EQ(switchCategory(cat, c.category, c.page, c.language), c.shown)
            << c.category << c.page << c.language;
    }
    struct LanguageCase {
        int language, rows, category;
        std::optional<ListSwitch> shown;
    };
    for (const LanguageCase& c :
         std::initializer_list<LanguageCase>{{1, japanese, 0, tvMandarin},
                                             {1, mandarin - 1, 0, tvMandarin},
                                             {1, mandarin + 1, 0, tvMandarin},
                                             {1, mandarin, 0, std::nullopt},
                                             {0, 0, 0, tvJapanese},
                                             {0, japanese, 0, std::nullopt},
                                             {0, mandarin, 1, std::nullopt},
                                             {-1, 0, 0, std::nullopt},
                                             {2, 0, 0, std::nullopt}}) {
        EXPECT_EQ(switchLanguage(cat, c.language, c.rows, c.category), c.shown)
            << c.language << " " << c.rows << " " << c.category;
    }
}

TEST(NavigationText, nowPlayingCaptionNamesTheEpisode) {
    EXPECT_EQ(nowPlayingCaption(7, "标题"), "正在播放：  第7集  标题");
}

}  // namespace
}  // namespace arlo::playback
