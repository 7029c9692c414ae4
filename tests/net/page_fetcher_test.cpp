#include "net/page_fetcher.h"
#include "closed_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "standin/server.h"
#include "standin/standin_environment.h"

namespace arlo::net {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const std::string kDefaultBlockTail =
    "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";

using arlo::net::test_support::closedPort;

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class PageFetcher : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standin.ok()); }

    std::vector<standin::Request> received() const {
        return const_cast<standin::StandinEnvironment&>(standin).server().requests();
    }

    standin::StandinEnvironment standin;
};

TEST_F(PageFetcher, getWithNothingGivenSendsTheFourDefaultLinesAfterTheTransportsOwn) {
    const std::string url = "http://echo.arlo.invalid/test/echo";
    std::string headers;
    const Bytes body = FetchPage(url, 0, {}, nullptr, nullptr, &headers);

    const std::string block = "Referer: " + url + kDefaultBlockTail;
    EXPECT_EQ(headers, block);
    EXPECT_EQ(body, "GET /test/echo HTTP/1.1\r\nHost: echo.arlo.invalid\r\nUser-Agent: " +
                        std::string(kDefaultUserAgent) + "\r\n" + block + "\r\n\r\n");
}

TEST_F(PageFetcher, aBlockWithHostAndRefererKeepsThemAndGetsNoSecondOnes) {
    std::string headers = "Host:echo.arlo.invalid\r\nReferer:http://home.arlo.invalid/";
    const Bytes body =
        FetchPage("http://echo.arlo.invalid/test/echo", 0, {}, nullptr, nullptr, &headers);

    const std::string block =
        "Host:echo.arlo.invalid\r\nReferer:http://home.arlo.invalid/" + kDefaultBlockTail;
    EXPECT_EQ(headers, block);
    // The caller's Host line, byte for byte, takes the place of the transport's own.
    EXPECT_EQ(body, "GET /test/echo HTTP/1.1\r\nHost:echo.arlo.invalid\r\nUser-Agent: " +
                        std::string(kDefaultUserAgent) + "\r\nReferer:http://home.arlo.invalid/" +
                        kDefaultBlockTail + "\r\n\r\n");
}

TEST_F(PageFetcher, anAddressCannotSmuggleHeaderLinesIntoTheRequest) {
    std::string headers;
    FetchPage("http://echo.arlo.invalid/test/echo?a\r\nX-Evil: 1", 0, {}, nullptr, nullptr,
              &headers);
    EXPECT_EQ(headers.find("\r\nX-Evil"), std::string::npos);
    const auto requests = received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].headerCount("X-Evil"), 0u);
    EXPECT_EQ(requests[0].target, "/test/echo?a%0D%0AX-Evil:%201");
    EXPECT_EQ(requests[0].header("Referer"), "http://echo.arlo.invalid/test/echo?a%0D%0AX-Evil: 1");
}

TEST_F(PageFetcher, aUserAgentLineNamesTheAgentAndIsSentOnce) {
    for (const std::string given : {"User-Agent: X", "Accept: text/html\r\nuser-agent:  X "}) {
        SCOPED_TRACE(given);
        standin.server().clearRequests();
        std::string headers = given;
        FetchPage("http://ua.arlo.invalid/test/echo", 0, {}, nullptr, nullptr, &headers);
        EXPECT_THAT(headers, StartsWith(given + "\r\nReferer: "));
        const auto requests = received();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].headerCount("User-Agent"), 1u);
        EXPECT_EQ(requests[0].header("User-Agent"), "X");
    }
}

TEST_F(PageFetcher, sendsTheJarAndMergesWhatTheResponseSets) {
    std::string jar = "a=1; b=2";
    std::string returned = "stale=1";
    std::string headers;
    FetchPage(
        "http://shop.arlo.invalid/test/"
        "set-cookie?c=b%3D3%3B%20path%3D%2F&c=c%3Ddeleted%3B%20path%3D%2F",
        0, {}, &jar, &returned, &headers);

    EXPECT_EQ(returned, "b=3;c=deleted");
    EXPECT_EQ(jar, "b=3; a=1");
    EXPECT_THAT(headers, HasSubstr("\r\nCookie: a=1; b=2"));
    const auto requests = received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Cookie"), "a=1; b=2");
}

