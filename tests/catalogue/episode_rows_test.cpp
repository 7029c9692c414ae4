#include "catalogue/episode_rows.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "text/gbk.h"

namespace arlo::catalogue {
namespace {

const Catalogue& cat() {
    return Catalogue::builtIn();
}

TEST(EpisodeRows, mandarinRowsCarryEveryIdAndJapaneseRowsOnlySohu) {
    const auto japanese = buildEpisodeRows(cat(), false);
    const auto mandarin = buildEpisodeRows(cat(), true);
    ASSERT_EQ(japanese.size(), static_cast<std::size_t>(cat().count(List::JapaneseTitles)));
    ASSERT_EQ(mandarin.size(), static_cast<std::size_t>(cat().count(List::MandarinTitles)));
    EXPECT_EQ(japanese[9].cells[1], "10");
    EXPECT_EQ(japanese[9].cells[2], cat().value(List::JapaneseTitles, 10));
    EXPECT_EQ(japanese[9].cells[3], cat().value(List::JapaneseSohuIds, 10));
    EXPECT_TRUE(japanese[9].cells[4].empty());
    EXPECT_TRUE(japanese[9].cells[7].empty());
    EXPECT_EQ(mandarin[4].cells[5], cat().value(List::MandarinIqiyiIds, 5));
    EXPECT_EQ(mandarin[4].cells[6], cat().value(List::MandarinThumbnailUrls, 5));
    EXPECT_EQ(mandarin[4].cells[7], cat().value(List::MandarinPreviewCodes, 5));
    EXPECT_EQ(mandarin[4].searchKey, "5" + cat().value(List::MandarinTitles, 5));
}

TEST(EpisodeSearch, findsNumbersAndTitlesInListOrder) {
    const auto rows = buildEpisodeRows(cat(), false);
    const auto found = searchRows(rows, "12");
    std::size_t byNumber = 0;
    std::size_t byTitle = 0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(found[i - 1], found[i]);
        }
        const auto& row = rows[found[i]];
        byNumber += row.cells[1].find("12") != std::string::npos;
        byTitle += row.cells[2].find("12") != std::string::npos;
    }
    EXPECT_GT(byNumber, 0u);
    EXPECT_GT(byTitle, 0u);
    // Every row that contains the text is found, none that does not.
    std::size_t expected = 0;
    for (const auto& row : rows) {
        expected += (row.cells[1] + row.cells[2]).find("12") != std::string::npos;
    }
    EXPECT_EQ(found.size(), expected);
}

TEST(EpisodeSearch, matchesAcrossNumberAndTitleButNotInsideCharacters) {
    std::vector<EpisodeRow> rows(2);
    rows[0].cells[1] = "7";
    rows[0].cells[2] = "钟楼的秘密";
    rows[0].searchKey = "7钟楼的秘密";
    rows[1].cells[1] = "8";
    rows[1].cells[2] = "Arlo and the Bell";
    rows[1].searchKey = "8Arlo and the Bell";
    EXPECT_EQ(searchRows(rows, "7钟"), std::vector<std::size_t>{0});
    EXPECT_EQ(searchRows(rows, "arlo"), std::vector<std::size_t>{});  // case matters
    EXPECT_EQ(searchRows(rows, "8A"), std::vector<std::size_t>{1});
    EXPECT_EQ(searchRows(rows, ""), std::vector<std::size_t>{});
    // The tail bytes of "钟" (E9 92 9F) are not a character of their own.
    EXPECT_EQ(searchRows(rows, "\x92\x9F"), std::vector<std::size_t>{});
}

TEST(EpisodeSearch, everyTitleMatchesItselfAsGbkWouldAllow) {
    // The search runs over UTF-8, where a match can only start on a whole character, as the
    // GBK search it stands for could. That holds only while every title is valid text with a
    // GBK form; and each title's own text must find its row.
    for (const bool mandarin : {false, true}) {
        const auto rows = buildEpisodeRows(cat(), mandarin);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string& title = rows[i].cells[2];
            const auto gbk = text::utf8ToGbk(title);
            ASSERT_TRUE(gbk.has_value()) << "row " << i + 1 << ": " << title;
            EXPECT_EQ(text::gbkToUtf8(*gbk), title);
            if (i % 37 == 0 && !title.empty()) {
                const auto found = searchRows(rows, title);
                EXPECT_NE(std::find(found.begin(), found.end(), i), found.end()) << title;
            }
        }
    }
}

TEST(EpisodeText, captionsHeadingAndWrap) {
    EXPECT_EQ(resultCountCaption(0), "搜索到 0 个结果");
    EXPECT_EQ(resultCountCaption(42), "搜索到 42 个结果");
    EXPECT_EQ(episodeHeading("12"), "雾港侦探阿洛  第12集");
    EXPECT_EQ(episodeHeading(""), "雾港侦探阿洛  第集");
    EXPECT_TRUE(titleNeedsWrap(std::string(15, 'a') + "一二三四五六七八"));  // 15 + 16 bytes
    EXPECT_FALSE(titleNeedsWrap("一二三四五六七八九十一二三四五"));          // 30 bytes
    EXPECT_TRUE(titleNeedsWrap("一二三四五六七八九十一二三四五a"));          // 31 bytes
}

}  // namespace
}  // namespace arlo::catalogue
