#include "net/url_parts.h"

#include <gtest/gtest.h>

#include <string>

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
        // Without a scheme in front, the host follows an "http://" further on, wherever it is.
        {"example.org/?u=http://x/y", "x", "x", 80, "/y"},
        {" http://a/b", "a", "a", 80, "/b"},
        // The port is the digits after the host's last colon, nothing else.
        {"http://a:1:2/", "a", "a:1:2", 2, "/"},
        {"http://h:+81/", "h", "h:+81", 0, "/"},
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

TEST(UrlParts, aTargetIsRebuiltFromThePartsOrSaysWhyItCannotBe) {
    using namespace std::string_literals;
    struct Row {
        std::string address;
        const char* url;  // null: refused
        AddressFault why;
    };
    const Row rows[] = {
        {"HTTPS://H:443/a b", "https://h/a%20b", {}},
        {"https://h:80/x", "https://h:80/x", {}},
        {"h:0/x", "http://h/x", {}},
        {"http://h:/x", "http://h/x", {}},
        {"http://h:65535/", "http://h:65535/", {}},
        {"http://h:65536/", nullptr, AddressFault::PortOutOfRange},
        {"http:///x", nullptr, AddressFault::NoHost},
        {"http://h/x\0y"s, nullptr, AddressFault::NulByte},
        {"http://[::1]:8081/", nullptr, AddressFault::Unparsable},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.address);
        const auto target = TargetAddress(row.address);
        ASSERT_EQ(target.ok(), row.url != nullptr);
        if (target) {
            EXPECT_EQ(target->url, row.url);
            EXPECT_EQ(target->secure, target->url.starts_with("https"));
        } else {
            EXPECT_EQ(target.why(), row.why);
        }
    }
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