TEST_F(PageFetcher, aCookieWithoutAttributesIsNotLost) {
    std::string jar;
    std::string returned;
    FetchPage("http://shop.arlo.invalid/test/set-cookie?c=sid%3Dabc&c=x%3D1%3B%20path%3D%2F", 0, {},
              &jar, &returned);
    EXPECT_EQ(returned, "sid=abc;x=1");
    EXPECT_EQ(jar, "sid=abc; x=1");
}

// A response can put anything into a cookie's value; what reaches the jar, and the next
// request's header block, is never more than one line.
TEST_F(PageFetcher, aCookieWithControlBytesNeverReachesTheJarOrTheNextRequest) {
    std::string jar = "keep=1";
    std::string returned;
    // a=1 CR "X-Inj: 2", b=2 LF "X-Inj: 3" (a LF ends a response's header line: b=2 is a
    // pair of its own), d=4 TAB x, and a well-formed e=5.
    FetchPage(
        "http://shop.arlo.invalid/test/set-cookie?c=a%3D1%0DX-Inj%3A%202"
        "&c=b%3D2%0AX-Inj%3A%203&c=d%3D4%09x&c=e%3D5",
        0, {}, &jar, &returned);
    EXPECT_EQ(jar, "b=2; e=5; keep=1");
    EXPECT_EQ(returned, "b=2;e=5");
    for (const char c : jar) {
        EXPECT_GE(static_cast<unsigned char>(c), 0x20);
    }
    standin.server().clearRequests();
    std::string headers;
    FetchPage("http://shop.arlo.invalid/test/echo", 0, {}, &jar, nullptr, &headers);
    const auto requests = received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].headerCount("X-Inj"), 0u);
    EXPECT_EQ(requests[0].header("Cookie"), "b=2; e=5; keep=1");

    // A jar that already holds such a pair (the caller's own) does not send it either.
    standin.server().clearRequests();
    std::string dirty = "ok=1; bad=1\rX-Inj: 4";
    FetchPage("http://shop.arlo.invalid/test/echo", 0, {}, &dirty);
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].headerCount("X-Inj"), 0u);
    EXPECT_EQ(received()[0].header("Cookie"), "ok=1");
    EXPECT_EQ(dirty, "ok=1");
}

// The block's lines are joined by CR LF; a lone CR or LF, or another control byte, inside a
// line is no line end: it never starts a line of its own on the wire.
TEST_F(PageFetcher, aHeaderBlockIsNeverSplitInsideAValue) {
    std::string headers = "X-A: 1\rX-B: 2\r\nX-C: 3\nX-D: 4\r\nX-E: 5";
    const Bytes echo =
        FetchPage("http://echo.arlo.invalid/test/echo", 0, {}, nullptr, nullptr, &headers);
    const auto requests = received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].headerCount("X-B"), 0u);
    EXPECT_EQ(requests[0].headerCount("X-D"), 0u);
    EXPECT_EQ(requests[0].header("X-A"), "1X-B: 2");
    EXPECT_EQ(requests[0].header("X-C"), "3X-D: 4");
    EXPECT_EQ(requests[0].header("X-E"), "5");
}

TEST_F(PageFetcher, noRedirectReturnsTheRedirectItself) {
    std::string jar = "a=1";
    std::string location;
    std::string raw;
    const Bytes body = FetchPage(
        "http://from.arlo.invalid/test/"
        "redirect?status=302&to=http%3A%2F%2Fto.arlo.invalid%2Ftest%2Fecho"
        "&c=r%3D9%3B%20path%3D%2F",
        0, {}, &jar, nullptr, nullptr, &location, true, nullptr, std::nullopt, &raw);

    EXPECT_EQ(body, "redirect body");
    EXPECT_EQ(location, "http://to.arlo.invalid/test/echo");
    EXPECT_EQ(jar, "r=9; a=1");
    EXPECT_THAT(raw, StartsWith("HTTP/1.1 302 Found\r\n"));
    EXPECT_EQ(received().size(), 1u);
}

