#include "catalogue/episode_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/catalogue_of.h"
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
    EXPECT_EQ(japanese.cell(9, 1), "10");
    EXPECT_EQ(japanese.cell(9, 2), cat().value(List::JapaneseTitles, 10));
    EXPECT_EQ(japanese.cell(9, 3), cat().value(List::JapaneseSohuIds, 10));
    EXPECT_TRUE(japanese.cell(9, 4).empty());
    EXPECT_TRUE(japanese.cell(9, 7).empty());
    EXPECT_EQ(mandarin.cell(4, 5), cat().value(List::MandarinIqiyiIds, 5));
    EXPECT_EQ(mandarin.cell(4, 6), cat().value(List::MandarinThumbnailUrls, 5));
    EXPECT_EQ(mandarin.cell(4, 7), cat().value(List::MandarinPreviewCodes, 5));
    EXPECT_EQ(mandarin.searchKey(4), "5" + cat().value(List::MandarinTitles, 5));
}

TEST(EpisodeRows, cellsReadWhenAskedEqualTheCatalogueValuesOfEveryRow) {
    // Every cell of every row against the catalogue's own values, and nothing outside.
    for (const bool mandarin : {false, true}) {
        const auto rows = buildEpisodeRows(cat(), mandarin);
        const List titles = mandarin ? List::MandarinTitles : List::JapaneseTitles;
        const std::vector<List> ids =
            mandarin ? std::vector<List>{List::MandarinSohuIds, List::MandarinLeTVIds,
                                         List::MandarinIqiyiIds, List::MandarinThumbnailUrls,
                                         List::MandarinPreviewCodes}
                     : std::vector<List>{List::JapaneseSohuIds};
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int n = static_cast<int>(i + 1);
            ASSERT_EQ(rows.cell(i, 0), "");
            ASSERT_EQ(rows.cell(i, 1), std::to_string(n));
            ASSERT_EQ(rows.cell(i, 2), cat().value(titles, n));
            for (std::size_t column = 3; column < kEpisodeCellCount; ++column) {
                const std::string expected =
                    column - 3 < ids.size() ? cat().value(ids[column - 3], n) : "";
                ASSERT_EQ(rows.cell(i, static_cast<int>(column)), expected) << n << "/" << column;
            }
            ASSERT_EQ(rows.cell(i, kEpisodeCellCount), "");
            ASSERT_EQ(rows.searchKey(i), rows.cell(i, 1) + rows.cell(i, 2));
        }
        EXPECT_EQ(rows.cell(rows.size(), 1), "");
        EXPECT_EQ(rows.cell(rows.size(), 2), "");
        EXPECT_EQ(rows.searchKey(rows.size()), "");
    }
}

TEST(EpisodeRows, aTitleIsTheTextAfterItsLinesLastDashAndAnEmptyListHasNoRows) {
    const auto listed = test_support::catalogueOf(
        {{List::JapaneseTitles, {"阿洛-钟楼-之谜", "", "无横线"}}, {List::JapaneseSohuIds, {"7"}}});
    const auto rows = buildEpisodeRows(*listed, false);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.cell(0, 2), "之谜");
    EXPECT_EQ(rows.cell(1, 2), "");
    EXPECT_EQ(rows.cell(2, 2), "无横线");
    EXPECT_EQ(rows.cell(0, 3), "7");
    EXPECT_EQ(rows.cell(1, 3), "");  // the id list is shorter than the title list
    EXPECT_EQ(searchRows(rows, "钟楼"), std::vector<std::size_t>{});
    EXPECT_EQ(searchRows(rows, "1之"), std::vector<std::size_t>{0});
    EXPECT_EQ(searchRows(rows, "2"), std::vector<std::size_t>{1});

    const auto none = buildEpisodeRows(*listed, true);
    EXPECT_EQ(none.size(), 0u);
    EXPECT_EQ(none.cell(0, 2), "");
    EXPECT_EQ(searchRows(none, "1"), std::vector<std::size_t>{});
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
        byNumber += rows.cell(found[i], 1).find("12") != std::string::npos;
        byTitle += rows.cell(found[i], 2).find("12") != std::string::npos;
    }
    EXPECT_GT(byNumber, 0u);
    EXPECT_GT(byTitle, 0u);
    // Every row that contains the text is found, none that does not.
    std::size_t expected = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        expected += (rows.cell(i, 1) + rows.cell(i, 2)).find("12") != std::string::npos;
    }
    EXPECT_EQ(found.size(), expected);
}

