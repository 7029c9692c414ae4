#pragma once

#include <string>
#include <string_view>

// Cookie jars are texts of name=value pairs joined by "; ". The caller keeps the jar; the
// fetcher merges what each response set into it.
namespace arlo::net {

// Merges `newCookies` into `jar`: every space goes from both texts (both are left that way),
// a pair of `newCookies` wins over a jar pair of the same name, of two jar pairs with one
// name the first wins, and pairs whose value is "deleted" are dropped. A pair holding a
// control byte (CR, LF, NUL, TAB, ... DEL) is dropped from both texts before anything else,
// as if it had never been there: it would split the header line it is sent in. `jar`
// receives the result, which is also returned.
std::string MergeCookies(std::string& jar, std::string& newCookies);

// The name=value pair a Set-Cookie value sets: the text up to its first ";" (all of it
// without one), spaces around it trimmed.
std::string_view SetCookiePair(std::string_view value);

// `cookies` as it is when it holds no control byte; otherwise without the pairs that hold
// one (and without empty pieces), joined by ";".
std::string SafeCookiePairs(std::string_view cookies);

}  // namespace arlo::net