TEST_F(PageFetcher, followsRedirectsAndReportsOnlyTheFinalResponse) {
    struct Case {
        int status;
        bool toHttps;
        int method;
        const char* expectedMethod;
    };
    const Case cases[] = {
        {301, false, 0, "GET"},  {302, true, 0, "GET"}, {303, true, 1, "GET"},
        {307, false, 1, "POST"}, {307, true, 0, "GET"}, {302, false, 1, "GET"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.status << (c.toHttps ? " to https" : " to http")
                                        << " method " << c.method);
        standin.server().clearRequests();
        const std::string target =
            std::string(c.toHttps ? "https" : "http") + "%3A%2F%2Fto.arlo.invalid%2Ftest%2Fecho";
        std::string location = "stale";
        std::string raw;
        std::string returned;
        const Bytes body =
            FetchPage("http://from.arlo.invalid/test/redirect?status=" + std::to_string(c.status) +
                          "&to=" + target + "&c=lost%3D1",
                      c.method, "k=v", nullptr, &returned, nullptr, &location, false, nullptr,
                      std::nullopt, &raw);

        const auto requests = received();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[1].host(), "to.arlo.invalid");
        EXPECT_EQ(requests[1].tls, c.toHttps);
        EXPECT_EQ(requests[1].method, c.expectedMethod);
        EXPECT_EQ(body, requests[1].raw);
        EXPECT_THAT(raw, StartsWith("HTTP/1.1 200 OK\r\n"));
        EXPECT_EQ(location, raw);
        // Cookies set by a followed redirect are not seen.
        EXPECT_EQ(returned, "");
    }
}

TEST_F(PageFetcher, refusesARedirectFromHttpsToHttp) {
    std::string location;
    const Bytes body = FetchPage(
        "https://secure.arlo.invalid/test/"
        "redirect?status=302&to=http%3A%2F%2Fplain.arlo.invalid%2F",
        0, {}, nullptr, nullptr, nullptr, &location);

    EXPECT_THAT(body, IsEmpty());
    EXPECT_EQ(location, "http://plain.arlo.invalid/");
    const auto requests = received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].tls);
}

TEST_F(PageFetcher, aRedirectLoopEndsAfterTenRedirects) {
    const Bytes body = FetchPage("http://loop.arlo.invalid/test/loop");
    EXPECT_THAT(body, IsEmpty());
    EXPECT_EQ(received().size(), 11u);
}

TEST_F(PageFetcher, withoutLocationTheRedirectLocationIsTheWholeHeaderBlock) {
    std::string location = "from an earlier call";
    std::string raw;
    const Bytes body = FetchPage("http://echo.arlo.invalid/test/set-cookie", 0, {}, nullptr,
                                 nullptr, nullptr, &location, false, nullptr, std::nullopt, &raw);
    EXPECT_EQ(body, "cookies set");
    EXPECT_THAT(raw, StartsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_THAT(raw, HasSubstr("\r\nContent-Length: 11\r\n"));
    EXPECT_TRUE(raw.ends_with("\r\n\r\n"));
    EXPECT_EQ(location, raw);
}

// Header lines are told by their name, whatever its letter case, never by text elsewhere.
TEST_F(PageFetcher, onlyALocationLineGivesTheRedirectLocation) {
    auto& server = standin.server();
    server.route("names.arlo.invalid", "/found", [](const standin::Request&) {
        standin::Response response;
        response.headers = {{"Content-Location", "/found.html"}};
        response.body = "ok";
        return response;
    });
    server.route("names.arlo.invalid", "/moved", [](const standin::Request&) {
        standin::Response response;
        response.status = 302;
        response.headers = {{"location", "http://names.arlo.invalid/there"},
                            {"Content-Location", "/moved.html"}};
        response.body = "moved";
        return response;
    });

    std::string location;
    std::string raw;
    EXPECT_EQ(FetchPage("http://names.arlo.invalid/found", 0, {}, nullptr, nullptr, nullptr,
                        &location, false, nullptr, std::nullopt, &raw),
              "ok");
    EXPECT_THAT(raw, HasSubstr("\r\nContent-Location: /found.html\r\n"));
    EXPECT_EQ(location, raw);

    EXPECT_EQ(FetchPage("http://names.arlo.invalid/moved", 0, {}, nullptr, nullptr, nullptr,
                        &location, true),
              "moved");
    EXPECT_EQ(location, "http://names.arlo.invalid/there");
}

TEST_F(PageFetcher, aNamedRequestGivesEveryPartOfTheAnswerInItsResult) {
    standin.server().route("named.arlo.invalid", "/login", [](const standin::Request& r) {
        standin::Response response;
        response.status = 302;
        response.headers = {{"Location", "/home"},
                            {"Set-Cookie", "sid=" + std::to_string(r.body.size()) + "; path=/"}};
        response.body = "moved";
        return response;
    });
    const PageRequest request{
        .url = "http://named.arlo.invalid/login",
        .method = Method::Post,
        .body = std::string("u=1\0x", 5),
        .cookies = "z=9",
        .headers = "X-Note: 1",
        .redirects = Redirects::Return,
    };
    const PageResult result = Fetch(request);
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.body, "moved");
    EXPECT_THAT(result.rawHeaders, StartsWith("HTTP/1.1 302 "));
    EXPECT_EQ(result.redirectLocation, "/home");
    EXPECT_EQ(result.returnedCookies, "sid=5");
    EXPECT_EQ(result.cookieJar, "sid=5; z=9");
    EXPECT_EQ(result.sentHeaders, "X-Note: 1\r\nReferer: http://named.arlo.invalid/login" +
                                      kDefaultBlockTail + "\r\nCookie: z=9");
    const auto requests = received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, std::string("u=1\0x", 5));
    EXPECT_EQ(requests[0].header("Cookie"), "z=9");

    // A GET that carries a body sends it with the GET.
    Fetch({.url = "http://named.arlo.invalid/echo", .method = Method::GetWithBody, .body = "k=v"});
    ASSERT_EQ(received().size(), 2u);
    EXPECT_EQ(received()[1].method, "GET");
    EXPECT_EQ(received()[1].body, "k=v");

    // An address that cannot be used starts nothing and hands the request's parts back.
    const PageResult refused =
        Fetch({.url = "http://host.arlo.invalid:70000/x", .cookies = "a=1", .headers = "X: y"});
    EXPECT_FALSE(refused.started);
    EXPECT_EQ(refused.cookieJar, "a=1");
    EXPECT_EQ(refused.sentHeaders, "X: y");
    EXPECT_THAT(refused.rawHeaders, IsEmpty());
    EXPECT_EQ(received().size(), 2u);
}

