#pragma once

#include <string>
#include <string_view>
#include <vector>

// The catalogue's list format: entries "n-value" joined by CR LF.
namespace arlo::catalogue {

// Cuts `text` at every CR LF. Empty pieces between two separators are kept; an empty piece
// after the last separator is dropped. Text is UTF-8, so a separator can never be matched
// inside a multi-byte character.
std::vector<std::string> splitList(std::string_view text);

// The text after the last "-" of `line`; empty when the line has no "-".
std::string valueAfterLastDash(std::string_view line);

}  // namespace arlo::catalogue
