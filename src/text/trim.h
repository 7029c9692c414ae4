#pragma once

#include <string>
#include <string_view>

#include "text/charset.h"

namespace arlo::text {

// Removes leading and trailing ASCII spaces (0x20) and full-width spaces (U+3000; the bytes
// A1 A1 in GBK). Tabs, CR and LF stay.
std::string_view trimSpaces(std::string_view text, Charset charset = Charset::Utf8);

// Removes leading and trailing spaces and tabs (header values, the Settings file's lines).
std::string_view trimBlanks(std::string_view text);

// Removes every ASCII space and full-width space, wherever it stands.
std::string removeSpaces(std::string_view text, Charset charset = Charset::Utf8);

}  // namespace arlo::text
