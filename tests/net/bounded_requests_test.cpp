// Every request ends: a server that trickles its answer meets the overall deadline, a server
// that never completes the TLS handshake meets it too, and a request nobody waits for any more
// is called off whatever stage it is in.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "net/cancel.h"
#include "net/page_fetcher.h"
#include "net/request.h"
#include "net/transport.h"
#include "standin/standin_environment.h"

namespace arlo::net {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// 40 bytes at two bytes a second take 20 s: well within the 30 s stall rule, which never sees
// a silence long enough, and far beyond the 2 s deadline the tests set.
constexpr const char* kTrickle = "http://trickle.arlo.invalid/test/trickle?size=40&ms=500";
constexpr const char* kTrickleSecure = "https://trickle.arlo.invalid/test/trickle?size=40&ms=500";
// A request that ends this long after its deadline or its cancellation ended because of it.
constexpr auto kPromptly = seconds(8);

// Sets an environment variable for the lifetime of the object.
class ScopedVariable final {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            previous_ = old;
        }
        ::setenv(name, value, 1);
    }
    ~ScopedVariable() {
        if (previous_) {
            ::setenv(name_, previous_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

// A loopback port whose connections are accepted by the kernel and then never served: a TLS
// client waits there for the server's side of the handshake forever.
class SilentListener final {
public:
    SilentListener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof addr;
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            ::listen(fd_, 16) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
            port_ = ntohs(addr.sin_port);
        }
    }
    ~SilentListener() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

class BoundedRequestsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standin_.ok()); }

    standin::StandinEnvironment standin_;
};

TEST_F(BoundedRequestsTest, aTricklingServerMeetsTheDeadlineOfPagesAndPictures) {
    const ScopedVariable deadline("ARLO_NET_DEADLINE_SECONDS", "2");
    for (const char* url : {kTrickle, kTrickleSecure}) {
        const auto start = Clock::now();
        const PageResult page = Fetch({.url = url});
        EXPECT_LT(Clock::now() - start, kPromptly) << url;
        // Half a body is no body; the headers that arrived still count.
        EXPECT_TRUE(page.body.empty()) << url;
        EXPECT_TRUE(page.rawHeaders.starts_with("HTTP/1.1 200")) << url;
        EXPECT_FALSE(page.complete) << url;
    }
}

TEST_F(BoundedRequestsTest, aRequestMayNameItsOwnDeadline) {
    const auto start = Clock::now();
    const PageResult page = Fetch({.url = kTrickle, .deadline = milliseconds(1500)});
    EXPECT_LT(Clock::now() - start, kPromptly);
    EXPECT_TRUE(page.body.empty());
    // A deadline that the answer meets changes nothing.
    const PageResult quick =
        Fetch({.url = "http://body.arlo.invalid/test/body?hex=6f6b", .deadline = seconds(20)});
    EXPECT_EQ(quick.body, "ok");
    EXPECT_TRUE(quick.complete);
    EXPECT_EQ(quick.status, 200);
}

TEST_F(BoundedRequestsTest, theRequestObjectMeetsItsDeadlineInSendAndInTheBody) {
    const ScopedVariable deadline("ARLO_NET_DEADLINE_SECONDS", "2");
    Request request;
    ASSERT_TRUE(request.Open("GET", kTrickle));
    auto start = Clock::now();
    ASSERT_TRUE(request.Send());
    EXPECT_TRUE(request.GetBody().empty());
    EXPECT_LT(Clock::now() - start, kPromptly);

    // A header block that trickles in never completes Send.
    standin_.server().route("slow-head.test", "/", [](const standin::Request&) {
        standin::Response r;
        r.raw = "HTTP/1.1 200 OK\r\nX-Filler: " + std::string(40, 'f') + "\r\n\r\n";
        r.trickle = milliseconds(500);
        return r;
    });
    ASSERT_TRUE(request.Open("GET", "http://slow-head.test/"));
    start = Clock::now();
    EXPECT_FALSE(request.Send());
    EXPECT_LT(Clock::now() - start, kPromptly);

    // An object's own deadline, here for a download.
    const ScopedVariable generous("ARLO_NET_DEADLINE_SECONDS", "600");
    ASSERT_TRUE(request.Open("GET", kTrickle));
    request.SetDeadline(1500);
    start = Clock::now();
    ASSERT_TRUE(request.Send());
    std::string directory = ::testing::TempDir();
    EXPECT_EQ(request.DownloadToFile(directory, "trickle.bin"), 0);
    EXPECT_LT(Clock::now() - start, kPromptly);
}

TEST_F(BoundedRequestsTest, aSilentTlsHandshakeMeetsTheDeadline) {
    const SilentListener silent;
    ASSERT_NE(silent.port(), 0);
    const std::string map = "silent.test=127.0.0.1:" + std::to_string(silent.port());
    const ScopedVariable hostMap("ARLO_HOST_MAP", map.c_str());
    const ScopedVariable deadline("ARLO_NET_DEADLINE_SECONDS", "2");

    auto start = Clock::now();
    EXPECT_TRUE(FetchPage("https://silent.test/").empty());
    EXPECT_LT(Clock::now() - start, kPromptly);

    Request request;
    ASSERT_TRUE(request.Open("GET", "https://silent.test/"));
    start = Clock::now();
    EXPECT_FALSE(request.Send());
    EXPECT_LT(Clock::now() - start, kPromptly);
}

// Without any deadline in sight (the defaults are far longer than the test), a request in
// the middle of a TLS handshake or of a trickle ends as soon as it is no longer wanted.
TEST_F(BoundedRequestsTest, aRequestNobodyWaitsForEndsInEveryStage) {
    const SilentListener silent;
    ASSERT_NE(silent.port(), 0);
    const std::string map =
        standin_.hostMap() + ",silent.test=127.0.0.1:" + std::to_string(silent.port());
    const ScopedVariable hostMap("ARLO_HOST_MAP", map.c_str());

    for (const char* url : {"https://silent.test/", kTrickle}) {
        for (const bool object : {false, true}) {
            RequestCancel cancel;
            std::atomic<bool> unwanted{false};
            std::atomic<bool> done{false};
            std::thread worker([&] {
                const CancelScope scope(cancel, [&] { return unwanted.load(); });
                if (object) {
                    Request request;
                    if (request.Open("GET", url) && request.Send()) {
                        request.GetBody();
                    }
                } else {
                    FetchPage(url);
                }
                done = true;
            });
            std::this_thread::sleep_for(milliseconds(1200));
            EXPECT_FALSE(done.load()) << url;
            const auto start = Clock::now();
            unwanted = true;
            worker.join();
            EXPECT_LT(Clock::now() - start, seconds(4)) << url << (object ? " (object)" : "");
        }
    }
}

TEST(Deadlines, theDefaultsAreFiniteAndTheEnvironmentShortensThem) {
    {
        const ScopedVariable unset("ARLO_NET_DEADLINE_SECONDS", "");
        EXPECT_EQ(pageDeadline(), milliseconds(kPageDeadlineSeconds * 1000));
        EXPECT_GT(kPageDeadlineSeconds, kConnectSeconds);
    }
    const ScopedVariable shorter("ARLO_NET_DEADLINE_SECONDS", "3");
    EXPECT_EQ(pageDeadline(), seconds(3));
}

}  // namespace
}  // namespace arlo::net
