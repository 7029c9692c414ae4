#include "net/request.h"
#include "closed_port.h"

#include <curl/curl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>

#include "standin/server.h"
#include "standin/standin_environment.h"

namespace arlo::net {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

using arlo::net::test_support::closedPort;

struct Call {
    int userValue;
    std::int64_t total;
    std::int64_t done;
    std::int64_t elapsed;
};

// Records the progress calls, which arrive on the watcher thread.
class ProgressLog {
public:
    ProgressCallback callback() {
        return [this](int userValue, std::int64_t total, std::int64_t done, std::int64_t elapsed) {
            const std::lock_guard lock(mutex_);
            calls_.push_back({userValue, total, done, elapsed});
        };
    }
    std::vector<Call> calls() const {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};

std::string fileContent(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RequestObject : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin.ok());
        char pattern[] = "/tmp/arlo-request-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        directory = pattern;
    }
    void TearDown() override { fs::remove_all(directory); }

    std::vector<standin::Request> received() { return standin.server().requests(); }

    standin::StandinEnvironment standin;
    std::string directory;
};

TEST(RequestAddress, hostPortAndPathAreReadAsTheFetcherReadsThem) {
    EXPECT_EQ(UrlHost("HTTP://Www.Example.ORG:8080/A/b?C=1"), "www.example.org");
    EXPECT_EQ(UrlHost("https://h.org:8443/x", true), "h.org:8443");
    EXPECT_EQ(UrlHost("example.org/x"), "example.org");
    EXPECT_EQ(UrlPort("http://h.org:8080/x"), 8080);
    EXPECT_EQ(UrlPort("HTTPS://h.org/x"), 443);
    EXPECT_EQ(UrlPort("h.org/x"), 80);
    EXPECT_EQ(UrlPort("http://h.org:/x"), 0);
    EXPECT_EQ(UrlPath("http://H.org:81/A/b?C=1"), "/A/b?C=1");
    EXPECT_EQ(UrlPath("http://h.org"), "/");
    EXPECT_EQ(UrlPath("http://tp/index.htm"), "/index.htm");
}

TEST(RequestUpload, aBodyGoesOutAsItsRemainderThenPiecesOf2048) {
    EXPECT_THAT(uploadPieceSizes(5000), ElementsAre(904, 2048, 2048));
    EXPECT_THAT(uploadPieceSizes(4096), ElementsAre(2048, 2048));
    EXPECT_THAT(uploadPieceSizes(100), ElementsAre(100));
    EXPECT_TRUE(uploadPieceSizes(0).empty());
}

TEST_F(RequestObject, theSelfUpdatesHeadersGoOutInOrderExactlyAsSet) {
    Request request;
    ASSERT_TRUE(request.Open("get", "http://dl.arlo.invalid/test/echo?x=1"));
    EXPECT_TRUE(request.SetRequestHeader("Accept", "*/*"));
    EXPECT_TRUE(request.SetRequestHeader("Referer", "http://space.arlo.invalid/"));
    EXPECT_TRUE(request.SetRequestHeader("User-Agent", " Mozilla/5.0 Firefox/23.0"));
    EXPECT_TRUE(request.SetRequestHeader("X-Empty", ""));
    ASSERT_TRUE(request.Send());
    EXPECT_EQ(request.GetBody(),
              "GET /test/echo?x=1 HTTP/1.1\r\nHost: dl.arlo.invalid\r\nAccept:*/*\r\n"
              "Referer:http://space.arlo.invalid/\r\nUser-Agent: Mozilla/5.0 Firefox/23.0\r\n"
              "X-Empty:\r\n\r\n");
}

