// Checks the catalogue carried with the program: the invariants every other part relies on
// (parallel lists, numbering, id forms, titles that survive the trip to GBK and back).
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/list_text.h"
#include "deploy/deploy.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace arlo::catalogue {
namespace {

const Catalogue& cat() {
    return Catalogue::builtIn();
}

TEST(CatalogueData, parallelListsHaveEqualCounts) {
    const int japanese = cat().count(List::JapaneseTitles);
    const int mandarin = cat().count(List::MandarinTitles);
    EXPECT_GE(japanese, 700);
    EXPECT_GE(mandarin, 600);
    EXPECT_EQ(cat().count(List::JapaneseSohuIds), japanese);
    for (List l : {List::MandarinSohuIds, List::MandarinLeTVIds, List::MandarinIqiyiIds,
                   List::MandarinThumbnailUrls, List::MandarinPreviewCodes}) {
        EXPECT_EQ(cat().count(l), mandarin) << listName(l);
    }
    EXPECT_EQ(cat().count(List::MovieTitles), 18);
    EXPECT_EQ(cat().count(List::MovieLeTVIds), 18);
}

TEST(CatalogueData, entriesAreNumberedFromOneWithoutGaps) {
    for (List l : kBuildOrder) {
        const auto& lines = cat().lines(l);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string prefix = std::to_string(i + 1) + "-";
            ASSERT_EQ(lines[i].rfind(prefix, 0), 0u) << listName(l) << " line " << i + 1;
            // No value contains a dash, so the value after the last dash is all of it.
            EXPECT_EQ(valueAfterLastDash(lines[i]), lines[i].substr(prefix.size()));
            EXPECT_FALSE(valueAfterLastDash(lines[i]).empty()) << listName(l) << " " << i + 1;
        }
    }
}

TEST(CatalogueData, idsHaveTheirForms) {
    const std::regex digits("[0-9]+");
    const std::regex iqiyi("[0-9a-f]{32}&tvId=[0-9]+");
    const std::regex code("[A-Za-z0-9]{15,19}");
    int zeros = 0;
    for (int n = 1; n <= cat().count(List::JapaneseSohuIds); ++n) {
        const auto id = cat().value(List::JapaneseSohuIds, n);
        EXPECT_TRUE(std::regex_match(id, digits)) << id;
        zeros += id == "0";
    }
    EXPECT_GT(zeros, 0);
    for (int n = 1; n <= cat().count(List::MandarinTitles); ++n) {
        EXPECT_TRUE(std::regex_match(cat().value(List::MandarinSohuIds, n), digits));
        EXPECT_TRUE(std::regex_match(cat().value(List::MandarinLeTVIds, n), digits));
        EXPECT_TRUE(std::regex_match(cat().value(List::MandarinIqiyiIds, n), iqiyi));
        EXPECT_TRUE(std::regex_match(cat().value(List::MandarinPreviewCodes, n), code));
        const auto url = cat().value(List::MandarinThumbnailUrls, n);
        EXPECT_EQ(url.rfind(std::string(deploy::kCoverHost) + "/", 0), 0u) << url;
    }
    for (int n = 1; n <= 18; ++n) {
        EXPECT_TRUE(std::regex_match(cat().value(List::MovieLeTVIds, n), digits));
    }
    EXPECT_TRUE(std::regex_match(cat().trailerPlayId(), std::regex("[0-9]{8}")));
    EXPECT_FALSE(cat().trailerTitle().empty());
}

TEST(CatalogueData, titlesRoundTripThroughGbkAndAreDistinct) {
    int longTitles = 0;
    int withDigits = 0;
    for (List l : {List::JapaneseTitles, List::MandarinTitles, List::MovieTitles}) {
        std::set<std::string> seen;
        for (int n = 1; n <= cat().count(l); ++n) {
            const auto title = cat().value(l, n);
            const auto gbk = text::utf8ToGbk(title);
            ASSERT_TRUE(gbk.has_value()) << listName(l) << " " << n << " " << title;
            EXPECT_EQ(text::gbkToUtf8(*gbk), title);
            EXPECT_TRUE(seen.insert(title).second) << "duplicate title " << title;
            longTitles += gbk->size() >= 31;
            withDigits += title.find_first_of("0123456789") != std::string::npos;
        }
    }
    EXPECT_GT(longTitles, 0);  // the episode panel's word wrap must be reachable
    EXPECT_GT(withDigits, 0);  // a search for digits finds titles as well as numbers
    EXPECT_TRUE(text::utf8ToGbk(cat().trailerTitle()).has_value());
}

TEST(CatalogueData, entriesOutsideTheListAreEmpty) {
    EXPECT_EQ(cat().entry(List::MovieTitles, 0), "");
    EXPECT_EQ(cat().entry(List::MovieTitles, 19), "");
    EXPECT_EQ(cat().value(List::MovieTitles, -1), "");
    EXPECT_EQ(cat().entry(List::MovieTitles, 1).substr(0, 2), "1-");
}

TEST(Catalogue, buildsListsInStartUpOrderFromTexts) {
    std::array<std::string_view, kListCount> texts{};
    texts[0] = "1-m1\r\n2-m2";  // MandarinTitles comes first
    texts[1] = "1-j1";          // then JapaneseTitles
    const Catalogue c(texts, "12345678", "T");
    EXPECT_EQ(c.count(List::MandarinTitles), 2);
    EXPECT_EQ(c.value(List::MandarinTitles, 2), "m2");
    EXPECT_EQ(c.value(List::JapaneseTitles, 1), "j1");
    EXPECT_EQ(c.count(List::MovieTitles), 0);
}

}  // namespace
}  // namespace arlo::catalogue