TEST_F(PageFetcher, onlySetCookieLinesGiveCookies) {
    standin.server().route("names.arlo.invalid", "/cookies", [](const standin::Request&) {
        standin::Response response;
        response.raw =
            "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nTrailer: Set-Cookie\r\n"
            "X-Set-Cookie-Note: c=3\r\nset-cookie: b=2\r\nContent-Length: 2\r\n"
            "Connection: close\r\n\r\nok";
        return response;
    });
    std::string jar = "z=9";
    std::string returned;
    EXPECT_EQ(FetchPage("http://names.arlo.invalid/cookies", 0, {}, &jar, &returned), "ok");
    EXPECT_EQ(returned, "a=1;b=2");
    EXPECT_EQ(jar, "a=1; b=2; z=9");

    // A cookie line without a pair adds none; its attributes are no cookie either.
    standin.server().route("names.arlo.invalid", "/no-pair", [](const standin::Request&) {
        standin::Response response;
        response.headers = {{"Set-Cookie", "; path=/"}};
        return response;
    });
    FetchPage("http://names.arlo.invalid/no-pair", 0, {}, &jar);
    EXPECT_EQ(jar, "a=1; b=2; z=9");
}

// A chunked reply whose trailer fields look like headers, one of them a cookie.
std::string chunkedWithTrailers(std::string_view statusAndHeaders, std::string_view trailer) {
    return std::string(statusAndHeaders) +
           "Transfer-Encoding: chunked\r\nTrailer: X-Checksum\r\n"
           "Connection: close\r\n\r\n5\r\nhello\r\n0\r\nSet-Cookie: " +
           std::string(trailer) + "=1; path=/\r\nX-Checksum: " + std::string(trailer) + "\r\n\r\n";
}

