#include "catalogue/episode_rows.h"

#include <string.h>

#include <charconv>

#include "text/gbk.h"

namespace arlo::catalogue {

namespace {

// The value of a catalogue line, "n-value": the text after its last "-".
std::string_view valueOf(std::string_view line) {
    const void* dash = memrchr(line.data(), '-', line.size());
    if (dash == nullptr) {
        return {};
    }
    return line.substr(static_cast<std::size_t>(static_cast<const char*>(dash) - line.data()) + 1);
}

}  // namespace

EpisodeRows::EpisodeRows(const Catalogue& catalogue, bool mandarin)
    : catalogue_(&catalogue),
      titles_(&catalogue.lines(mandarin ? List::MandarinTitles : List::JapaneseTitles)),
      mandarin_(mandarin) {}

const EpisodeRows::Keys& EpisodeRows::keys() const {
    std::call_once(keysLaid_, [this] {
        std::size_t length = 0;
        for (const std::string& line : *titles_) {
            length += line.size() + 1;  // about as long as the line itself, with a line feed
        }
        keys_.text.reserve(length);
        keys_.starts.reserve(titles_->size() + 1);
        char number[24];
        for (std::size_t i = 0; i < titles_->size(); ++i) {
            keys_.starts.push_back(keys_.text.size());
            const auto written = std::to_chars(number, number + sizeof number, i + 1);
            keys_.text.append(number, written.ptr);
            keys_.text.append(valueOf((*titles_)[i]));
            keys_.text.push_back('\n');
        }
        keys_.starts.push_back(keys_.text.size());
    });
    return keys_;
}

std::string_view EpisodeRows::searchKey(std::size_t row) const {
    if (row >= size()) {
        return {};
    }
    const Keys& k = keys();
    return std::string_view(k.text).substr(k.starts[row], k.starts[row + 1] - k.starts[row] - 1);
}

std::string EpisodeRows::cell(std::size_t row, int column) const {
    if (row >= size()) {
        return {};
    }
    const int n = static_cast<int>(row + 1);
    std::string_view text;
    switch (column) {
        case 1:
            return std::to_string(n);
        case 2:
            text = valueOf((*titles_)[row]);
            break;
        case 3:
            text = valueOf(
                catalogue_->entry(mandarin_ ? List::MandarinSohuIds : List::JapaneseSohuIds, n));
            break;
        case 4:
        case 5:
        case 6:
        case 7: {
            static constexpr List kMandarinOnly[] = {List::MandarinLeTVIds, List::MandarinIqiyiIds,
                                                     List::MandarinThumbnailUrls,
                                                     List::MandarinPreviewCodes};
            if (mandarin_) {
                text = valueOf(catalogue_->entry(kMandarinOnly[column - 4], n));
            }
            break;
        }
        default:
            break;
    }
    return std::string(text);
}

std::vector<std::size_t> searchRows(const EpisodeRows& rows, std::string_view query) {
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
    // One pass over every key at once. It looks for the query's last byte (in CJK text a
    // continuation byte, far rarer than the few lead bytes), then compares what comes before
    // it. A match that runs from one key into the next is no match.
    const auto& k = rows.keys();
    const std::string_view text = k.text;
    const std::size_t last = query.size() - 1;
    std::size_t row = 0;
    for (std::size_t i = last; i < text.size();) {
        const void* hit = memchr(text.data() + i, query.back(), text.size() - i);
        if (hit == nullptr) {
            break;
        }
        i = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        const std::size_t at = i - last;
        if (memcmp(text.data() + at, query.data(), last) != 0) {
            ++i;
            continue;
        }
        while (k.starts[row + 1] <= at) {
            ++row;
        }
        const std::size_t next = k.starts[row + 1];  // one past the key's line feed
        if (at + query.size() < next) {
            found.push_back(row);
            ++row;
            i = next + last;  // on to the next key: a row is found once
        } else {
            ++i;
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