TEST_F(RequestObject, aHeaderSetTwiceIsReplacedAndUnsafeLinesAreRefused) {
    Request request;
    EXPECT_FALSE(request.SetRequestHeader("X-Early", "before open"));
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/echo"));
    EXPECT_TRUE(request.SetRequestHeader("X-Kind", "one"));
    EXPECT_TRUE(request.SetRequestHeader("x-kind", "two"));
    EXPECT_TRUE(request.SetRequestHeader("User-Agent", "first"));
    EXPECT_TRUE(request.SetRequestHeader("User-Agent", "second"));
    EXPECT_FALSE(request.SetRequestHeader("X-Bad", "a\r\nX-Injected: 1"));
    EXPECT_FALSE(request.SetRequestHeader("X-Bad", "a\rX-Injected: 1"));
    EXPECT_FALSE(request.SetRequestHeader("X-Bad", std::string("a\0X-Injected: 1", 15)));
    EXPECT_FALSE(request.SetRequestHeader("X Bad", "a"));
    EXPECT_FALSE(request.SetRequestHeader("", "a"));
    ASSERT_TRUE(request.Send());
    const std::string echo = request.GetText();
    EXPECT_THAT(echo, HasSubstr("\r\nx-kind:two\r\n"));
    EXPECT_THAT(echo, HasSubstr("\r\nUser-Agent:second\r\n"));
    EXPECT_THAT(echo, Not(HasSubstr("one")));
    EXPECT_THAT(echo, Not(HasSubstr("first")));
    EXPECT_THAT(echo, Not(HasSubstr("Injected")));
}

TEST_F(RequestObject, aBodyOf5000BytesArrivesWholeWithUploadProgressEndingAtTheTotal) {
    std::string body(5000, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) {
        body[i] = static_cast<char>('a' + i % 26);
    }
    ProgressLog log;
    Request request;
    ASSERT_TRUE(request.Open("POST", "http://dl.arlo.invalid/test/echo"));
    ASSERT_TRUE(request.Send(body, log.callback(), 77));

    const std::vector<standin::Request> got = received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].method, "POST");
    EXPECT_EQ(got[0].body, body);
    EXPECT_EQ(got[0].header("Content-Length"), "5000");
    EXPECT_EQ(got[0].headerCount("Content-Type"), 0u);
    EXPECT_EQ(got[0].headerCount("Expect"), 0u);

    const std::vector<Call> calls = log.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().done, 5000);
    EXPECT_EQ(calls.back().total, 5000);
    for (const Call& call : calls) {
        EXPECT_EQ(call.userValue, 77);
        EXPECT_LE(call.done, 5000);
    }
}

TEST_F(RequestObject, aRequestWithoutBodyCarriesNoLengthAndHeadReadsNoBody) {
    Request request;
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/echo"));
    ASSERT_TRUE(request.Send());
    EXPECT_THAT(request.GetText(), Not(HasSubstr("Content-Length")));

    ASSERT_TRUE(request.Open("head", "http://dl.arlo.invalid/test/big-body?size=12000"));
    ASSERT_TRUE(request.Send());
    EXPECT_EQ(request.GetHeader("Content-Length"), "12000");
    EXPECT_EQ(request.GetBody(), "");
    EXPECT_EQ(received().back().method, "HEAD");
}

TEST_F(RequestObject, aDownloadOf12000BytesFillsTheFileAndEndsWithDoneEqualToTotal) {
    ProgressLog log;
    Request request;
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/big-body?size=12000"));
    ASSERT_TRUE(request.Send());
    std::string dir = directory + "/";
    EXPECT_EQ(request.DownloadToFile(dir, "Arlo迷.exe.tmp", log.callback(), 123), 1);

    EXPECT_EQ(fileContent(directory + "/Arlo迷.exe.tmp"), std::string(12000, 'x'));
    const std::vector<Call> calls = log.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().done, 12000);
    EXPECT_EQ(calls.back().total, 12000);
    std::int64_t previous = 0;
    for (const Call& call : calls) {
        EXPECT_EQ(call.userValue, 123);
        EXPECT_GE(call.done, previous);
        previous = call.done;
    }
}

