#pragma once

#include <string>

// Cookie jars are texts of name=value pairs joined by "; ". The caller keeps the jar; the
// fetcher merges what each response set into it.
namespace arlo::net {

// Merges `newCookies` into `jar`: every space goes from both texts (both are left that way),
// a pair of `newCookies` wins over a jar pair of the same name, of two jar pairs with one
// name the first wins, and pairs whose value is "deleted" are dropped. `jar` receives the
// result, which is also returned.
std::string MergeCookies(std::string& jar, std::string& newCookies);

}  // namespace arlo::net
