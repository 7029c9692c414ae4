#pragma once

#include <string_view>
#include <vector>

namespace arlo::text {

// The pieces of `text` between occurrences of `separator` (not empty): empty pieces between
// two separators are kept, a trailing empty piece is dropped, so "a;;b;" gives "a", "", "b"
// and an empty text gives no piece.
std::vector<std::string_view> split(std::string_view text, std::string_view separator);

}  // namespace arlo::text
