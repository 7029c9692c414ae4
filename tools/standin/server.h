#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A small HTTP/HTTPS server on 127.0.0.1 that answers by Host line and path, the way the
// program's remote services would. It keeps every request it receives byte for byte, so that
// tests can check exactly what a client sent. Plain HTTP and TLS share one port: a connection
// that opens with a TLS handshake is served over TLS with a certificate for the name the
// client asked for, signed by the server's own authority (authorityPem).
namespace arlo::standin {

struct Header {
    std::string name;
    std::string value;
};

struct Request {
    std::string raw;  // the bytes received: request line, header lines, empty line, body
    std::string method;
    std::string target;  // as written on the request line
    std::string path;    // target without its query (a proxy-style absolute target too)
    std::string query;   // after "?", without it
    std::string version;
    std::vector<Header> headers;  // in the order received
    std::string body;
    bool tls = false;
    std::string serverName;  // the name asked for in the TLS handshake

    // First value of the header `name` (case ignored); empty when absent.
    std::string header(std::string_view name) const;
    std::size_t headerCount(std::string_view name) const;
    // Host line, lower-cased, without its port.
    std::string host() const;
    // Query parameters, percent-decoded ("+" is a space).
    std::string queryValue(std::string_view name) const;
    std::vector<std::string> queryValues(std::string_view name) const;
};

struct Response {
    int status = 200;
    std::string reason;           // empty: the usual phrase for the status
    std::vector<Header> headers;  // sent in this order after the status line
    std::string body;
    std::uint64_t fillerBytes = 0;               // that many 'x' bytes follow the body
    std::optional<std::uint64_t> contentLength;  // declared length; default: what is sent
    bool silent = false;                         // send nothing at all
    bool hangAfterSending = false;  // then stay silent until the client leaves (a stall)
    // When not zero, the body (and filler), or `raw`, goes out one byte per interval: a
    // trickle that never stalls long enough for a stall rule to see it.
    std::chrono::milliseconds trickle{0};
    std::string raw;  // when not empty: sent instead of all of the above
};

using Handler = std::function<Response(const Request&)>;

class Server final {
public:
    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Listens on 127.0.0.1:`port` (0: a free port). False when it cannot.
    bool start(std::uint16_t port = 0);
    // Stops listening and ends every open connection.
    void stop();
    std::uint16_t port() const;

    // PEM of the authority that signs the per-host certificates.
    std::string authorityPem() const;

    // Serves `path` on `host`. `host` is lower case, "" for every host; `path` is exact, or
    // ends in "*" to serve every path that begins with the rest. Routes for a named host are
    // tried before those for every host; unknown addresses get a 404.
    void route(std::string host, std::string path, Handler handler);

    // Every request received so far, in order.
    std::vector<Request> requests() const;
    // Those for `host` (lower case) and `path` (without query).
    std::vector<Request> requestsFor(std::string_view host, std::string_view path) const;
    void clearRequests();
    // Waits until at least `count` requests have arrived; false on time-out.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;

    // Called (on a connection thread) for every request as it arrives.
    void onRequest(std::function<void(const Request&)> listener);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Percent-decodes `text` ("+" is a space).
std::string percentDecode(std::string_view text);

}  // namespace arlo::standin