TEST_F(PageFetcher, trailerFieldsAreNeitherHeadersNorCookies) {
    auto& server = standin.server();
    server.route("trailers.arlo.invalid", "/plain", [](const standin::Request&) {
        standin::Response response;
        response.raw = chunkedWithTrailers("HTTP/1.1 200 OK\r\nSet-Cookie: head=1\r\n", "tail");
        return response;
    });
    server.route("trailers.arlo.invalid", "/interim", [](const standin::Request&) {
        standin::Response response;
        response.raw = "HTTP/1.1 100 Continue\r\n\r\n" +
                       chunkedWithTrailers("HTTP/1.1 200 OK\r\nSet-Cookie: head=1\r\n", "tail");
        return response;
    });
    server.route("trailers.arlo.invalid", "/moved", [](const standin::Request&) {
        standin::Response response;
        response.raw = chunkedWithTrailers(
            "HTTP/1.1 302 Found\r\nLocation: http://trailers.arlo.invalid/plain\r\n"
            "Set-Cookie: moved=1\r\n",
            "movedtail");
        return response;
    });

    for (const char* path : {"/plain", "/interim", "/moved"}) {
        SCOPED_TRACE(path);
        std::string jar = "a=1";
        std::string returned;
        std::string location;
        std::string raw;
        const Bytes body =
            FetchPage(std::string("http://trailers.arlo.invalid") + path, 0, {}, &jar, &returned,
                      nullptr, &location, false, nullptr, std::nullopt, &raw);
        EXPECT_EQ(body, "hello");
        EXPECT_THAT(raw, StartsWith("HTTP/1.1 200 OK\r\nSet-Cookie: head=1\r\n"));
        EXPECT_TRUE(raw.ends_with("Connection: close\r\n\r\n")) << raw;
        EXPECT_EQ(raw.find("X-Checksum:"), std::string::npos) << raw;
        EXPECT_EQ(returned, "head=1");
        EXPECT_EQ(jar, "head=1; a=1");
        EXPECT_EQ(location, raw);
    }

    // A redirect that is returned, not followed, has its own trailers left out too.
    std::string returned;
    std::string raw;
    FetchPage("http://trailers.arlo.invalid/moved", 0, {}, nullptr, &returned, nullptr, nullptr,
              true, nullptr, std::nullopt, &raw);
    EXPECT_THAT(raw, StartsWith("HTTP/1.1 302 Found\r\n"));
    EXPECT_TRUE(raw.ends_with("Connection: close\r\n\r\n")) << raw;
    EXPECT_EQ(returned, "moved=1");
}

TEST_F(PageFetcher, anHttpsAddressInCapitalsReachesItsHostPortAndPathOverVerifiedTls) {
    const Bytes body = FetchPage("HTTPS://Mixed.Host:8443/test/echo?Q=1");
    const auto requests = received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].tls);
    EXPECT_EQ(requests[0].serverName, "mixed.host");
    EXPECT_EQ(requests[0].header("Host"), "mixed.host:8443");
    EXPECT_EQ(requests[0].target, "/test/echo?Q=1");
    EXPECT_EQ(body, requests[0].raw);

    standin.server().clearRequests();
    FetchPage("http://bare.arlo.invalid");
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].target, "/");
    EXPECT_EQ(received()[0].header("Host"), "bare.arlo.invalid");
}

TEST_F(PageFetcher, httpsFailsAgainstAnAuthorityItDoesNotTrust) {
    // Another stand-in's authority: the handshake happens and the certificate is refused.
    const standin::Server other;
    const std::string untrusted = standin::writeTemporaryPem(other.authorityPem());
    ScopedEnv ca("ARLO_CA_FILE", untrusted);
    std::string raw = "x";
    EXPECT_THAT(FetchPage("https://secure.arlo.invalid/test/echo", 0, {}, nullptr, nullptr, nullptr,
                          nullptr, false, nullptr, std::nullopt, &raw),
                IsEmpty());
    EXPECT_THAT(raw, IsEmpty());
    EXPECT_THAT(received(), IsEmpty());
    ::unlink(untrusted.c_str());
}

TEST_F(PageFetcher, postSendsTheBodyTextAndKeepsItAsBodyBytes) {
    Bytes bytes;
    const Bytes echoed = FetchPage("http://form.arlo.invalid/test/echo", 1, "a=1&b=2", nullptr,
                                   nullptr, nullptr, nullptr, false, &bytes);
    EXPECT_EQ(bytes, "a=1&b=2");
    const auto requests = received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].header("Content-Length"), "7");
    EXPECT_EQ(requests[0].body, "a=1&b=2");
    EXPECT_TRUE(echoed.ends_with("\r\n\r\na=1&b=2"));

    // Bytes already given win over the text, NUL bytes included.
    standin.server().clearRequests();
    Bytes given("x\0y", 3);
    FetchPage("http://form.arlo.invalid/test/echo", 1, "ignored", nullptr, nullptr, nullptr,
              nullptr, false, &given);
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].body, std::string("x\0y", 3));
}

