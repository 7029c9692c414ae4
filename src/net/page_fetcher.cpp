#include "net/page_fetcher.h"

#include <algorithm>
#include <vector>

#include "net/cookies.h"
#include "net/header_blocks.h"
#include "net/transport.h"
#include "net/url_parts.h"
#include "text/ascii.h"
#include "text/gbk.h"
#include "text/markers.h"
#include "text/split.h"
#include "text/trim.h"

namespace arlo::net {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// The user agent named by the block's User-Agent line, or the default one.
std::string userAgentFor(std::string_view block) {
    constexpr std::string_view kName = "User-Agent:";
    const long at = text::findText(block, kName, 1, text::Case::IgnoreAscii);
    if (at < 0) {
        return std::string(kDefaultUserAgent);
    }
    std::string agent = std::string(text::trimSpaces(TextBetween(block, kName, kCrLf)));
    if (agent.empty()) {
        // The line is the last one: its value runs to the end of the block.
        agent = std::string(
            text::trimSpaces(block.substr(static_cast<std::size_t>(at - 1) + kName.size())));
    }
    // A stray CR or LF must never end up inside the request's header lines.
    if (const auto cut = agent.find_first_of("\r\n"); cut != std::string::npos) {
        agent.resize(cut);
    }
    return agent;
}

// `url` as a header value: control bytes (CR and LF above all, which would start header
// lines of their own) are percent-encoded. Addresses may come from fetched pages.
std::string headerSafe(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(url.size());
    for (const char ch : url) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

// Adds the defaults the servers we talk to expect, each only where the caller left it out.
void completeHeaders(std::string& block, std::string_view rawUrl, std::string_view cookies) {
    const std::string url = headerSafe(rawUrl);
    if (block.find("Referer:") == std::string::npos) {
        if (block.empty()) {
            block.append("Referer: ").append(url);
        } else {
            block.append("\r\nReferer: ").append(url);
        }
    }
    if (block.find("Accept:") == std::string::npos) {
        block.append("\r\nAccept: */*");
    }
    if (block.find("Accept-Language:") == std::string::npos) {
        block.append("\r\nAccept-Language: zh-cn");
    }
    if (block.find("Content-Type:") == std::string::npos) {
        block.append("\r\nContent-Type: application/x-www-form-urlencoded");
    }
    // Pairs that would split the line (the caller's jar may hold them) are not sent.
    if (const std::string safe = SafeCookiePairs(cookies); !safe.empty()) {
        block.append("\r\nCookie: ").append(safe);
    }
}

// A line of the block as it goes out: a control byte other than TAB inside it (a CR or LF
// that is not part of the CR LF between lines above all) would end the line early on the
// wire, so it is left out.
std::string oneLine(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (const char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 0x20 && c != 0x7F) || c == '\t') {
            out += ch;
        }
    }
    return out;
}

// The block as libcurl header entries, one per line between the CR LF pairs.
bool headerList(std::string_view block, CurlList& list) {
    for (const std::string_view piece : text::split(block, kCrLf)) {
        const std::string line = oneLine(piece);
        if (!line.empty() && !appendHeaderLine(list, line)) {
            return false;
        }
    }
    // No "Expect: 100-continue" round trip before larger POST bodies.
    return list.append("Expect:");
}

// The fetcher's own options on a prepared transfer: proxy, redirects, user agent, method.
// `request.body` must outlive the transfer.
bool configure(Transfer& transfer, const PageRequest& request, const std::string& agent,
               bool secure) {
    CURL* h = transfer.handle();
    // Direct unless a proxy is given. A proxy serves plain http only.
    const bool viaProxy = request.proxy.has_value() && !request.proxy->empty() && !secure;
    bool ok = transfer.setProxy(viaProxy ? *request.proxy : std::string(), {}, {});
    ok = ok && transfer.setOption(CURLOPT_FOLLOWLOCATION,
                                  request.redirects == Redirects::Return ? 0L : 1L);
    if (!agent.empty()) {
        ok = ok && curlapi::easySetopt(h, CURLOPT_USERAGENT, agent.c_str()) == CURLE_OK;
    }
    if (!ok) {
        return false;
    }
    if (request.method != Method::Get) {
        const Bytes& body = request.body;
        curlapi::easySetopt(h, CURLOPT_POST, 1L);
        curlapi::easySetopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curlapi::easySetopt(h, CURLOPT_POSTFIELDS, body.data());
        if (request.method == Method::GetWithBody) {
            curlapi::easySetopt(h, CURLOPT_CUSTOMREQUEST, "GET");
        }
    } else {
        curlapi::easySetopt(h, CURLOPT_HTTPGET, 1L);
    }
    return true;
}

// Fills in what the response's header block says: its Location (the last such line; without
// one, the whole block), the cookies it set, and the jar merged with them.
void readResponseHeaders(PageResult& result) {
    std::string& returned = result.returnedCookies;
    returned.clear();
    for (const std::string_view pair : setCookiePairs(result.rawHeaders)) {
        returned.append(pair).append("; ");
    }
    if (returned.size() >= 2) {
        returned.resize(returned.size() - 2);
    }
    result.redirectLocation.clear();
    for (const HeaderField& field : headerFields(result.rawHeaders)) {
        if (text::equalsIgnoringAsciiCase(field.name, "location")) {
            result.redirectLocation = text::trimSpaces(field.value);
        }
    }
    if (result.redirectLocation.empty()) {
        result.redirectLocation = result.rawHeaders;
    }
    MergeCookies(result.cookieJar, returned);
}

}  // namespace

