#include "net/url_parts.h"

#include <gtest/gtest.h>

namespace arlo::net {
namespace {

struct AddressCase {
    const char* url;
    const char* host;
    const char* hostWithPort;
    int port;
    const char* path;
};

TEST(UrlParts, takesAddressesApartLikeTheFetcherReadsThem) {
    const AddressCase cases[] = {
        {"HTTPS://Mixed.Host:8443/Path?Q=1", "mixed.host", "mixed.host:8443", 8443, "/Path?Q=1"},
        {"http://host", "host", "host", 80, "/"},
        {"https://secure.example/a/b.htm#top", "secure.example", "secure.example", 443,
         "/a/b.htm#top"},
        {"example.org/page?x=1", "example.org", "example.org", 80, "/page?x=1"},
        {"example.org", "example.org", "example.org", 80, "/"},
        {"http://host:/x", "host", "host:", 0, "/x"},
        {"http://host:8x/x", "host", "host:8x", 8, "/x"},
        {"http://Host:81", "host", "host:81", 81, "/"},
        // A host that also occurs inside the scheme is still found after it.
        {"http://tp/index.htm", "tp", "tp", 80, "/index.htm"},
        {"https://s/Q", "s", "s", 443, "/Q"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(UrlHost(c.url), c.host);
        EXPECT_EQ(UrlHost(c.url, true), c.hostWithPort);
        EXPECT_EQ(UrlPort(c.url), c.port);
        EXPECT_EQ(UrlPath(c.url), c.path);
    }
}

TEST(UrlParts, thePortFollowsTheLastColonOfTheHost) {
    EXPECT_EQ(UrlPort("http://user:pw@example.com:8080/x"), 8080);
    EXPECT_EQ(UrlPort("http://[::1]:8081/"), 8081);
}

TEST(UrlParts, pathsAreEncodedForLibcurlKeepingWhatItTakes) {
    EXPECT_EQ(EncodeUrlPath("/a b/\x01\x7F\xE4\xB8\xAD?q=%41&x=~"),
              "/a%20b/%01%7F%E4%B8%AD?q=%41&x=~");
    EXPECT_EQ(EncodeUrlPath(""), "");
}

TEST(UrlParts, secureOnlyForAnHttpsPrefixInAnyCase) {
    EXPECT_TRUE(UrlIsSecure("HTTPS://a/"));
    EXPECT_TRUE(UrlIsSecure("https://a/"));
    EXPECT_FALSE(UrlIsSecure("http://a/"));
    EXPECT_FALSE(UrlIsSecure("a/"));
    EXPECT_FALSE(UrlIsSecure(""));
}

TEST(TextBetween, ignoresAsciiCaseAndNeedsBothMarkers) {
    EXPECT_EQ(TextBetween("Set-Cookie: a=1; path=/", "set-cookie:", ";"), " a=1");
    EXPECT_EQ(TextBetween("<B>x</b>", "<b>", "</B>"), "x");
    EXPECT_EQ(TextBetween("abc", "x", "c"), "");
    EXPECT_EQ(TextBetween("abc", "a", "x"), "");
    // The closing marker is looked for only after the opening one.
    EXPECT_EQ(TextBetween(";a=1", "a", ";"), "");
    EXPECT_EQ(TextBetween("ab", "a", "b"), "");
}

}  // namespace
}  // namespace arlo::net
