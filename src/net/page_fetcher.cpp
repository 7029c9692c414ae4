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
#include "text/numbers.h"
#include "text/split.h"
#include "text/trim.h"

namespace arlo::net {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// What libcurl hands us while the transfer runs.
struct Received {
    Bytes body;
    std::size_t maxBodyBytes = kMaxBodyBytes;
    bool bodyTooLarge = false;
    HeaderBlocks headers;  // the final response's header block
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t length = size * count;
    if (received->body.size() + length > received->maxBodyBytes) {
        received->bodyTooLarge = true;
        return 0;  // makes libcurl abort the transfer
    }
    received->body.append(data, length);
    return length;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t length = size * count;
    received->headers.take(std::string_view(data, length));
    return length;
}

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

// The block as libcurl header entries, one per line between the CR LF pairs. libcurl drops a
// "Name:" entry without a value (it means "remove that header"), so such lines are written
// "Name;", which it sends as "Name:".
bool headerList(std::string_view block, CurlList& list) {
    for (const std::string_view piece : text::split(block, kCrLf)) {
        const std::string line = oneLine(piece);
        if (line.empty()) {
            continue;
        }
        const auto colon = line.find(':');
        if (colon != std::string::npos &&
            text::trimSpaces(std::string_view(line).substr(colon + 1)).empty()) {
            if (!list.append(line.substr(0, colon) + ";")) {
                return false;
            }
        } else if (!list.append(line)) {
            return false;
        }
    }
    // No "Expect: 100-continue" round trip before larger POST bodies.
    return list.append("Expect:");
}

// The address libcurl is given, rebuilt from the host, port and path as the fetcher reads
// them; empty when it cannot be used.
std::string requestUrl(std::string_view url) {
    // libcurl reads the address up to a NUL: it would reach somewhere else than named.
    if (url.find('\0') != std::string_view::npos) {
        return {};
    }
    const bool secure = UrlIsSecure(url);
    const std::string host = UrlHost(url);
    int port = UrlPort(url);
    const int defaultPort = secure ? 443 : 80;
    if (port == 0) {
        port = defaultPort;  // an address such as "http://host:/" names no port
    }
    if (host.empty() || port < 0 || port > 65535) {
        return {};
    }
    std::string out = secure ? "https://" : "http://";
    out += host;
    if (port != defaultPort) {
        out += ':' + std::to_string(port);
    }
    out += EncodeUrlPath(UrlPath(url));

    CURLU* parsed = curlapi::urlNew();
    const bool ok =
        parsed != nullptr && curlapi::urlSet(parsed, CURLUPART_URL, out.c_str(), 0) == CURLUE_OK;
    curlapi::urlCleanup(parsed);
    return ok ? out : std::string();
}

}  // namespace

PageResult Fetch(const PageRequest& request) {
    PageResult result;
    result.cookieJar = request.cookies;
    result.sentHeaders = request.headers;
    std::string& jar = result.cookieJar;
    std::string& returned = result.returnedCookies;
    std::string& block = result.sentHeaders;
    std::string& location = result.redirectLocation;
    std::string& raw = result.rawHeaders;
    const std::string_view url = request.url;
    const bool noRedirect = request.redirects == Redirects::Return;

    const std::string agent = userAgentFor(block);
    const bool secure = UrlIsSecure(url);

    const std::string target = requestUrl(url);
    CurlEasy curl = newCurlEasy();
    CurlList connectTo;
    if (target.empty() || !curl || !applyCommonOptions(curl.get(), secure, connectTo)) {
        return result;
    }
    CURL* h = curl.get();
    Received received;
    received.maxBodyBytes = std::min(request.maxBodyBytes, kMaxBodyBytes);
    received.headers.setFollowing(!noRedirect);
    bool ok = curlapi::easySetopt(h, CURLOPT_URL, target.c_str()) == CURLE_OK;
    // Direct unless a proxy is given; an empty string also stops libcurl reading the proxy
    // environment variables. A proxy serves plain http only.
    const bool viaProxy = request.proxy.has_value() && !request.proxy->empty() && !secure;
    const std::string proxyText = viaProxy ? *request.proxy : std::string();
    ok = ok && curlapi::easySetopt(h, CURLOPT_PROXY, proxyText.c_str()) == CURLE_OK;
    ok = ok && curlapi::easySetopt(h, CURLOPT_NOPROXY, "") == CURLE_OK;
    if (viaProxy) {
        // The proxy makes the connection; the host map is for direct ones (with both, libcurl
        // would tunnel through the proxy instead).
        ok = ok && curlapi::easySetopt(h, CURLOPT_CONNECT_TO, nullptr) == CURLE_OK;
    }
    ok = ok && curlapi::easySetopt(h, CURLOPT_FOLLOWLOCATION, noRedirect ? 0L : 1L) == CURLE_OK;
    if (!agent.empty()) {
        ok = ok && curlapi::easySetopt(h, CURLOPT_USERAGENT, agent.c_str()) == CURLE_OK;
    }
    ok = ok && curlapi::easySetopt(h, CURLOPT_WRITEFUNCTION, onBody) == CURLE_OK;
    ok = ok && curlapi::easySetopt(h, CURLOPT_WRITEDATA, &received) == CURLE_OK;
    ok = ok && curlapi::easySetopt(h, CURLOPT_HEADERFUNCTION, onHeader) == CURLE_OK;
    ok = ok && curlapi::easySetopt(h, CURLOPT_HEADERDATA, &received) == CURLE_OK;
    ok = ok && curlapi::easySetopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) == CURLE_OK;
    if (request.deadline.count() > 0) {
        ok = ok && curlapi::easySetopt(h, CURLOPT_TIMEOUT_MS,
                                       static_cast<long>(request.deadline.count())) == CURLE_OK;
    }
    if (!ok) {
        return result;
    }

    completeHeaders(block, url, jar);
    result.started = true;
    CurlList headerLines;
    if (!headerList(block, headerLines) ||
        curlapi::easySetopt(h, CURLOPT_HTTPHEADER, headerLines.get()) != CURLE_OK) {
        return result;
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

    // A failed transfer (refused, timed out, stalled, cut off, too large) gives no body: a
    // partial page or picture must not pass for a whole one. What headers arrived still count.
    const CURLcode transfer = curlapi::easyPerform(h);
    if (transfer != CURLE_OK || received.bodyTooLarge) {
        received.body.clear();
    }
    curl.reset();
    result.status = received.headers.status();
    result.complete = transfer == CURLE_OK && !received.bodyTooLarge && received.headers.complete();

    raw = std::move(received.headers.block());
    returned.clear();
    location.clear();
    for (const std::string_view line : text::split(raw, kCrLf)) {
        // A field is known by its name, the text before the colon, in any letter case: a
        // Content-Location line is no Location, a "Trailer: Set-Cookie" line no cookie.
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string name = text::toLowerAscii(line.substr(0, colon));
        const std::string_view value = line.substr(colon + 1);
        if (name == "location") {
            location = text::trimSpaces(value);
        } else if (name == "set-cookie") {
            // The pair ends at the first ";", or with the line when no attributes follow.
            returned.append(text::trimSpaces(value.substr(0, value.find(';')))).append("; ");
        }
    }
    if (returned.size() >= 2) {
        returned.resize(returned.size() - 2);
    }
    if (location.empty()) {
        location = raw;
    }
    MergeCookies(jar, returned);
    result.body = std::move(received.body);
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
