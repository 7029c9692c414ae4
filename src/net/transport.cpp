#include "net/transport.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "net/cancel.h"
#include "net/host_map.h"

namespace arlo::net {
namespace {

// Connections of a request made under a CancelScope are opened and closed here, so that the
// scope's switch can cut them from another thread.
curl_socket_t openCancellableSocket(void* user, curlsocktype, curl_sockaddr* address) {
    const int socket =
        ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (socket < 0) {
        return CURL_SOCKET_BAD;
    }
    if (!static_cast<const CancelScope*>(user)->adoptSocket(socket)) {
        ::close(socket);
        return CURL_SOCKET_BAD;
    }
    return socket;
}

int closeCancellableSocket(void* user, curl_socket_t socket) {
    static_cast<const CancelScope*>(user)->forgetSocket(socket);
    return ::close(socket);
}

// Polled by libcurl while the transfer runs; non-zero ends it.
int checkCancelScope(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const CancelScope*>(user)->shouldEnd() ? 1 : 0;
}

}  // namespace

bool CurlList::append(const std::string& line) {
    curl_slist* grown = curlapi::slistAppend(list_, line.c_str());
    if (grown == nullptr) {
        return false;
    }
    list_ = grown;
    return true;
}

CurlEasy newCurlEasy() {
    // Loading and initialising libcurl happens once, whichever thread asks first.
    return curlapi::available() ? CurlEasy(curlapi::easyInit()) : CurlEasy();
}

long stallSeconds() {
    if (const char* text = std::getenv("ARLO_NET_STALL_SECONDS")) {
        const long seconds = std::strtol(text, nullptr, 10);
        if (seconds > 0) {
            return seconds;
        }
    }
    return kDefaultStallSeconds;
}

std::chrono::milliseconds pageDeadline() {
    if (const char* text = std::getenv("ARLO_NET_DEADLINE_SECONDS")) {
        const long seconds = std::strtol(text, nullptr, 10);
        if (seconds > 0) {
            return std::chrono::seconds(seconds);
        }
    }
    return std::chrono::seconds(kPageDeadlineSeconds);
}

bool applyCommonOptions(CURL* curl, bool secure, CurlList& connectTo) {
    bool ok = true;
    auto set = [&ok](CURLcode rc) { ok = ok && rc == CURLE_OK; };

    // Worker threads: no SIGALRM-based resolver time-outs.
    set(curlapi::easySetopt(curl, CURLOPT_NOSIGNAL, 1L));
    // One request per connection, nothing kept between calls.
    set(curlapi::easySetopt(curl, CURLOPT_FRESH_CONNECT, 1L));
    set(curlapi::easySetopt(curl, CURLOPT_FORBID_REUSE, 1L));
    set(curlapi::easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https"));
    set(curlapi::easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https"));
    set(curlapi::easySetopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects));
    // Header lines are read as HTTP/1.1 sends them (name case as the server wrote it).
    set(curlapi::easySetopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)));
    set(curlapi::easySetopt(curl, CURLOPT_SSL_VERIFYPEER, 1L));
    set(curlapi::easySetopt(curl, CURLOPT_SSL_VERIFYHOST, 2L));
    if (const char* caFile = std::getenv("ARLO_CA_FILE"); caFile != nullptr && *caFile != '\0') {
        set(curlapi::easySetopt(curl, CURLOPT_CAINFO, caFile));
    }
    set(curlapi::easySetopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds));
    set(curlapi::easySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L));
    set(curlapi::easySetopt(curl, CURLOPT_LOW_SPEED_TIME, stallSeconds()));
    set(curlapi::easySetopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(pageDeadline().count())));

    for (const std::string& entry : connectToEntriesFromEnvironment()) {
        ok = ok && connectTo.append(entry);
    }
    if (connectTo.get() != nullptr) {
        set(curlapi::easySetopt(curl, CURLOPT_CONNECT_TO, connectTo.get()));
    }

    if (const CancelScope* scope = CancelScope::current()) {
        if (scope->shouldEnd()) {
            return false;  // already called off: not even a connection is made
        }
        void* data = const_cast<void*>(static_cast<const void*>(scope));
        set(curlapi::easySetopt(curl, CURLOPT_OPENSOCKETFUNCTION, openCancellableSocket));
        set(curlapi::easySetopt(curl, CURLOPT_OPENSOCKETDATA, data));
        set(curlapi::easySetopt(curl, CURLOPT_CLOSESOCKETFUNCTION, closeCancellableSocket));
        set(curlapi::easySetopt(curl, CURLOPT_CLOSESOCKETDATA, data));
        set(curlapi::easySetopt(curl, CURLOPT_XFERINFOFUNCTION, checkCancelScope));
        set(curlapi::easySetopt(curl, CURLOPT_XFERINFODATA, data));
        set(curlapi::easySetopt(curl, CURLOPT_NOPROGRESS, 0L));
    }
    return ok;
}

}  // namespace arlo::net
