#pragma once

#include "net/curl_api.h"

#include <chrono>
#include <memory>
#include <string>

// What every HTTP request of the program has in common, whichever client makes it: a fresh
// connection, http and https only, verified TLS, bounded waits, the host map.
//
// Environment (tests and the demo):
//   ARLO_HOST_MAP           see net/host_map.h
//   ARLO_CA_FILE            PEM file of the certificate authorities to trust for https instead
//                           of the system bundle (the stand-in's own authority)
//   ARLO_NET_STALL_SECONDS  how long a transfer may receive nothing before it is given up
//                           (default 30)
//   ARLO_NET_DEADLINE_SECONDS  how long a request for a page or a picture may take in all
//                           (default 120)
namespace arlo::net {

// Seconds without a received byte after which a transfer is abandoned.
constexpr long kDefaultStallSeconds = 30;
// Seconds allowed for establishing a connection, TLS handshake included.
constexpr long kConnectSeconds = 20;
// Seconds a request for a page or a picture may take from its connection attempt to the last
// byte of its body, however steadily the bytes come: a server that trickles cannot hold a
// request, or the thread that waits for it, for ever.
constexpr long kPageDeadlineSeconds = 120;
// Redirects followed at most, so that a redirect loop ends.
constexpr long kMaxRedirects = 10;

struct CurlEasyDeleter {
    void operator()(CURL* curl) const { curlapi::easyCleanup(curl); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

// An owned curl_slist.
class CurlList final {
public:
    CurlList() = default;
    ~CurlList() { curlapi::slistFreeAll(list_); }
    CurlList(const CurlList&) = delete;
    CurlList& operator=(const CurlList&) = delete;

    bool append(const std::string& line);
    curl_slist* get() const { return list_; }

private:
    curl_slist* list_ = nullptr;
};

// A new easy handle, with libcurl initialised once for the process; null when that fails.
CurlEasy newCurlEasy();

// ARLO_NET_STALL_SECONDS when it holds a positive number, else kDefaultStallSeconds.
long stallSeconds();

// ARLO_NET_DEADLINE_SECONDS when it holds a positive number, else kPageDeadlineSeconds.
std::chrono::milliseconds pageDeadline();

// Applies the shared options to `curl`, among them the overall deadline of pageDeadline().
// `secure` is whether the request starts on https:
// redirects may then only go to https; a plain-http request may be redirected to either.
// `connectTo` receives the host map and must outlive the transfer. False when an option
// cannot be set (libcurl built without something we need), or when the thread's CancelScope
// (net/cancel.h) has already called its requests off. Inside a scope the transfer, and the
// handle's clean-up, must happen while the scope lives.
bool applyCommonOptions(CURL* curl, bool secure, CurlList& connectTo);

}  // namespace arlo::net