TEST_F(PageFetcher, anUnreachableHostGivesNothingAndKeepsTheJar) {
    ScopedEnv map("ARLO_HOST_MAP", "*=127.0.0.1:" + std::to_string(closedPort()));
    std::string jar = "a=1; b=2";
    std::string headers;
    std::string location = "old";
    std::string raw = "old";
    const Bytes body = FetchPage("http://gone.arlo.invalid/", 0, {}, &jar, nullptr, &headers,
                                 &location, false, nullptr, std::nullopt, &raw);
    EXPECT_THAT(body, IsEmpty());
    EXPECT_EQ(jar, "a=1; b=2");
    EXPECT_THAT(raw, IsEmpty());
    EXPECT_THAT(location, IsEmpty());
    EXPECT_THAT(headers, HasSubstr("Cookie: a=1; b=2"));
}

TEST_F(PageFetcher, anAddressThatCannotBeUsedLeavesEverythingAsItWas) {
    std::string jar = "a = 1";
    std::string headers = "X-Mine: 1";
    std::string raw = "untouched";
    EXPECT_THAT(FetchPage("http://:8080/x", 0, {}, &jar, nullptr, &headers, nullptr, false, nullptr,
                          std::nullopt, &raw),
                IsEmpty());
    EXPECT_THAT(FetchPage("http://host.arlo.invalid:70000/x", 0, {}, &jar, nullptr, &headers),
                IsEmpty());
    EXPECT_EQ(jar, "a = 1");
    EXPECT_EQ(headers, "X-Mine: 1");
    EXPECT_EQ(raw, "untouched");
    EXPECT_THAT(received(), IsEmpty());
}

// A NUL ends the address where libcurl reads it, so what it would reach is not what the
// caller named: such an address is not used at all.
TEST_F(PageFetcher, anAddressWithANulByteIsRefused) {
    using namespace std::string_literals;
    for (const std::string& url : {"http://echo.arlo.invalid\0.elsewhere.test/test/echo"s,
                                   "http://echo.arlo.invalid/test/echo\0/more"s,
                                   "https://echo.arlo.invalid/test/echo?x=\0"s}) {
        SCOPED_TRACE(url.size());
        std::string jar = "a=1";
        const PageResult result = Fetch({.url = url, .cookies = jar});
        EXPECT_FALSE(result.started);
        EXPECT_THAT(result.body, IsEmpty());
        EXPECT_THAT(FetchPage(url, 0, {}, &jar), IsEmpty());
        EXPECT_EQ(jar, "a=1");
    }
    EXPECT_THAT(received(), IsEmpty());
}

// Whether the whole answer arrived: the status of a complete response, not just some bytes.
TEST_F(PageFetcher, theResultTellsAWholeAnswerFromAPartialOne) {
    standin.server().route("partial.test", "/head", [](const standin::Request&) {
        standin::Response r;
        r.raw = "HTTP/1.1 200 OK\r\nContent-Le";
        return r;
    });
    const PageResult partial = Fetch({.url = "http://partial.test/head"});
    EXPECT_FALSE(partial.complete);
    EXPECT_THAT(partial.body, IsEmpty());

    const PageResult cut = Fetch({.url = "http://partial.test/test/cut-off"});
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.status, 200);

    const PageResult missing = Fetch({.url = "http://partial.test/nothing-here"});
    EXPECT_TRUE(missing.complete);
    EXPECT_EQ(missing.status, 404);

    const PageResult whole = Fetch({.url = "http://partial.test/test/body?hex=6f6b"});
    EXPECT_TRUE(whole.complete);
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.body, "ok");
}

TEST_F(PageFetcher, aSilentServerIsGivenUp) {
    ScopedEnv stall("ARLO_NET_STALL_SECONDS", "1");
    std::string raw = "old";
    const Bytes body = FetchPage("http://slow.arlo.invalid/test/stall", 0, {}, nullptr, nullptr,
                                 nullptr, nullptr, false, nullptr, std::nullopt, &raw);
    EXPECT_THAT(body, IsEmpty());
    EXPECT_THAT(raw, IsEmpty());
    EXPECT_EQ(received().size(), 1u);
}

TEST_F(PageFetcher, aBodyCutOffIsNotPassedOffAsTheWholePage) {
    std::string raw;
    const Bytes body = FetchPage("http://short.arlo.invalid/test/cut-off", 0, {}, nullptr, nullptr,
                                 nullptr, nullptr, false, nullptr, std::nullopt, &raw);
    EXPECT_THAT(body, IsEmpty());
    EXPECT_THAT(raw, StartsWith("HTTP/1.1 200 OK\r\n"));
}

