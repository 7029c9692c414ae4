// The fetcher's header completion on an untrusted header block, cookie jar and address path
// (fields: block, jar, path), through Fetch against a closed loopback port. The sent block
// starts with the caller's, holds every default line, and what was added holds no control
// byte: neither the address nor the jar can start header lines of their own.
#include <string>

#include "closed_port.h"
#include "fuzz_support.h"
#include "net/cookies.h"
#include "net/page_fetcher.h"
#include "text/split.h"

using arlo::fuzz::require;
using arlo::net::test_support::closedPort;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string origin = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    const auto f = arlo::fuzz::fields(data, size, 3);
    arlo::net::PageRequest request{.url = origin + std::string(f[2]),
                                   .cookies = std::string(f[1]),
                                   .headers = std::string(f[0])};
    const arlo::net::PageResult result = arlo::net::Fetch(request);
    if (!result.started) {
        return 0;
    }
    const std::string& sent = result.sentHeaders;
    require(sent.starts_with(request.headers), "the caller's block comes first");
    for (const char* name : {"Referer:", "Accept:", "Accept-Language:", "Content-Type:"}) {
        require(sent.find(name) != std::string::npos, "every default line is there");
    }
    const std::string_view added = std::string_view(sent).substr(request.headers.size());
    for (const std::string_view line : arlo::text::split(added, "\r\n")) {
        for (const char c : line) {
            require(!arlo::fuzz::isControl(c), "an added line holds no control byte");
        }
    }
    const std::string safe = arlo::net::SafeCookiePairs(request.cookies);
    require(safe.empty() ? added.find("\r\nCookie: ") == std::string_view::npos
                         : added.ends_with("\r\nCookie: " + safe),
            "the Cookie line carries the safe pairs");
    for (const char c : result.cookieJar) {
        require(!arlo::fuzz::isControl(c), "the jar handed back holds no control byte");
    }
    return 0;
}
