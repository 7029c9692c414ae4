#include "catalogue/episode_rows.h"

#include "catalogue/list_text.h"
#include "text/gbk.h"

namespace arlo::catalogue {

std::vector<EpisodeRow> buildEpisodeRows(const Catalogue& catalogue, bool mandarin) {
    const List titles = mandarin ? List::MandarinTitles : List::JapaneseTitles;
    const int count = catalogue.count(titles);
    std::vector<EpisodeRow> rows(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n) {
        EpisodeRow& row = rows[static_cast<std::size_t>(n - 1)];
        row.cells[1] = std::to_string(n);
        row.cells[2] = catalogue.value(titles, n);
        if (mandarin) {
            row.cells[3] = catalogue.value(List::MandarinSohuIds, n);
            row.cells[4] = catalogue.value(List::MandarinLeTVIds, n);
            row.cells[5] = catalogue.value(List::MandarinIqiyiIds, n);
            row.cells[6] = catalogue.value(List::MandarinThumbnailUrls, n);
            row.cells[7] = catalogue.value(List::MandarinPreviewCodes, n);
        } else {
            row.cells[3] = catalogue.value(List::JapaneseSohuIds, n);
        }
        row.searchKey = row.cells[1] + row.cells[2];
    }
    return rows;
}

std::vector<std::size_t> searchRows(const std::vector<EpisodeRow>& rows, std::string_view query) {
    std::vector<std::size_t> found;
    if (query.empty()) {
        return found;
    }
    // A valid UTF-8 query starts with a lead byte, and a lead byte never occurs inside a
    // character, so a plain byte search only ever matches whole characters.
    const auto lead = static_cast<unsigned char>(query.front());
    if ((lead & 0xC0) == 0x80) {
        return found;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].searchKey.find(query) != std::string::npos) {
            found.push_back(i);
        }
    }
    return found;
}

std::string resultCountCaption(std::size_t count) {
    return "搜索到 " + std::to_string(count) + " 个结果";
}

std::string episodeHeading(std::string_view number) {
    return std::string(kSeriesTitle) + "  第" + std::string(number) + "集";
}

bool titleNeedsWrap(std::string_view title) {
    return text::gbkByteLength(title) >= 31;
}

}  // namespace arlo::catalogue