PageResult Fetch(const PageRequest& request) {
    PageResult result;
    result.cookieJar = request.cookies;
    result.sentHeaders = request.headers;
    const std::string agent = userAgentFor(result.sentHeaders);
    const auto target = TargetAddress(request.url);
    if (!target) {
        return result;
    }
    const std::unique_ptr<Transfer> transfer =
        Transfer::prepare(*target, std::chrono::seconds(kConnectSeconds));
    if (!transfer || !configure(*transfer, request, agent, target->secure)) {
        return result;
    }
    completeHeaders(result.sentHeaders, request.url, result.cookieJar);
    result.started = true;
    if (!headerList(result.sentHeaders, transfer->requestHeaders()) ||
        !transfer->start(pageBounds(request.deadline))) {
        return result;
    }
    // A failed transfer (refused, timed out, stalled, cut off, too large) gives no body: a
    // partial page or picture must not pass for a whole one. What headers arrived still count.
    const bool read = transfer->readAll(result.body, std::min(request.maxBodyBytes, kMaxBodyBytes));
    result.status = transfer->headers().status();
    result.complete = read && transfer->headers().complete();
    result.rawHeaders = std::move(transfer->headers().block());
    readResponseHeaders(result);
    return result;
}

Bytes FetchPage(std::string_view url, int method, std::string_view bodyText, std::string* cookies,
                std::string* returnedCookies, std::string* extraHeaders,
                std::string* redirectLocation, bool noRedirect, Bytes* bodyBytes,
                std::optional<std::string_view> proxy, std::string* rawHeaders) {
    PageRequest request;
    request.url = url;
    request.method = method == 0 ? Method::Get : method == 1 ? Method::Post : Method::GetWithBody;
    request.body = bodyBytes != nullptr && !bodyBytes->empty() ? *bodyBytes : Bytes(bodyText);
    request.cookies = cookies != nullptr ? *cookies : std::string();
    request.headers = extraHeaders != nullptr ? *extraHeaders : std::string();
    request.redirects = noRedirect ? Redirects::Return : Redirects::Follow;
    if (proxy.has_value()) {
        request.proxy = std::string(*proxy);
    }
    PageResult result = Fetch(request);
    // Until the request is under way nothing of the caller's is touched.
    if (!result.started) {
        return {};
    }
    auto give = [](std::string* to, std::string& from) {
        if (to != nullptr) {
            *to = std::move(from);
        }
    };
    give(cookies, result.cookieJar);
    give(returnedCookies, result.returnedCookies);
    give(extraHeaders, result.sentHeaders);
    give(redirectLocation, result.redirectLocation);
    give(rawHeaders, result.rawHeaders);
    if (method != 0) {
        give(bodyBytes, request.body);
    }
    return std::move(result.body);
}

std::string sanitizeUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        // Count how many bytes of the sequence are well-formed; a broken sequence is replaced
        // as a whole, up to the byte that broke it.
        std::size_t good = 1;
        while (length != 0 && good < length && i + good < bytes.size()) {
            const auto c = static_cast<unsigned char>(bytes[i + good]);
            const bool fits = good == 1 ? (c >= low && c <= high) : (c >= 0x80 && c <= 0xBF);
            if (!fits) {
                break;
            }
            ++good;
        }
        if (length != 0 && good == length) {
            out.append(bytes.substr(i, length));
        } else {
            out.append(kReplacement);
        }
        i += good;
    }
    return out;
}

namespace {

std::string_view upToNul(std::string_view bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

std::string gbkPageText(std::string_view body) {
    return text::gbkToUtf8Lossy(upToNul(body));
}

std::string utf8PageText(std::string_view body) {
    return sanitizeUtf8(upToNul(body));
}

std::string FetchPageText(std::string_view url, int method, std::string_view bodyText,
                          std::string* cookies, std::string* returnedCookies,
                          std::string* extraHeaders, std::string* redirectLocation, bool noRedirect,
                          Bytes* bodyBytes, std::optional<std::string_view> proxy,
                          std::string* rawHeaders) {
    const Bytes body =
        FetchPage(url, method, bodyText, cookies, returnedCookies, extraHeaders, redirectLocation,
                  noRedirect, bodyBytes, proxy.value_or(std::string_view{}), rawHeaders);
    return gbkPageText(body);
}

std::string FetchPageUtf8(std::string_view url, int method, std::string_view bodyText,
                          std::string* cookies, std::string* returnedCookies,
                          std::string* extraHeaders, std::string* redirectLocation, bool noRedirect,
                          Bytes* bodyBytes, std::optional<std::string_view> proxy,
                          std::string* rawHeaders) {
    const Bytes body =
        FetchPage(url, method, bodyText, cookies, returnedCookies, extraHeaders, redirectLocation,
                  noRedirect, bodyBytes, proxy.value_or(std::string_view{}), rawHeaders);
    return utf8PageText(body);
}

}  // namespace arlo::net
