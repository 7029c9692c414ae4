// The response-header scan on untrusted responses (fields: the caller's jar, the response),
// served by a loopback server to Fetch, redirects returned, not followed. The raw block has
// CR LF line ends; the returned cookies are the Set-Cookie pairs a plain reading of that
// block finds, as the jar takes them; the merged jar holds no control byte; a Location line gives
// its value.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <thread>

#include "fuzz_support.h"
#include "net/cookies.h"
#include "net/page_fetcher.h"
#include "text/ascii.h"
#include "text/split.h"
#include "text/trim.h"

using arlo::fuzz::require;

namespace {

std::mutex answerMutex;
std::string answer;

// Answers every connection with `answer` once the request's header block is in, then closes.
int startServer() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(fd, 8);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    std::thread([fd] {
        for (;;) {
            const int client = ::accept(fd, nullptr, nullptr);
            std::string request(4096, '\0'), got;
            ssize_t n = 0;
            while (got.find("\r\n\r\n") == std::string::npos &&
                   (n = ::read(client, request.data(), request.size())) > 0) {
                got.append(request.data(), static_cast<std::size_t>(n));
            }
            const std::lock_guard lock(answerMutex);
            (void)::write(client, answer.data(), answer.size());
            ::close(client);
        }
    }).detach();
    return ntohs(addr.sin_port);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string url = "http://127.0.0.1:" + std::to_string(startServer()) + "/";
    const auto f = arlo::fuzz::fields(data, size, 2);
    {
        const std::lock_guard lock(answerMutex);
        answer = f[1];
    }
    const arlo::net::PageResult r = arlo::net::Fetch(
        {.url = url, .cookies = std::string(f[0]), .redirects = arlo::net::Redirects::Return});
    const std::string& raw = r.rawHeaders;
    require(raw.empty() || raw.ends_with("\r\n"), "the block ends with CR LF");
    for (std::size_t at = raw.find('\n'); at != std::string::npos; at = raw.find('\n', at + 1)) {
        require(at > 0 && raw[at - 1] == '\r', "every line ends with CR LF");
    }
    std::string cookies, location;
    for (const std::string_view line : arlo::text::split(raw, "\r\n")) {
        const std::string lower = arlo::text::toLowerAscii(line);
        if (lower.starts_with("set-cookie:")) {
            const std::string_view value = line.substr(11);
            cookies += std::string(arlo::text::trimSpaces(value.substr(0, value.find(';')))) + "; ";
        } else if (lower.starts_with("location:")) {
            location = arlo::text::trimSpaces(line.substr(9));
        }
    }
    // As the jar takes them (net/cookies.h): no spaces, no pair with a control byte.
    cookies.resize(cookies.size() - (cookies.empty() ? 0 : 2));
    require(r.returnedCookies == arlo::net::SafeCookiePairs(arlo::text::removeSpaces(cookies)),
            "the Set-Cookie pairs as a plain reading finds them");
    require(r.redirectLocation == (location.empty() ? raw : location), "the Location value");
    for (const char c : r.cookieJar) {
        require(!arlo::fuzz::isControl(c), "the merged jar holds no control byte");
    }
    require(!r.complete || raw.ends_with("\r\n\r\n") || raw == "\r\n", "a complete block ends");
    return 0;
}
