#pragma once

#include <string>
#include <string_view>

// ASCII letter case: A-Z and a-z only, every other byte unchanged (host names, schemes,
// header names and the Settings file's names are compared this way; a GBK trail byte that
// looks like a letter is the caller's to skip).
namespace arlo::text {

constexpr char toLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char toUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string toLowerAscii(std::string_view text);
std::string toUpperAscii(std::string_view text);

// Whether `a` and `b` are equal with ASCII letter case ignored.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace arlo::text
