#pragma once

#include <atomic>
#include <string>

// The author's hosting space on the file-hosting service. Its home page links the service's
// endpoint with the space's token; the endpoint's first answer opens a session, whose cookies
// every later request to the space carries (the download listing, the guestbook).
namespace arlo::online {

// Set by whoever started a lookup that is no longer wanted: no further request is made. A
// request already under way still runs to its end.
using StopFlag = std::atomic<bool>;

// Whether `stop` (may be null: never) is set.
inline bool isStopped(const StopFlag* stop) {
    return stop != nullptr && stop->load();
}

struct HostingSession {
    std::string token;      // from the home page; empty when it could not be read
    std::string cookieJar;  // what the endpoint's first answer set

    // The endpoint address with the space's token.
    std::string endpoint() const;
};

// Reads the token from the home page, then opens a session at the endpoint. Blocks. A failure
// leaves the token or the cookies empty: the requests that follow then fail at the service.
HostingSession openHostingSession(const StopFlag* stop = nullptr);

}  // namespace arlo::online