TEST_F(RequestObject, aDirectoryWithoutSeparatorIsUsedAndGetsOneWrittenBack) {
    Request request;
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/big-body?size=300"));
    ASSERT_TRUE(request.Send());
    std::string dir = directory;
    EXPECT_EQ(request.DownloadToFile(dir, "out.bin"), 1);
    EXPECT_EQ(dir, directory + "/");
    EXPECT_EQ(fs::file_size(directory + "/out.bin"), 300u);
}

TEST_F(RequestObject, aBodyOfUnknownLengthOrAMissingDirectoryGivesZeroAndNoFile) {
    Request request;
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/no-length?size=3000"));
    ASSERT_TRUE(request.Send());
    std::string dir = directory;
    EXPECT_EQ(request.DownloadToFile(dir, "none.bin"), 0);
    EXPECT_FALSE(fs::exists(directory + "/none.bin"));

    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/big-body?size=300"));
    ASSERT_TRUE(request.Send());
    std::string missing = directory + "/not-there";
    EXPECT_EQ(request.DownloadToFile(missing, "x.bin"), 0);
    EXPECT_EQ(missing, directory + "/not-there");
    EXPECT_TRUE(fs::is_empty(directory));
}

TEST_F(RequestObject, aBodyCutShortFailsRemovesThePartialFileAndMakesNoLastCall) {
    ProgressLog log;
    Request request;
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/cut-off"));
    ASSERT_TRUE(request.Send());
    std::string dir = directory;
    EXPECT_EQ(request.DownloadToFile(dir, "short.bin", log.callback(), 1), 0);
    EXPECT_FALSE(fs::exists(directory + "/short.bin"));
    for (const Call& call : log.calls()) {
        EXPECT_LT(call.done, call.total);
    }
}

