#pragma once

#include <string>
#include <string_view>

#include "base/result.h"

// Address and marker rules shared by the HTTP clients and the services built on them.
// Addresses are taken apart the way the fetcher always has, so that "example.org/x" (no
// scheme) still reaches http://example.org/x.
namespace arlo::net {

// The text strictly between `leftMarker` and the first `rightMarker` after it, ASCII letter
// case ignored in both searches; empty when either marker is missing.
std::string TextBetween(std::string_view text, std::string_view leftMarker,
                        std::string_view rightMarker);

// Lower-cased host of `url`; with `keepPort` the ":port" that follows it stays.
std::string UrlHost(std::string_view url, bool keepPort = false);

// Explicit port of `url` (its leading digits, 0 when there are none), else 443 for an
// address starting "https" and 80 for anything else.
int UrlPort(std::string_view url);

// Everything from the first "/" after the host to the end (query and fragment included,
// letter case kept); "/" when there is none.
std::string UrlPath(std::string_view url);

// `path` as libcurl takes it: spaces, control bytes and non-ASCII bytes percent-encoded (as
// %XX, upper-case hex), every other byte as the caller wrote it, "%" included.
std::string EncodeUrlPath(std::string_view path);

// True when the first five characters of `url`, lower-cased, are "https".
bool UrlIsSecure(std::string_view url);

// The address a request goes to, as libcurl is given it.
struct Target {
    std::string url;
    bool secure = false;  // https (UrlIsSecure)
};

enum class AddressFault {
    NulByte,  // libcurl would read the address only up to it: somewhere else than named
    NoHost,   // UrlHost is empty
    PortOutOfRange,
    Unparsable,  // libcurl does not take the rebuilt address (or is missing)
};

// `address` rebuilt from its parts as read above: "http://" or "https://", UrlHost, ":" and
// UrlPort unless it is the scheme's own (a port written as nothing or 0 is the scheme's), and
// EncodeUrlPath(UrlPath).
Result<Target, AddressFault> TargetAddress(std::string_view address);

}  // namespace arlo::net
