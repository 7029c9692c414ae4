#include "standin/server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <list>
#include <mutex>
#include <thread>

#include <openssl/ssl.h>

#include "standin/tls_authority.h"
#include "text/ascii.h"
#include "text/trim.h"

namespace arlo::standin {
namespace {

constexpr std::size_t kMaxHead = 1 << 20;
constexpr std::uint64_t kMaxRequestBody = std::uint64_t{256} << 20;
constexpr int kPollSliceMs = 50;
// A connection that sends nothing for this long is dropped.
constexpr int kIdleLimitMs = 30000;

using text::equalsIgnoringAsciiCase;
using text::toLowerAscii;
using text::trimBlanks;

std::string reasonFor(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 206:
            return "Partial Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 304:
            return "Not Modified";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

// Fills the parsed fields of `request` from its head (request line and header lines).
bool parseHead(std::string_view head, Request& request) {
    const auto lineEnd = head.find("\r\n");
    const std::string_view requestLine = head.substr(0, lineEnd);
    const auto sp1 = requestLine.find(' ');
    const auto sp2 = requestLine.rfind(' ');
    if (sp1 == std::string_view::npos || sp2 == sp1) {
        return false;
    }
    request.method = requestLine.substr(0, sp1);
    request.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    request.version = requestLine.substr(sp2 + 1);

    std::string_view target = request.target;
    if (target.starts_with("http://") || target.starts_with("https://")) {
        // Absolute form, as sent to a proxy: keep the path part.
        const auto authority = target.find("//") + 2;
        const auto slash = target.find('/', authority);
        target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    const auto question = target.find('?');
    request.path = target.substr(0, question);
    request.query = question == std::string_view::npos ? "" : target.substr(question + 1);

    std::size_t start = lineEnd == std::string_view::npos ? head.size() : lineEnd + 2;
    while (start < head.size()) {
        auto end = head.find("\r\n", start);
        if (end == std::string_view::npos) {
            end = head.size();
        }
        const std::string_view line = head.substr(start, end - start);
        start = end + 2;
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        request.headers.push_back(
            {std::string(line.substr(0, colon)), std::string(trimBlanks(line.substr(colon + 1)))});
    }
    return true;
}

// One accepted connection, plain or TLS.
class Connection {
public:
    Connection(int fd, const std::atomic<bool>& stopping) : fd_(fd), stopping_(stopping) {}
    ~Connection() {
        if (ssl_ != nullptr) {
            SSL_free(ssl_);
        }
        ::close(fd_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Waits until the socket is readable (or TLS holds buffered data). False when stopping,
    // idle too long or the peer went away.
    bool waitReadable(int limitMs = kIdleLimitMs) {
        for (int waited = 0; waited < limitMs; waited += kPollSliceMs) {
            if (stopping_) {
                return false;
            }
            if (ssl_ != nullptr && SSL_pending(ssl_) > 0) {
                return true;
            }
            pollfd p{fd_, POLLIN, 0};
            const int rc = ::poll(&p, 1, kPollSliceMs);
            if (rc > 0) {
                return true;
            }
            if (rc < 0 && errno != EINTR) {
                return false;
            }
        }
        return false;
    }

    // Starts TLS when the client opens with a handshake record.
    bool startTls(TlsAuthority& authority, std::string& serverName) {
        if (!waitReadable()) {
            return false;
        }
        unsigned char first = 0;
        if (::recv(fd_, &first, 1, MSG_PEEK) != 1) {
            return false;
        }
        if (first != 0x16) {
            return true;
        }
        ssl_ = SSL_new(authority.defaultContext());
        if (ssl_ == nullptr || SSL_set_fd(ssl_, fd_) != 1) {
            return false;
        }
        // The handshake itself runs blocking; a bounded receive time keeps a silent client
        // from holding the thread.
        timeval tv{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        if (SSL_accept(ssl_) != 1) {
            return false;
        }
        if (const char* name = SSL_get_servername(ssl_, TLSEXT_NAMETYPE_host_name)) {
            serverName = name;
        }
        return true;
    }

    bool tls() const { return ssl_ != nullptr; }

    long readSome(char* buffer, std::size_t size) {
        if (!waitReadable()) {
            return 0;
        }
        if (ssl_ != nullptr) {
            const int n = SSL_read(ssl_, buffer, static_cast<int>(size));
            return n > 0 ? n : 0;
        }
        const ssize_t n = ::recv(fd_, buffer, size, 0);
        return n > 0 ? static_cast<long>(n) : 0;
    }

    bool writeAll(std::string_view data) {
        while (!data.empty()) {
            if (stopping_) {
                return false;
            }
            long n = 0;
            if (ssl_ != nullptr) {
                n = SSL_write(ssl_, data.data(), static_cast<int>(data.size()));
            } else {
                n = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
                if (n < 0 && errno == EINTR) {
                    continue;
                }
            }
            if (n <= 0) {
                return false;
            }
            data.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    // Writes `data` one byte per `interval`, until the client leaves or the server stops.
    void trickle(std::string_view data, std::chrono::milliseconds interval) {
        for (const char byte : data) {
            if (!writeAll(std::string_view(&byte, 1))) {
                return;
            }
            // Waiting in slices keeps stop() prompt; a client that hung up ends the trickle.
            for (auto waited = std::chrono::milliseconds(0); waited < interval;
                 waited += std::chrono::milliseconds(kPollSliceMs)) {
                if (stopping_) {
                    return;
                }
                pollfd p{fd_, POLLRDHUP, 0};
                const int wait = static_cast<int>(
                    std::min<long long>(kPollSliceMs, (interval - waited).count()));
                if (::poll(&p, 1, wait) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR))) {
                    return;
                }
            }
        }
    }

    // Stays silent until the client closes the connection or the server stops.
    void hang() {
        char buffer[4096];
        while (!stopping_) {
            if (waitReadable(kPollSliceMs * 4)) {
                const long n = ssl_ != nullptr ? SSL_read(ssl_, buffer, sizeof buffer)
                                               : ::recv(fd_, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    return;
                }
            }
        }
    }

private:
    int fd_;
    SSL* ssl_ = nullptr;
    const std::atomic<bool>& stopping_;
};

// Reads one whole request (head and Content-Length body). False when none arrives.
bool readRequest(Connection& connection, Request& request) {
    std::string data;
    char buffer[16384];
    std::size_t headEnd = std::string::npos;
    while (headEnd == std::string::npos) {
        const long n = connection.readSome(buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        data.append(buffer, static_cast<std::size_t>(n));
        headEnd = data.find("\r\n\r\n");
        if (headEnd == std::string::npos && data.size() > kMaxHead) {
            return false;
        }
    }
    const std::string_view head = std::string_view(data).substr(0, headEnd);
    if (!parseHead(head, request)) {
        return false;
    }
    std::uint64_t length = 0;
    const std::string declared = request.header("Content-Length");
    if (!declared.empty()) {
        length = std::strtoull(declared.c_str(), nullptr, 10);
    }
    if (length > kMaxRequestBody) {
        return false;
    }
    const std::size_t total = headEnd + 4 + static_cast<std::size_t>(length);
    while (data.size() < total) {
        const long n = connection.readSome(buffer, sizeof buffer);
        if (n <= 0) {
            break;  // logged with what arrived
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    request.raw = std::move(data);
    request.body = request.raw.size() > headEnd + 4 ? request.raw.substr(headEnd + 4) : "";
    return true;
}

std::string serializeHead(const Response& response) {
    std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " +
                      (response.reason.empty() ? reasonFor(response.status) : response.reason) +
                      "\r\n";
    bool hasLength = false;
    bool hasConnection = false;
    for (const Header& h : response.headers) {
        out += h.name + ": " + h.value + "\r\n";
        hasLength = hasLength || equalsIgnoringAsciiCase(h.name, "Content-Length");
        hasConnection = hasConnection || equalsIgnoringAsciiCase(h.name, "Connection");
    }
    if (!hasLength) {
        const std::uint64_t length =
            response.contentLength.value_or(response.body.size() + response.fillerBytes);
        out += "Content-Length: " + std::to_string(length) + "\r\n";
    }
    if (!hasConnection) {
        out += "Connection: close\r\n";
    }
    out += "\r\n";
    return out;
}

bool pathMatches(const std::string& pattern, std::string_view path) {
    if (pattern.ends_with('*')) {
        return path.starts_with(std::string_view(pattern).substr(0, pattern.size() - 1));
    }
    return pattern == path;
}

struct Route {
    std::string host;
    std::string path;
    Handler handler;
};

}  // namespace

std::string percentDecode(std::string_view text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 &&
                   hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Request::header(std::string_view name) const {
    for (const Header& h : headers) {
        if (equalsIgnoringAsciiCase(h.name, name)) {
            return h.value;
        }
    }
    return {};
}

std::size_t Request::headerCount(std::string_view name) const {
    return static_cast<std::size_t>(
        std::count_if(headers.begin(), headers.end(),
                      [&](const Header& h) { return equalsIgnoringAsciiCase(h.name, name); }));
}

std::string Request::host() const {
    std::string host = toLowerAscii(header("Host"));
    if (host.starts_with('[')) {
        return host.substr(0, host.find(']') + 1);
    }
    return host.substr(0, host.find(':'));
}

std::vector<std::string> Request::queryValues(std::string_view name) const {
    std::vector<std::string> values;
    std::string_view rest = query;
    while (!rest.empty()) {
        const auto amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view{} : rest.substr(amp + 1);
        const auto eq = pair.find('=');
        if (percentDecode(pair.substr(0, eq)) == name) {
            values.push_back(eq == std::string_view::npos ? ""
                                                          : percentDecode(pair.substr(eq + 1)));
        }
    }
    return values;
}

std::string Request::queryValue(std::string_view name) const {
    auto values = queryValues(name);
    return values.empty() ? std::string() : values.front();
}

struct Server::Impl {
    TlsAuthority authority;
    int listenFd = -1;
    std::uint16_t port = 0;
    std::atomic<bool> stopping{false};
    std::thread acceptThread;

    std::mutex connectionsMutex;
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::list<Worker> workers;

    mutable std::mutex routesMutex;
    std::vector<Route> routes;
    std::function<void(const Request&)> listener;

    mutable std::mutex logMutex;
    mutable std::condition_variable logChanged;
    std::vector<Request> log;

    static int onServerName(SSL* ssl, int*, void* arg) {
        auto* self = static_cast<Impl*>(arg);
        if (const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name)) {
            if (SSL_CTX* ctx = self->authority.contextFor(toLowerAscii(name))) {
                SSL_set_SSL_CTX(ssl, ctx);
            }
        }
        return SSL_TLSEXT_ERR_OK;
    }

    Handler findHandler(const Request& request) const {
        const std::string host = request.host();
        std::lock_guard lock(routesMutex);
        for (const bool named : {true, false}) {
            for (const Route& r : routes) {
                if ((named ? r.host == host && !r.host.empty() : r.host.empty()) &&
                    pathMatches(r.path, request.path)) {
                    return r.handler;
                }
            }
        }
        return {};
    }

    void serve(int fd) {
        // Named, so that tests counting a process's threads can tell the stand-in's apart.
        ::pthread_setname_np(::pthread_self(), "arlo-standin");
        Connection connection(fd, stopping);
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        Request request;
        if (!connection.startTls(authority, request.serverName)) {
            return;
        }
        request.tls = connection.tls();
        if (!readRequest(connection, request)) {
            return;
        }
        {
            std::lock_guard lock(logMutex);
            log.push_back(request);
        }
        logChanged.notify_all();
        std::function<void(const Request&)> tell;
        {
            std::lock_guard lock(routesMutex);
            tell = listener;
        }
        if (tell) {
            tell(request);
        }

        const Handler handler = findHandler(request);
        Response response;
        if (handler) {
            response = handler(request);
        } else {
            response.status = 404;
            response.body = "No stand-in service for " + request.host() + request.path + "\n";
        }
        if (response.silent) {
            // nothing
        } else if (response.trickle.count() > 0 && !response.raw.empty()) {
            connection.trickle(response.raw, response.trickle);
        } else if (!response.raw.empty()) {
            connection.writeAll(response.raw);
        } else if (response.trickle.count() > 0) {
            if (connection.writeAll(serializeHead(response))) {
                connection.trickle(response.body + std::string(response.fillerBytes, 'x'),
                                   response.trickle);
            }
        } else if (connection.writeAll(serializeHead(response)) &&
                   connection.writeAll(response.body)) {
            const std::string filler(64 * 1024, 'x');
            std::uint64_t left = response.fillerBytes;
            while (left > 0) {
                const auto n =
                    static_cast<std::size_t>(std::min<std::uint64_t>(left, filler.size()));
                if (!connection.writeAll(std::string_view(filler).substr(0, n))) {
                    break;
                }
                left -= n;
            }
        }
        if (response.hangAfterSending) {
            connection.hang();
        }
    }

    void acceptLoop() {
        while (!stopping) {
            pollfd p{listenFd, POLLIN, 0};
            if (::poll(&p, 1, kPollSliceMs) <= 0) {
                continue;
            }
            const int fd = ::accept(listenFd, nullptr, nullptr);
            if (fd < 0) {
                continue;
            }
            std::lock_guard lock(connectionsMutex);
            // Reap the connections that have ended.
            for (auto it = workers.begin(); it != workers.end();) {
                if (*it->done) {
                    it->thread.join();
                    it = workers.erase(it);
                } else {
                    ++it;
                }
            }
            auto done = std::make_shared<std::atomic<bool>>(false);
            workers.push_back({std::thread([this, fd, done] {
                                   serve(fd);
                                   *done = true;
                               }),
                               done});
        }
    }
};

Server::Server() : impl_(std::make_unique<Impl>()) {}

Server::~Server() {
    stop();
}

bool Server::start(std::uint16_t port) {
    if (impl_->listenFd >= 0 || !impl_->authority.ok()) {
        return false;
    }
    // A client that hangs up mid-response must not kill the process through SIGPIPE (TLS
    // writes go through write(), which has no MSG_NOSIGNAL).
    std::signal(SIGPIPE, SIG_IGN);
    // The library's macro for this spells an old-style cast; the call it stands for is made here.
    SSL_CTX_callback_ctrl(impl_->authority.defaultContext(), SSL_CTRL_SET_TLSEXT_SERVERNAME_CB,
                          reinterpret_cast<void (*)()>(&Impl::onServerName));
    SSL_CTX_set_tlsext_servername_arg(impl_->authority.defaultContext(), impl_.get());

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    socklen_t length = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd, 128) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        ::close(fd);
        return false;
    }
    impl_->listenFd = fd;
    impl_->port = ntohs(addr.sin_port);
    impl_->stopping = false;
    impl_->acceptThread = std::thread([this] { impl_->acceptLoop(); });
    return true;
}

void Server::stop() {
    if (impl_->listenFd < 0) {
        return;
    }
    impl_->stopping = true;
    impl_->acceptThread.join();
    ::close(impl_->listenFd);
    impl_->listenFd = -1;
    std::lock_guard lock(impl_->connectionsMutex);
    for (auto& worker : impl_->workers) {
        worker.thread.join();
    }
    impl_->workers.clear();
}

std::uint16_t Server::port() const {
    return impl_->port;
}

std::string Server::authorityPem() const {
    return impl_->authority.pem();
}

void Server::route(std::string host, std::string path, Handler handler) {
    std::lock_guard lock(impl_->routesMutex);
    impl_->routes.push_back({toLowerAscii(host), std::move(path), std::move(handler)});
}

std::vector<Request> Server::requests() const {
    std::lock_guard lock(impl_->logMutex);
    return impl_->log;
}

std::vector<Request> Server::requestsFor(std::string_view host, std::string_view path) const {
    std::vector<Request> out;
    std::lock_guard lock(impl_->logMutex);
    for (const Request& r : impl_->log) {
        if (r.host() == host && r.path == path) {
            out.push_back(r);
        }
    }
    return out;
}

void Server::clearRequests() {
    std::lock_guard lock(impl_->logMutex);
    impl_->log.clear();
}

bool Server::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->logMutex);
    return impl_->logChanged.wait_for(lock, timeout, [&] { return impl_->log.size() >= count; });
}

void Server::onRequest(std::function<void(const Request&)> listener) {
    std::lock_guard lock(impl_->routesMutex);
    impl_->listener = std::move(listener);
}

}  // namespace arlo::standin
