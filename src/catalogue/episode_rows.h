#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"

// The rows of the episode lists and what a search over them matches. Plain data, so a worker
// thread can search a snapshot while the windows keep theirs.
namespace arlo::catalogue {

// The series' title, shown above the chosen episode.
inline constexpr std::string_view kSeriesTitle = "雾港侦探阿洛";

// Cell texts of one row: 0 empty, 1 number, 2 title, 3 Sohu id, 4 LeTV id, 5 iQiyi id,
// 6 thumbnail address, 7 preview code (4 to 7 only for Mandarin-dubbed rows).
struct EpisodeRow {
    std::array<std::string, 8> cells;
    std::string searchKey;  // cell 1 immediately followed by cell 2
};

// The full list of one dub language, rows numbered 1..count.
std::vector<EpisodeRow> buildEpisodeRows(const Catalogue& catalogue, bool mandarin);

// Indexes of the rows whose search key contains `query`: case-sensitive, whole characters
// only (UTF-8 text cannot match from inside a character), in list order. An empty query
// matches nothing.
std::vector<std::size_t> searchRows(const std::vector<EpisodeRow>& rows, std::string_view query);

// "搜索到 n 个结果"
std::string resultCountCaption(std::size_t count);

// The series title, two spaces, "第", the number, "集".
std::string episodeHeading(std::string_view number);

// A title of 31 GBK bytes or more is shown word-wrapped.
bool titleNeedsWrap(std::string_view title);

}  // namespace arlo::catalogue
