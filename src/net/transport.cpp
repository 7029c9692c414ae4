#include "net/transport.h"

#include <cstdlib>

#include "net/host_map.h"

namespace arlo::net {

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

    for (const std::string& entry : connectToEntriesFromEnvironment()) {
        ok = ok && connectTo.append(entry);
    }
    if (connectTo.get() != nullptr) {
        set(curlapi::easySetopt(curl, CURLOPT_CONNECT_TO, connectTo.get()));
    }
    return ok;
}

}  // namespace arlo::net
