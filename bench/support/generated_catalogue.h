#pragma once

#include <array>
#include <memory>
#include <string>

#include "catalogue/catalogue.h"

// Catalogues of any length for the benchmarks: a long-running series, its lists written in the
// catalogue's own "n-value" CR LF form and read back through the same code as the built-in one.
namespace arlo::bench {

// The list texts of a series with `episodes` episodes in both dubs, in `kBuildOrder`'s order.
// Titles are CJK, 5 to 23 characters long (10 on average, as the built-in ones), some with
// digits in them; the same `episodes` always gives the same texts. The movie list is the
// built-in one.
std::array<std::string, catalogue::kListCount> generatedListTexts(int episodes);

std::unique_ptr<const catalogue::Catalogue> generatedCatalogue(int episodes);

}  // namespace arlo::bench
