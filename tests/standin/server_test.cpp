#include "standin/server.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "standin/services.h"

namespace arlo::standin {
namespace {

// Sends `request` over a plain socket and returns everything the server answers.
std::string exchange(std::uint16_t port, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return {};
    }
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

std::string bodyOf(const std::string& response) {
    const auto at = response.find("\r\n\r\n");
    return at == std::string::npos ? std::string() : response.substr(at + 4);
}

class StandinServer : public ::testing::Test {
protected:
    void SetUp() override {
        addAllServices(server);
        ASSERT_TRUE(server.start());
    }
    Server server;
};

TEST_F(StandinServer, echoReturnsAndLogsTheRequestByteForByte) {
    const std::string withNul =
        "PUT /test/echo?x=1 HTTP/1.1\r\nhost: Echo.Test:81\r\nX-b:  spaced \r\nx-B: again\r\n"
        "Content-Length: 5\r\n\r\n" +
        std::string("a\0b\r\n", 5);

    EXPECT_EQ(bodyOf(exchange(server.port(), withNul)), withNul);
    const auto log = server.requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].raw, withNul);
    EXPECT_EQ(log[0].method, "PUT");
    EXPECT_EQ(log[0].path, "/test/echo");
    EXPECT_EQ(log[0].query, "x=1");
    EXPECT_EQ(log[0].host(), "echo.test");
    EXPECT_EQ(log[0].header("X-B"), "spaced");
    EXPECT_EQ(log[0].headerCount("x-b"), 2u);
    EXPECT_EQ(log[0].body, std::string("a\0b\r\n", 5));
    EXPECT_FALSE(log[0].tls);
}

TEST_F(StandinServer, answersByHostBeforeAnyHostAndGives404Otherwise) {
    server.route("named.test", "/test/echo", [](const Request&) {
        Response r;
        r.body = "named";
        return r;
    });
    server.route("", "/files/*", [](const Request& r) {
        Response out;
        out.body = "file " + r.path;
        return out;
    });
    EXPECT_EQ(
        bodyOf(exchange(server.port(), "GET /test/echo HTTP/1.1\r\nHost: NAMED.test\r\n\r\n")),
        "named");
    EXPECT_EQ(bodyOf(exchange(server.port(), "GET /files/a/b HTTP/1.1\r\nHost: x\r\n\r\n")),
              "file /files/a/b");
    const std::string missing = exchange(server.port(), "GET /nothing HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(missing.substr(0, 22), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(server.requests().size(), 3u);
    EXPECT_EQ(server.requestsFor("x", "/nothing").size(), 1u);
}

TEST_F(StandinServer, decodesQueryValuesAndProxyStyleTargets) {
    exchange(server.port(),
             "GET http://far.test/test/set-cookie?c=a%3D1%3B+p&c=b&e= HTTP/1.1\r\nHost: "
             "far.test\r\n\r\n");
    const auto log = server.requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].path, "/test/set-cookie");
    EXPECT_EQ(log[0].queryValues("c"), (std::vector<std::string>{"a=1; p", "b"}));
    EXPECT_EQ(log[0].queryValue("e"), "");
    EXPECT_EQ(log[0].queryValue("none"), "");
}

TEST_F(StandinServer, stopEndsAStalledConnection) {
    std::thread client(
        [&] { exchange(server.port(), "GET /test/stall HTTP/1.1\r\nHost: s\r\n\r\n"); });
    ASSERT_TRUE(server.waitForRequests(1, std::chrono::seconds(10)));
    server.stop();
    client.join();
    EXPECT_EQ(server.requests().size(), 1u);
}

}  // namespace
}  // namespace arlo::standin
