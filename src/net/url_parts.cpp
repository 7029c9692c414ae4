#include "net/url_parts.h"

#include "net/curl_api.h"
#include "text/ascii.h"
#include "text/markers.h"
#include "text/numbers.h"

namespace arlo::net {

std::string TextBetween(std::string_view text, std::string_view leftMarker,
                        std::string_view rightMarker) {
    return text::textBetween(text, leftMarker, rightMarker, 1, text::Case::IgnoreAscii);
}

std::string UrlHost(std::string_view url, bool keepPort) {
    std::string address = text::toLowerAscii(url);
    if (!address.ends_with('/')) {
        address += '/';
    }
    std::string host;
    if (address.starts_with("https://")) {
        host = TextBetween(address, "https://", "/");
    } else {
        if (address.find("http://") == std::string::npos) {
            address.insert(0, "http://");
        }
        host = TextBetween(address, "http://", "/");
    }
    if (!keepPort) {
        if (const auto colon = host.find(':'); colon != std::string::npos) {
            host.resize(colon);
        }
    }
    return host;
}

int UrlPort(std::string_view url) {
    const std::string host = UrlHost(url, true);
    if (const auto colon = host.rfind(':'); colon != std::string::npos) {
        // Only the leading digits count: no sign, no spaces, as a port is written.
        const std::string_view rest = std::string_view(host).substr(colon + 1);
        std::size_t digits = 0;
        while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') {
            ++digits;
        }
        return digits == 0 ? 0 : text::parseInt(rest.substr(0, digits));
    }
    return UrlIsSecure(url) ? 443 : 80;
}

std::string UrlPath(std::string_view url) {
    const std::string host = UrlHost(url, false);
    // Look for the host after the scheme, so that a host such as "tp" is not found inside
    // "http://" itself.
    const auto scheme = url.find("://");
    const long from = scheme == std::string_view::npos ? 1 : static_cast<long>(scheme) + 4;
    const long at = text::findText(url, host, from, text::Case::IgnoreAscii);
    if (at < 0) {
        return "/";
    }
    const auto slash = url.find('/', static_cast<std::size_t>(at - 1));
    if (slash == std::string_view::npos) {
        return "/";
    }
    return std::string(url.substr(slash));
}

std::string EncodeUrlPath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (c > 0x20 && c < 0x7F) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

bool UrlIsSecure(std::string_view url) {
    return text::toLowerAscii(url.substr(0, 5)) == "https";
}

Result<Target, AddressFault> TargetAddress(std::string_view address) {
    if (address.find('\0') != std::string_view::npos) {
        return fail(AddressFault::NulByte);
    }
    Target target;
    target.secure = UrlIsSecure(address);
    const std::string host = UrlHost(address);
    const int defaultPort = target.secure ? 443 : 80;
    const int port = UrlPort(address) == 0 ? defaultPort : UrlPort(address);
    if (host.empty()) {
        return fail(AddressFault::NoHost);
    }
    if (port < 0 || port > 65535) {
        return fail(AddressFault::PortOutOfRange);
    }
    target.url = (target.secure ? "https://" : "http://") + host;
    if (port != defaultPort) {
        target.url += ':' + std::to_string(port);
    }
    target.url += EncodeUrlPath(UrlPath(address));

    CURLU* parsed = curlapi::urlNew();
    const bool parses = parsed != nullptr &&
                        curlapi::urlSet(parsed, CURLUPART_URL, target.url.c_str(), 0) == CURLUE_OK;
    curlapi::urlCleanup(parsed);
    if (!parses) {
        return fail(AddressFault::Unparsable);
    }
    return target;
}

}  // namespace arlo::net