TEST_F(PageFetcher, aNamedHostMapEntryOnlyMapsThatHost) {
    ScopedEnv map("ARLO_HOST_MAP", "only.arlo.invalid=127.0.0.1:" + std::to_string(standin.port()));
    EXPECT_THAT(FetchPage("http://only.arlo.invalid/test/set-cookie"), "cookies set");
    EXPECT_THAT(FetchPage("http://other.arlo.invalid/test/set-cookie"), IsEmpty());
    ASSERT_EQ(received().size(), 1u);
}

TEST_F(PageFetcher, headerBlocksOfAnySizeStillYieldLocationAndCookies) {
    std::string returned;
    std::string location;
    std::string raw;
    const Bytes body = FetchPage(
        "http://big.arlo.invalid/test/huge-headers?size=6000&to=http%3A%2F%2Fnext.arlo.invalid%2F"
        "&c=big%3D1%3B%20path%3D%2F",
        0, {}, nullptr, &returned, nullptr, &location, false, nullptr, std::nullopt, &raw);
    EXPECT_EQ(body, "huge headers");
    EXPECT_GT(raw.size(), 6000u);
    EXPECT_EQ(location, "http://next.arlo.invalid/");
    EXPECT_EQ(returned, "big=1");
}

TEST_F(PageFetcher, aBodyBeyondTheCapGivesAnEmptyResult) {
    EXPECT_EQ(FetchPage("http://big.arlo.invalid/test/big-body?size=100000").size(), 100000u);
    EXPECT_THAT(FetchPage("http://big.arlo.invalid/test/big-body?size=" +
                          std::to_string(kMaxBodyBytes + 1)),
                IsEmpty());
}

TEST_F(PageFetcher, directModeIgnoresProxyVariablesAndProxyModeUsesTheGivenProxy) {
    const std::string dead = "http://127.0.0.1:" + std::to_string(closedPort());
    ScopedEnv p1("http_proxy", dead);
    ScopedEnv p2("HTTP_PROXY", dead);
    ScopedEnv p3("https_proxy", dead);
    ScopedEnv p4("ALL_PROXY", dead);

    EXPECT_EQ(FetchPage("http://direct.arlo.invalid/test/set-cookie"), "cookies set");
    EXPECT_EQ(FetchPage("https://direct.arlo.invalid/test/set-cookie"), "cookies set");
    EXPECT_EQ(FetchPageText("http://direct.arlo.invalid/test/set-cookie"), "cookies set");

    standin.server().clearRequests();
    const std::string proxy = "127.0.0.1:" + std::to_string(standin.port());
    FetchPage("http://far.arlo.invalid/test/echo", 0, {}, nullptr, nullptr, nullptr, nullptr, false,
              nullptr, proxy);
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].target, "http://far.arlo.invalid/test/echo");

    standin.server().clearRequests();
    FetchPage("http://far.arlo.invalid/test/echo", 0, {}, nullptr, nullptr, nullptr, nullptr, false,
              nullptr, std::string_view{});
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].target, "/test/echo");
}

TEST_F(PageFetcher, textFormsStopAtTheFirstNulAndDecodeTheirCodePage) {
    // "版本=[1.2];" in GBK, then a NUL and more.
    EXPECT_EQ(FetchPageText("http://gbk.arlo.invalid/test/body?hex=b0e6b1be3d5b312e325d3b00787878"),
              "版本=[1.2];");
    EXPECT_EQ(FetchPageUtf8(
                  "http://utf8.arlo.invalid/test/body?hex=e78988e69cac3d5b312e325d3bff00787878"),
              "版本=[1.2];\xEF\xBF\xBD");
    EXPECT_EQ(FetchPage("http://raw.arlo.invalid/test/body?hex=610062"), std::string("a\0b", 3));
}

TEST(SanitizeUtf8, replacesEachBrokenSequenceOnce) {
    EXPECT_EQ(sanitizeUtf8("ok"), "ok");
    EXPECT_EQ(sanitizeUtf8("\xE7\x89\x88"), "\xE7\x89\x88");
    EXPECT_EQ(sanitizeUtf8("a\xE7\x89z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(sanitizeUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(sanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(sanitizeUtf8("\xF0\x9F\x98"), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace arlo::net
