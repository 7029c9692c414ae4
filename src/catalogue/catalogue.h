#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The episode catalogue: ten parallel lists carried with the program, split once into
// read-only arrays. Entries are addressed by 1-based position; entry n of every list with
// the same prefix describes the same episode or movie.
namespace arlo::catalogue {

enum class List {
    MandarinTitles,
    JapaneseTitles,
    MovieTitles,
    MandarinIqiyiIds,
    MandarinLeTVIds,
    MandarinSohuIds,
    JapaneseSohuIds,
    MovieLeTVIds,
    MandarinThumbnailUrls,
    MandarinPreviewCodes,
};
inline constexpr std::size_t kListCount = 10;

// The lists in the order start-up builds them.
inline constexpr std::array<List, kListCount> kBuildOrder = {
    List::MandarinTitles,       List::JapaneseTitles,  List::MovieTitles,
    List::MandarinIqiyiIds,     List::MandarinLeTVIds, List::MandarinSohuIds,
    List::JapaneseSohuIds,      List::MovieLeTVIds,    List::MandarinThumbnailUrls,
    List::MandarinPreviewCodes,
};

std::string_view listName(List list);

class Catalogue final {
public:
    // Builds the arrays from list texts given in `kBuildOrder`'s order.
    Catalogue(const std::array<std::string_view, kListCount>& texts, std::string trailerPlayId,
              std::string trailerTitle);

    // The catalogue carried with the program; built on first use, read-only afterwards,
    // so any thread may read it.
    static const Catalogue& builtIn();

    // Number of entries of a list.
    int count(List list) const;
    // Entry n (1-based), the whole line "n-value". Empty outside 1..count.
    const std::string& entry(List list, int n) const;
    // The title or id of entry n: valueAfterLastDash of the line. Empty outside 1..count.
    std::string value(List list, int n) const;
    const std::vector<std::string>& lines(List list) const;

    const std::string& trailerPlayId() const { return trailerPlayId_; }
    // Title of the upcoming movie whose trailer the menu plays.
    const std::string& trailerTitle() const { return trailerTitle_; }

private:
    std::array<std::vector<std::string>, kListCount> lists_;
    std::string trailerPlayId_;
    std::string trailerTitle_;
};

// The raw texts compiled into the program, in `kBuildOrder`'s order.
const std::array<std::string_view, kListCount>& builtInTexts();
std::string_view builtInTrailerPlayId();
std::string_view builtInTrailerTitle();

}  // namespace arlo::catalogue