TEST(ContentLength, onlyDecimalDigitsWithBlanksAroundUpToInt64MaxAreALength) {
    const struct {
        const char* text;
        std::optional<std::int64_t> length;
    } cases[] = {{"0", 0},
                 {" 12000\t", 12000},
                 {"9223372036854775807", INT64_MAX},
                 {"9223372036854775808", {}},
                 {"99999999999999999999", {}},
                 {"1e30", {}},
                 {"300.0", {}},
                 {"+300", {}},
                 {"-1", {}},
                 {"1 2", {}},
                 {"0x12", {}},
                 {" ", {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(parseContentLength(c.text), c.length) << c.text;
    }
}

// The file gets exactly the announced length, read as parseContentLength reads it.
TEST_F(RequestObject, aDownloadTakesOnlyADecimalContentLength) {
    standin.server().route("", "/test/odd-length", [](const standin::Request& request) {
        standin::Response r;
        r.raw = "HTTP/1.1 200 OK\r\nContent-Length: " + request.queryValue("length") +
                "\r\nConnection: close\r\n\r\n" + std::string(300, 'x');
        return r;
    });
    const struct {
        const char* length;
        int result;
    } cases[] = {{"300", 1}, {"300+", 1}, {"300.0", 0}, {"3e2", 0}, {"99999999999999999999", 0}};
    for (const auto& c : cases) {
        Request request;
        ASSERT_TRUE(request.Open(
            "GET", "http://dl.arlo.invalid/test/odd-length?length=" + std::string(c.length)));
        ASSERT_TRUE(request.Send());
        std::string dir = directory;
        EXPECT_EQ(request.DownloadToFile(dir, "odd.bin"), c.result) << c.length;
        EXPECT_EQ(fs::exists(directory + "/odd.bin"), c.result == 1) << c.length;
        fs::remove(directory + "/odd.bin");
    }
}

TEST_F(RequestObject, aLargeBodyStreamsThroughTheFileInFullAndTheBodyIsReadOnce) {
    Request request;
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/big-body?size=3000000"));
    ASSERT_TRUE(request.Send());
    std::string dir = directory;
    EXPECT_EQ(request.DownloadToFile(dir, "big.bin"), 1);
    EXPECT_EQ(fs::file_size(directory + "/big.bin"), 3000000u);
    // The body was consumed by the download.
    EXPECT_EQ(request.DownloadToFile(dir, "again.bin"), 0);
    EXPECT_FALSE(fs::exists(directory + "/again.bin"));

    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/big-body?size=1000000"));
    ASSERT_TRUE(request.Send());
    EXPECT_EQ(request.GetBody(), std::string(1000000, 'x'));
    EXPECT_EQ(request.GetBody().size(), 1000000u);
}

TEST_F(RequestObject, headersAreReadByNameInAnyCaseWithTheWholeBlockForNoName) {
    Request request;
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/big-body?size=12000"));
    ASSERT_TRUE(request.Send());
    EXPECT_EQ(request.GetHeader("Content-Length"), "12000");
    EXPECT_EQ(request.GetHeader("content-length"), "12000");
    EXPECT_THAT(request.GetHeader(), StartsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_THAT(request.GetHeader(), HasSubstr("\r\nContent-Length: 12000\r\n"));
    EXPECT_EQ(request.GetHeader("X-Missing"), request.GetHeader());
    EXPECT_EQ(request.GetLocation(), "");
}

TEST_F(RequestObject, cookiesAndLocationComeFromTheFinalResponse) {
    Request request;
    ASSERT_TRUE(request.Open("GET",
                             "http://dl.arlo.invalid/test/huge-headers?size=4&to=/"
                             "next&c=a%3D1%3B%20path%3D%2F&c=b%3D2"));
    ASSERT_TRUE(request.Send());
    EXPECT_EQ(request.GetLocation(), "/next");
    EXPECT_EQ(request.GetCookies(), "a=1; b=2; ");
    EXPECT_EQ(request.GetCookies({}, false, 2), "a=1; b=2");
    EXPECT_EQ(request.GetCookies("b", true), "2");
    EXPECT_EQ(request.GetCookies("a", false, 2), "a=1");
    EXPECT_EQ(request.GetCookies("zz", false, 2), "a=1; b=2");

    // A followed redirect leaves only the last response's lines.
    ASSERT_TRUE(request.Open(
        "GET", "http://dl.arlo.invalid/test/redirect?to=/test/set-cookie%3Fc%3Dz%253D9&c=r%3D1"));
    ASSERT_TRUE(request.Send());
    EXPECT_EQ(request.GetCookies(), "z=9; ");
    EXPECT_EQ(request.GetLocation(), "");
    EXPECT_EQ(request.GetText(), "cookies set");
}

TEST_F(RequestObject, aSecondOpenReplacesTheRequestAndKeepsTheObjectsSettings) {
    Request request;
    request.SetTimeouts(400);
    ASSERT_TRUE(request.Open("GET", "http://first.arlo.invalid/test/echo"));
    EXPECT_TRUE(request.SetRequestHeader("X-First", "1"));
    ASSERT_TRUE(request.Open("GET", "http://second.arlo.invalid/test/echo"));
    ASSERT_TRUE(request.Send());
    EXPECT_THAT(request.GetText(),
                StartsWith("GET /test/echo HTTP/1.1\r\nHost: second.arlo.invalid"));
    EXPECT_THAT(request.GetText(), Not(HasSubstr("X-First")));

    // The time limit still holds for the next request.
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/stall"));
    EXPECT_FALSE(request.Send());
    EXPECT_EQ(request.GetHeader(), "");
}

TEST_F(RequestObject, closeTwiceIsHarmlessAndTheObjectCanBeOpenedAgain) {
    Request request;
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/big-body?size=10"));
    ASSERT_TRUE(request.Send());
    EXPECT_TRUE(request.Close());
    EXPECT_TRUE(request.Close());
    EXPECT_EQ(request.GetHeader(), "");
    EXPECT_FALSE(request.Send());
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/big-body?size=10"));
    ASSERT_TRUE(request.Send());
    EXPECT_EQ(request.GetBody(), std::string(10, 'x'));
}

TEST_F(RequestObject, unusableAddressesAndVerbsAreRefusedByOpen) {
    Request request;
    EXPECT_FALSE(request.Open("GET", "http:///x"));
    EXPECT_FALSE(request.Open("GET", "ftp://files.arlo.invalid/x"));  // host "ftp", port 0
    EXPECT_FALSE(request.Open("GET", "http://h.arlo.invalid:70000/"));
    EXPECT_FALSE(request.Open("GET X", "http://h.arlo.invalid/"));
    EXPECT_FALSE(request.Open("", "http://h.arlo.invalid/"));
    EXPECT_FALSE(request.Send());
    // A NUL anywhere: what libcurl would reach is not what the caller named.
    using namespace std::string_literals;
    for (const std::string& address : {"http://dl.arlo.invalid\0.elsewhere.test/test/echo"s,
                                       "http://dl.arlo.invalid/test/echo\0x"s}) {
        EXPECT_FALSE(request.Open("GET", address));
        EXPECT_FALSE(request.Send());
    }
    EXPECT_TRUE(received().empty());
}

TEST_F(RequestObject, refusedAndStalledRequestsFailInsteadOfPassingForAnswers) {
    Request request;
    request.SetTimeouts(300);
    const std::string map = standin.hostMap();
    ::setenv("ARLO_HOST_MAP",
             ("refused.arlo.invalid=127.0.0.1:" + std::to_string(closedPort()) + "," + map).c_str(),
             1);
    ASSERT_TRUE(request.Open("GET", "http://refused.arlo.invalid/x"));
    EXPECT_FALSE(request.Send());
    ::setenv("ARLO_HOST_MAP", map.c_str(), 1);

    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/stall?after=headers"));
    ASSERT_TRUE(request.Send());
    std::string dir = directory;
    EXPECT_EQ(request.DownloadToFile(dir, "stalled.bin"), 0);
    EXPECT_FALSE(fs::exists(directory + "/stalled.bin"));
}

TEST_F(RequestObject, credentialsProxyAndHttpsReachTheServer) {
    Request request;
    ASSERT_TRUE(request.SetCredentials("user", "pass"));
    ASSERT_TRUE(request.Open("GET", "https://secure.arlo.invalid/test/echo"));
    ASSERT_TRUE(request.Send());
    EXPECT_THAT(request.GetText(), HasSubstr("\r\nAuthorization: Basic dXNlcjpwYXNz\r\n"));
    EXPECT_TRUE(received().back().tls);
    request.Close();

    ASSERT_TRUE(request.SetProxy("127.0.0.1:" + std::to_string(standin.port()), "pu", "pp"));
    ASSERT_TRUE(request.Open("GET", "http://via.arlo.invalid/test/echo"));
    ASSERT_TRUE(request.Send());
    EXPECT_THAT(request.GetText(), StartsWith("GET http://via.arlo.invalid/test/echo HTTP/1.1"));
    EXPECT_THAT(request.GetText(), HasSubstr("\r\nProxy-Authorization: Basic cHU6cHA=\r\n"));
}

TEST_F(RequestObject, longOptionsAreAppliedAndOthersRefused) {
    Request request;
    EXPECT_FALSE(request.SetOption(CURLOPT_URL, 1));
    // Without following, the redirect itself is the response.
    EXPECT_TRUE(request.SetOption(CURLOPT_FOLLOWLOCATION, 0));
    ASSERT_TRUE(request.Open("GET", "http://dl.arlo.invalid/test/redirect?to=/test/echo"));
    ASSERT_TRUE(request.Send());
    EXPECT_THAT(request.GetHeader(), StartsWith("HTTP/1.1 302"));
}

}  // namespace
}  // namespace arlo::net
