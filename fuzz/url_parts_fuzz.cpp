// Address splitting on untrusted addresses (a page may name any). Host and path agree with a
// plain reading for addresses of the form [http[s]://]host[/path] with an ASCII host; an
// address a request may go to is rebuilt from the host read; the encoded path is printable
// ASCII that decodes back to the path.
#include <string>

#include "fuzz_support.h"
#include "net/url_parts.h"
#include "text/ascii.h"

using arlo::fuzz::require;
namespace net = arlo::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    const std::string host = net::UrlHost(url), hostPort = net::UrlHost(url, true);
    const std::string path = net::UrlPath(url);
    require(hostPort.starts_with(host) && host.find('/') == std::string::npos,
            "the host is the host-and-port up to its port, without a slash");
    require(arlo::text::toLowerAscii(hostPort) == hostPort, "the host is lower case");
    require(net::UrlPort(url) >= 0, "port");
    require(path.starts_with('/') && (path == "/" || url.ends_with(path)), "path is a suffix");

    const std::string lower = arlo::text::toLowerAscii(url.substr(0, 8));
    const std::size_t scheme = lower.starts_with("http://")    ? 7
                               : lower.starts_with("https://") ? 8
                                                               : 0;
    const std::string_view rest = url.substr(scheme);
    const bool plain = scheme != 0 || url.find("://") == std::string_view::npos;
    const std::string_view named = rest.substr(0, rest.find('/'));
    bool ascii = true;
    for (const char c : named) {
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    if (plain && ascii && !host.empty() &&
        arlo::text::toLowerAscii(rest).find("http://") == std::string::npos) {
        require(hostPort == arlo::text::toLowerAscii(named), "host as written");
        const auto slash = rest.find('/');
        require(path == (slash == std::string_view::npos ? "/" : rest.substr(slash)), "path");
    }
    if (const auto target = net::TargetAddress(url)) {
        require(target->url.starts_with((target->secure ? "https://" : "http://") + host),
                "a target goes to the host read");
    }

    const std::string encoded = net::EncodeUrlPath(path);
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        require(encoded[i] > 0x20 && encoded[i] < 0x7F, "encoded path is printable ASCII");
        const bool escape = encoded[i] == '%' && i + 2 < encoded.size() &&
                            decoded.size() < path.size() && path[decoded.size()] != '%';
        decoded += escape ? static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16))
                          : encoded[i];
        i += escape ? 2 : 0;
    }
    require(decoded == path, "the encoded path decodes to the path");
    return 0;
}
