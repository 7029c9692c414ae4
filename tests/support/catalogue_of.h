#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"

namespace arlo::test_support {

// A catalogue whose lists hold `values` (entry n is values[list][n - 1]), written in the
// catalogue's own "n-value" CR LF form and read back as the built-in one is. Lists not named
// are empty.
inline std::unique_ptr<const catalogue::Catalogue> catalogueOf(
    const std::map<catalogue::List, std::vector<std::string>>& values) {
    std::array<std::string, catalogue::kListCount> texts;
    for (std::size_t i = 0; i < catalogue::kListCount; ++i) {
        const auto found = values.find(catalogue::kBuildOrder[i]);
        if (found == values.end()) {
            continue;
        }
        for (std::size_t n = 0; n < found->second.size(); ++n) {
            texts[i] += std::to_string(n + 1) + "-" + found->second[n] + "\r\n";
        }
    }
    std::array<std::string_view, catalogue::kListCount> views;
    for (std::size_t i = 0; i < catalogue::kListCount; ++i) {
        views[i] = texts[i];
    }
    return std::make_unique<const catalogue::Catalogue>(views, "1", "trailer");
}

}  // namespace arlo::test_support
