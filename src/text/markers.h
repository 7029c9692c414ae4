#pragma once

#include <string>
#include <string_view>

#include "text/charset.h"

// Marker search over byte strings. Positions and lengths are bytes, positions are 1-based
// and -1 means "not found". A match never starts inside a multi-byte character.
namespace arlo::text {

// Position of `needle` in `hay`, searching from the 1-based position `from`.
// -1 when absent, when `needle` is empty or when `from` lies outside 1..size.
long findText(std::string_view hay, std::string_view needle, long from = 1,
              Case mode = Case::Sensitive, Charset charset = Charset::Utf8);

// The text between `open` (searched from `from`) and `close` (searched from the byte just
// after `open`); empty when either marker is missing.
std::string textBetween(std::string_view text, std::string_view open, std::string_view close,
                        long from = 1, Case mode = Case::Sensitive,
                        Charset charset = Charset::Utf8);

// Same, ignoring the case of ASCII letters in both markers.
inline std::string textBetweenIgnoreCase(std::string_view text, std::string_view open,
                                         std::string_view close, long from = 1,
                                         Charset charset = Charset::Utf8) {
    return textBetween(text, open, close, from, Case::IgnoreAscii, charset);
}

}  // namespace arlo::text
