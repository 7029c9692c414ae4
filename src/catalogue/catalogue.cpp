#include "catalogue/catalogue.h"

#include "catalogue/list_text.h"

namespace arlo::catalogue {
namespace {

std::size_t indexOf(List list) {
    return static_cast<std::size_t>(list);
}

const std::string& emptyText() {
    static const std::string empty;
    return empty;
}

}  // namespace

std::string_view listName(List list) {
    switch (list) {
        case List::MandarinTitles:
            return "MandarinTitles";
        case List::JapaneseTitles:
            return "JapaneseTitles";
        case List::MovieTitles:
            return "MovieTitles";
        case List::MandarinIqiyiIds:
            return "MandarinIqiyiIds";
        case List::MandarinLeTVIds:
            return "MandarinLeTVIds";
        case List::MandarinSohuIds:
            return "MandarinSohuIds";
        case List::JapaneseSohuIds:
            return "JapaneseSohuIds";
        case List::MovieLeTVIds:
            return "MovieLeTVIds";
        case List::MandarinThumbnailUrls:
            return "MandarinThumbnailUrls";
        case List::MandarinPreviewCodes:
            return "MandarinPreviewCodes";
    }
    return {};
}

Catalogue::Catalogue(const std::array<std::string_view, kListCount>& texts,
                     std::string trailerPlayId, std::string trailerTitle)
    : trailerPlayId_(std::move(trailerPlayId)), trailerTitle_(std::move(trailerTitle)) {
    for (std::size_t i = 0; i < kListCount; ++i) {
        lists_[indexOf(kBuildOrder[i])] = splitList(texts[i]);
    }
}

const Catalogue& Catalogue::builtIn() {
    static const Catalogue instance(builtInTexts(), std::string(builtInTrailerPlayId()),
                                    std::string(builtInTrailerTitle()));
    return instance;
}

int Catalogue::count(List list) const {
    return static_cast<int>(lists_[indexOf(list)].size());
}

const std::string& Catalogue::entry(List list, int n) const {
    const auto& l = lists_[indexOf(list)];
    if (n < 1 || static_cast<std::size_t>(n) > l.size()) {
        return emptyText();
    }
    return l[static_cast<std::size_t>(n - 1)];
}

std::string Catalogue::value(List list, int n) const {
    return valueAfterLastDash(entry(list, n));
}

const std::vector<std::string>& Catalogue::lines(List list) const {
    return lists_[indexOf(list)];
}

}  // namespace arlo::catalogue
