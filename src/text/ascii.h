#pragma once

#include <string>
#include <string_view>

namespace arlo::text {

// `text` with the ASCII letters A-Z lowered; every other byte unchanged (host names and
// schemes are compared this way).
std::string toLowerAscii(std::string_view text);

}  // namespace arlo::text
