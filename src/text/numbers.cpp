#include "text/numbers.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <climits>
#include <cmath>

namespace arlo::text {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view skipSpace(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isSpace(s[i])) {
        ++i;
    }
    return s.substr(i);
}

}  // namespace

std::string formatReal(double value) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 13);
    return std::string(buf, res.ptr);
}

double roundHalfAway(double value, int decimals) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled)) {
        return value;
    }
    return std::round(scaled) / scale;  // std::round sends halves away from zero
}

int truncToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (value <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

double parseReal(std::string_view text) {
    // strtod in the "C" locale is the reference for what a number looks like (hexadecimal
    // forms, infinities, NaNs, where a malformed one ends) and how it rounds, overflows and
    // underflows; its locale object is fixed, so the process locale never changes a result.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (cLocale == locale_t{}) {
        return 0.0;
    }
    // strtod reads a C string: as with atof, a NUL byte ends the text.
    const std::string terminated(text.substr(0, text.find('\0')));
    return strtod_l(terminated.c_str(), nullptr, cLocale);
}

int parseInt(std::string_view text) {
    std::string_view s = skipSpace(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    long long value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

}  // namespace arlo::text
