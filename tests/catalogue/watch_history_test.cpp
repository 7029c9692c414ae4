#include "catalogue/watch_history.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace arlo::catalogue {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHead = "Arlo迷 history 1\n";

TEST(WatchHistoryTest, PlaysAreKeptPerListAndSurviveTheText) {
    WatchHistory history;
    // Boundary rows: the first, the last remembered, one past it, before the first.
    EXPECT_TRUE(history.recordPlay("日语", 0));
    EXPECT_TRUE(history.recordPlay("日语", kHistoryMaxRows - 1));
    EXPECT_FALSE(history.recordPlay("日语", kHistoryMaxRows));
    EXPECT_FALSE(history.recordPlay("日语", -1));
    EXPECT_FALSE(history.recordPlay("粤语", 3));
    for (const int row : {4, 5, 6, 8, 5}) {
        EXPECT_TRUE(history.recordPlay("国语", row));
    }
    EXPECT_EQ(history.of("日语").last, kHistoryMaxRows - 1);
    EXPECT_EQ(history.of("国语").last, 5);
    EXPECT_EQ(history.of("粤语").last, -1);
    for (const int row : {4, 5, 6, 8}) {
        EXPECT_TRUE(history.of("国语").wasPlayed(row)) << row;
    }
    for (const int row : {-1, 3, 7, 9, 100}) {
        EXPECT_FALSE(history.of("国语").wasPlayed(row)) << row;
    }
    EXPECT_EQ(history.toText(), std::string(kHead) + "日语 5000 1,5000\n国语 6 5-7,9\n");
    EXPECT_EQ(WatchHistory::fromText(history.toText()), history);
}

TEST(WatchHistoryTest, DamagedTextReadsAsEmpty) {
    const std::string head(kHead);
    const struct {
        std::string text;
        bool empty;
    } cases[] = {
        {head + "日语 2 1-3\n国语 0 -\n", false},
        {head + "日语 2 1-3", false},        // no final line end
        {head + "日语 5000 5000\n", false},  // the highest row
        {head + "日语 5001 5001\n", true},   // beyond it
        {head + "日语 0 0\n", true},         // episode numbers start at 1
        {head + "日语 4 1-3\n", true},       // the last one was never played
        {head + "日语 2 3-1\n", true},       // a run backwards
        {head + "日语 2 1-3,\n", true},      // an empty run
        {head + "日语 2 +2\n", true},
        {head + "日语 2 1-3 x\n", true},  // a field too many
        {head + "粤语 1 1\n", true},
        {head + "日语 2 1-3\n\n", true},         // an empty line inside
        {"Arlo迷 history 2\n日语 1 1\n", true},  // another format
        {"", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WatchHistory::fromText(c.text) == WatchHistory(), c.empty) << c.text;
    }
}

TEST(WatchHistoryTest, FileRoundTripAndBounds) {
    std::string folder = (fs::temp_directory_path() / "arlo-history-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const std::string path = folder + "/state/Arlo迷/history";

    EXPECT_EQ(readHistory(path), WatchHistory());  // missing
    WatchHistory history;
    history.recordPlay("国语", 41);
    ASSERT_TRUE(writeHistory(path, history));
    struct stat info {};
    ASSERT_EQ(::stat((folder + "/state/Arlo迷").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(readHistory(path), history);

    // A file of exactly the bound is read; one byte more is not.
    const std::size_t size = history.toText().size();
    EXPECT_EQ(readHistory(path, size), history);
    EXPECT_EQ(readHistory(path, size - 1), WatchHistory());
    // Not a regular file.
    EXPECT_EQ(readHistory(folder), WatchHistory());
    fs::remove_all(folder);
}

TEST(WatchHistoryTest, FileLivesInTheStateFolder) {
    const struct {
        const char* state;
        const char* home;
        std::string path;
    } cases[] = {
        {"/s", "/h", "/s/Arlo迷/history"},
        {"", "/h", "/h/.local/state/Arlo迷/history"},
        {"relative", "/h", "/h/.local/state/Arlo迷/history"},
        {nullptr, "relative", ""},
    };
    for (const auto& c : cases) {
        c.state != nullptr ? setenv("XDG_STATE_HOME", c.state, 1) : unsetenv("XDG_STATE_HOME");
        setenv("HOME", c.home, 1);
        EXPECT_EQ(historyFilePath(), c.path) << c.state << " " << c.home;
    }
}

}  // namespace
}  // namespace arlo::catalogue
