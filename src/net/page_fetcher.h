#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "net/body.h"

// The page fetcher: one blocking HTTP or HTTPS request per call. It completes the caller's
// header block with browser-like defaults, sends a cookie jar and hands it back merged with
// what the response set, follows redirects unless told not to, and hands back the raw
// response header block, the redirect target and the cookies the response set. It keeps
// nothing between calls: a request is a PageRequest, its answer a PageResult (FetchPage is
// the same in positional form, reading and rewriting the caller's variables).
//
// Texts are UTF-8 inside the program; header lines, cookies and bodies go on the wire byte
// for byte as given, except for control bytes inside a header line or a cookie pair, which
// would end the line early: such bytes are left out of a line, such pairs out of the jar.
// An address that holds a NUL byte is not used.
namespace arlo::net {

// Sent when the caller's header block has no User-Agent line.
inline constexpr std::string_view kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; 2Pac; .NET CLR 2.0.50727; "
    ".NET CLR 3.0.04506.648; .NET CLR 3.5.21022)";

enum class Method {
    Get,
    Post,
    GetWithBody,  // a GET that carries the body, as some services expect
};

enum class Redirects {
    Follow,
    Return,  // a redirect response is the result: its Location in redirectLocation
};

// One request of the page fetcher.
struct PageRequest {
    std::string url{};  // "http://..." or "https://..."; a bare host ("example.org/x") means http
    Method method = Method::Get;
    Bytes body{};  // sent with Post and GetWithBody
    // The cookie jar, sent as the Cookie line; the result holds it merged with what the
    // response set.
    std::string cookies{};
    // Header lines joined by CR LF. Referer, Accept, Accept-Language, Content-Type and Cookie
    // lines are added where missing; a Host or User-Agent line replaces the transport's own.
    std::string headers{};
    Redirects redirects = Redirects::Follow;
    // Plain-http requests go through this "host:port" proxy; none or empty: direct (proxy
    // environment variables are never consulted).
    std::optional<std::string> proxy{};
    // How long the whole request may take, connection to last body byte; zero: the deadline
    // of pages and pictures (net::pageDeadline). A request that runs out of time fails.
    std::chrono::milliseconds deadline{0};
    // A body larger than this fails like one larger than kMaxBodyBytes (the higher of the two
    // never applies): for answers that are small when they are what they should be.
    std::size_t maxBodyBytes = kMaxBodyBytes;
};

struct PageResult {
    // Empty when the request cannot be made, fails or is cut off, or the body exceeds
    // kMaxBodyBytes or the request's maxBodyBytes. HTTP error statuses are not failures: their
    // bodies come back like any other.
    Bytes body{};
    // The final response's header block, status line first, each line ended by CR LF, then
    // an empty line; empty when nothing was received. The trailer fields of a chunked body
    // are not headers: they are left out of it, of returnedCookies and of the jar.
    std::string rawHeaders{};
    // The response's Location value; without one, the whole raw block.
    std::string redirectLocation{};
    // The name=value pairs of the response's Set-Cookie lines, ";"-joined.
    std::string returnedCookies{};
    // The request's jar merged with returnedCookies (see MergeCookies).
    std::string cookieJar{};
    // The completed header block that was sent.
    std::string sentHeaders{};
    // False when the request never got under way (an address that cannot be used, the
    // transport missing): every other field then holds what the request gave.
    bool started = false;
    // The status of the final response's status line; 0 when none arrived.
    int status = 0;
    // True when the whole answer arrived: the final response's complete header block and its
    // whole body, within the limits. A partial header block, a body cut short, a stall, the
    // deadline or a cancellation leave it false, whatever else was received.
    bool complete = false;
};

// Makes the request and waits for its whole response.
PageResult Fetch(const PageRequest& request);

// A page's body up to its first NUL byte as UTF-8: decoded from GBK (undecodable bytes
// become U+FFFD), or with malformed UTF-8 sequences replaced by U+FFFD.
std::string gbkPageText(std::string_view body);
std::string utf8PageText(std::string_view body);

// The same request in positional form, each argument the caller's variable, read and
// rewritten in place (null: "not given", like a fresh empty variable). Returns the body.
//
//  url              "http://..." or "https://..."; a bare host ("example.org/x") means http
//  method           1 = POST, 0 = GET (any other value: GET carrying the body)
//  bodyText         request body, used when *bodyBytes is empty
//  cookies          in/out: cookie jar, sent as the Cookie line, then replaced by the jar
//                   merged with what the response set (see MergeCookies)
//  returnedCookies  out: the name=value pairs of the response's Set-Cookie lines, ";"-joined
//  extraHeaders     in/out: header block (lines joined by CR LF); on return, the completed
//                   block that was sent (Referer, Accept, Accept-Language, Content-Type and
//                   Cookie lines added where missing)
//  redirectLocation out: the response's Location value; without one, the whole raw block
//  noRedirect       true: redirects are returned, not followed
//  bodyBytes        in/out: request body; filled from bodyText when empty (POST)
//  proxy            given and not empty: plain-http requests go through this "host:port"
//                   proxy. Not given, or empty: direct (proxy environment variables are
//                   never consulted)
//  rawHeaders       out: the final response's header block, status line first, each line
//                   ended by CR LF, then an empty line; empty when nothing was received.
//                   The trailer fields of a chunked body are not headers: they are left out
//                   of it, of returnedCookies and of the jar
//
// A caller's Host or User-Agent line replaces the transport's own instead of doubling it.
Bytes FetchPage(std::string_view url, int method = 0, std::string_view bodyText = {},
                std::string* cookies = nullptr, std::string* returnedCookies = nullptr,
                std::string* extraHeaders = nullptr, std::string* redirectLocation = nullptr,
                bool noRedirect = false, Bytes* bodyBytes = nullptr,
                std::optional<std::string_view> proxy = std::nullopt,
                std::string* rawHeaders = nullptr);

// FetchPage for pages served in GBK: the body up to its first NUL byte, decoded from GBK
// (undecodable bytes become U+FFFD). The proxy is always passed on as given, so with none
// the request goes direct.
std::string FetchPageText(std::string_view url, int method = 0, std::string_view bodyText = {},
                          std::string* cookies = nullptr, std::string* returnedCookies = nullptr,
                          std::string* extraHeaders = nullptr,
                          std::string* redirectLocation = nullptr, bool noRedirect = false,
                          Bytes* bodyBytes = nullptr,
                          std::optional<std::string_view> proxy = std::nullopt,
                          std::string* rawHeaders = nullptr);

// FetchPage for pages served in UTF-8: the body up to its first NUL byte, with malformed
// UTF-8 sequences replaced by U+FFFD.
std::string FetchPageUtf8(std::string_view url, int method = 0, std::string_view bodyText = {},
                          std::string* cookies = nullptr, std::string* returnedCookies = nullptr,
                          std::string* extraHeaders = nullptr,
                          std::string* redirectLocation = nullptr, bool noRedirect = false,
                          Bytes* bodyBytes = nullptr,
                          std::optional<std::string_view> proxy = std::nullopt,
                          std::string* rawHeaders = nullptr);

// Valid UTF-8 of `bytes`: each maximal malformed sequence becomes U+FFFD.
std::string sanitizeUtf8(std::string_view bytes);

}  // namespace arlo::net