TEST(EpisodeSearch, matchesAcrossNumberAndTitleButNotInsideCharacters) {
    const auto listed = test_support::catalogueOf(
        {{List::JapaneseTitles, {"", "", "", "", "", "", "钟楼的秘密", "Arlo and the Bell"}}});
    const auto rows = buildEpisodeRows(*listed, false);
    EXPECT_EQ(searchRows(rows, "7钟"), std::vector<std::size_t>{6});
    EXPECT_EQ(searchRows(rows, "arlo"), std::vector<std::size_t>{});  // case matters
    EXPECT_EQ(searchRows(rows, "8A"), std::vector<std::size_t>{7});
    // Not from the end of one row's key into the next one's.
    EXPECT_EQ(searchRows(rows, "密8"), std::vector<std::size_t>{});
    EXPECT_EQ(searchRows(rows, "56"), std::vector<std::size_t>{});
    EXPECT_EQ(searchRows(rows, "秘密\n8"), std::vector<std::size_t>{});
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
            const std::string title = rows.cell(i, 2);
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

// Every row whose key contains the query, found one key at a time.
std::vector<std::size_t> naiveSearch(const EpisodeRows& rows, const std::string& query) {
    std::vector<std::size_t> found;
    const auto lead = query.empty() ? 0x80 : static_cast<unsigned char>(query.front());
    for (std::size_t i = 0; i < rows.size() && (lead & 0xC0) != 0x80; ++i) {
        if ((rows.cell(i, 1) + rows.cell(i, 2)).find(query) != std::string::npos) {
            found.push_back(i);
        }
    }
    return found;
}

TEST(EpisodeSearch, findsWhatANaiveScanOfEveryKeyFinds) {
    // Titles from a handful of characters, so that most queries match many rows, some match
    // across the end of one key and the start of the next, and numbers run into titles.
    const std::vector<std::string> alphabet = {"钟", "楼", "1", "2", "-", "a", "é", " "};
    std::mt19937 random(20240607);
    auto text = [&](std::size_t length) {
        std::string t;
        for (std::size_t i = 0; i < length; ++i) {
            t += alphabet[random() % alphabet.size()];
        }
        return t;
    };
    std::vector<std::string> titles;
    for (int n = 0; n < 3000; ++n) {
        titles.push_back(text(random() % 7));
    }
    const auto listed = test_support::catalogueOf({{List::MandarinTitles, titles}});
    const auto rows = buildEpisodeRows(*listed, true);
    ASSERT_EQ(rows.size(), titles.size());
    std::vector<std::string> queries = {"1", "12",  "21",   "钟楼",   "楼1",  "a1",   "2a",
                                        "3", "999", "2999", "楼楼楼", "\xA9", "\x9F", "钟\n"};
    for (int q = 0; q < 300; ++q) {
        queries.push_back(text(1 + random() % 4));
    }
    for (const std::string& query : queries) {
        ASSERT_EQ(searchRows(rows, query), naiveSearch(rows, query)) << query;
    }
    // Queries cut out of the keys themselves, starting anywhere, even inside a character.
    for (std::size_t i = 0; i < rows.size(); i += 97) {
        const std::string key(rows.searchKey(i));
        for (std::size_t from = 0; from < key.size(); ++from) {
            const std::string query = key.substr(from, 1 + (from + i) % 5);
            ASSERT_EQ(searchRows(rows, query), naiveSearch(rows, query)) << query;
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
