#pragma once

#include <string>
#include <string_view>

// Numbers as text, independent of the process locale (Qt sets LC_ALL from the environment,
// and a decimal comma must never leak into a page, a file or a comparison).
namespace arlo::text {

// As printf "%.13g": no trailing zeros, no decimal point for whole numbers.
std::string formatReal(double value);

// Rounds to `decimals` places; halves go away from zero.
double roundHalfAway(double value, int decimals = 0);

// Truncation toward zero, clamped to the int range; NaN gives 0.
int truncToInt(double value);

// As atof in the "C" locale: leading white space, then the longest leading number (decimal
// or hexadecimal, an infinity or a NaN, one sign at most); 0 when there is none. Overflow
// gives +-HUGE_VAL, underflow 0 or the nearest subnormal. A NUL byte ends the text.
double parseReal(std::string_view text);

// As atoi: leading white space, optional sign, decimal digits; 0 when there are none.
// Values beyond the int range are clamped.
int parseInt(std::string_view text);

// Versions are compared as real numbers with a tolerance of 0.0000001.
constexpr double kVersionTolerance = 0.0000001;
inline bool isNewerVersion(double candidate, double installed) {
    return candidate - installed > kVersionTolerance;
}

}  // namespace arlo::text
