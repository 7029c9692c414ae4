#include "net/transport.h"

#include <cstdlib>
#include <mutex>

#include "net/host_map.h"

namespace arlo::net {

bool CurlList::append(const std::string& line) {
    curl_slist* grown = curl_slist_append(list_, line.c_str());
    if (grown == nullptr) {
        return false;
    }
    list_ = grown;
    return true;
}

CurlEasy newCurlEasy() {
    // curl_global_init is not safe to race; requests start on several threads.
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready ? CurlEasy(curl_easy_init()) : CurlEasy();
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
    set(curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L));
    // One request per connection, nothing kept between calls.
    set(curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L));
    set(curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L));
    set(curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https"));
    set(curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects));
    // Header lines are read as HTTP/1.1 sends them (name case as the server wrote it).
    set(curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)));
    set(curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L));
    set(curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L));
    if (const char* caFile = std::getenv("ARLO_CA_FILE"); caFile != nullptr && *caFile != '\0') {
        set(curl_easy_setopt(curl, CURLOPT_CAINFO, caFile));
    }
    set(curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds));
    set(curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L));
    set(curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stallSeconds()));

    for (const std::string& entry : connectToEntriesFromEnvironment()) {
        ok = ok && connectTo.append(entry);
    }
    if (connectTo.get() != nullptr) {
        set(curl_easy_setopt(curl, CURLOPT_CONNECT_TO, connectTo.get()));
    }
    return ok;
}

}  // namespace arlo::net
