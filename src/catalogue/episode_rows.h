#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"

// The rows of the episode lists and what a search over them matches. Plain data, so a worker
// thread can search a snapshot while the windows keep theirs.
namespace arlo::catalogue {

// The series' title, shown above the chosen episode.
inline constexpr std::string_view kSeriesTitle = "雾港侦探阿洛";

// Cells of a row: 0 empty, 1 number, 2 title, 3 Sohu id, 4 LeTV id, 5 iQiyi id,
// 6 thumbnail address, 7 preview code (4 to 7 only for Mandarin-dubbed rows).
inline constexpr int kEpisodeCellCount = 8;

// The full list of one dub language, rows numbered 1..size(). A list may hold a long-running
// series, so nothing is made per row until it is needed: cells are read from the catalogue
// when they are asked for, and the first search lays the search keys (each row's number
// immediately followed by its title) one after another into a single buffer, which every
// later search scans. Any thread may read it; the catalogue must outlive it.
class EpisodeRows final {
public:
    EpisodeRows(const Catalogue& catalogue, bool mandarin);
    EpisodeRows(const EpisodeRows&) = delete;
    EpisodeRows& operator=(const EpisodeRows&) = delete;

    std::size_t size() const { return titles_->size(); }
    bool mandarin() const { return mandarin_; }
    // The text of a cell (0-based row); empty outside the list and in the cells a row leaves
    // empty.
    std::string cell(std::size_t row, int column) const;
    // The row's number followed by its title, as the search reads it.
    std::string_view searchKey(std::size_t row) const;

private:
    friend std::vector<std::size_t> searchRows(const EpisodeRows& rows, std::string_view query);

    struct Keys {
        // Row i's key is text[starts[i], starts[i + 1] - 1), followed by a line feed.
        std::string text;
        std::vector<std::size_t> starts;
    };
    const Keys& keys() const;

    const Catalogue* catalogue_;
    const std::vector<std::string>* titles_;
    bool mandarin_;
    mutable std::once_flag keysLaid_;
    mutable Keys keys_;
};

inline EpisodeRows buildEpisodeRows(const Catalogue& catalogue, bool mandarin) {
    return EpisodeRows(catalogue, mandarin);
}

// Indexes of the rows whose search key contains `query`: case-sensitive, whole characters
// only (UTF-8 text cannot match from inside a character), in list order. An empty query
// matches nothing.
std::vector<std::size_t> searchRows(const EpisodeRows& rows, std::string_view query);

// "搜索到 n 个结果"
std::string resultCountCaption(std::size_t count);

// The series title, two spaces, "第", the number, "集".
std::string episodeHeading(std::string_view number);

// A title of 31 GBK bytes or more is shown word-wrapped.
bool titleNeedsWrap(std::string_view title);

}  // namespace arlo::catalogue
