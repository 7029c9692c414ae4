#pragma once

#include "net/curl_api.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "net/body.h"
#include "net/header_blocks.h"
#include "net/url_parts.h"

// What every HTTP request of the program has in common, whichever client makes it: a fresh
// connection, http and https only, verified TLS, bounded waits, the host map, and the driver
// that runs it (Transfer), used by the page fetcher and the request object alike.
//
// Environment (tests and the demo):
//   ARLO_HOST_MAP           see net/host_map.h
//   ARLO_CA_FILE            PEM file of the certificate authorities to trust for https instead
//                           of the system bundle (the stand-in's own authority)
//   ARLO_NET_STALL_SECONDS  how long a transfer may move no byte either way before it is
//                           given up (default 30)
//   ARLO_NET_DEADLINE_SECONDS  how long a request for a page or a picture may take in all
//                           (default 120)
namespace arlo::net {

class CancelScope;

// Seconds without a byte moving either way after which a transfer is abandoned.
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

// Appends a request header line to `list` as libcurl takes it: libcurl drops a "Name:" entry
// without a value (it means "remove that header"), so such a line is written "Name;", which
// it sends as "Name:".
bool appendHeaderLine(CurlList& list, std::string_view line);

// ARLO_NET_STALL_SECONDS when it holds a positive number, else kDefaultStallSeconds.
long stallSeconds();

// ARLO_NET_DEADLINE_SECONDS when it holds a positive number, else kPageDeadlineSeconds.
std::chrono::milliseconds pageDeadline();

// How long a transfer may take. libcurl keeps the connection limit; the others are kept
// while the transfer is driven, to the millisecond. A transfer past one of them fails.
struct Bounds {
    std::chrono::milliseconds connect{0};    // resolving and connecting, TLS handshake included
    std::chrono::milliseconds firstByte{0};  // silence before any byte has moved either way
    std::chrono::milliseconds send{0};       // silence while the request body goes out
    std::chrono::milliseconds receive{0};    // silence while the answer comes in
    std::chrono::milliseconds deadline{0};   // from Transfer::start to the last byte
};

// A request for a page or a picture: kConnectSeconds to connect, stallSeconds() of silence
// at any time, and `deadline` in all (zero or less: pageDeadline()).
Bounds pageBounds(std::chrono::milliseconds deadline);

// The end of the upload piece that starts at `sent` in a body of `size` bytes: the remainder
// of size / kUploadPieceBytes first, then kUploadPieceBytes at a time.
inline constexpr std::size_t kUploadPieceBytes = 2048;
std::size_t uploadPieceEnd(std::size_t sent, std::size_t size);

// Reports one transfer's progress from a thread of its own, which it owns and joins. The
// transfer stores done and elapsed as it goes; the watcher polls them and calls back at most
// once per poll. finish() makes the last call (for a completed transfer) and waits for the
// thread, so no call comes after the transfer's method has returned.
class ProgressWatcher final {
public:
    ProgressWatcher(ProgressCallback callback, int userValue, std::int64_t total,
                    std::chrono::milliseconds poll);
    ~ProgressWatcher() { finish(false); }
    ProgressWatcher(const ProgressWatcher&) = delete;
    ProgressWatcher& operator=(const ProgressWatcher&) = delete;

    void update(std::int64_t done, std::int64_t elapsedMs);
    void finish(bool completed);

private:
    void run();

    ProgressCallback callback_;
    int userValue_;
    std::int64_t total_;
    std::chrono::milliseconds poll_;
    std::atomic<std::int64_t> done_{0};
    std::atomic<std::int64_t> elapsed_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool ended_ = false;  // the stop flag
    bool completed_ = false;
    std::thread thread_;
};

// Receives body bytes as they arrive; false ends the transfer as failed.
using BodySink = std::function<bool(std::string_view)>;

// One request under way, driven on the caller's thread: libcurl's handles with the shared
// options, the final response's header block, the body handed to a sink (or held, up to a
// bound, until one is given), the bounds, the thread's CancelScope (net/cancel.h) and upload
// progress. The client sets what is its own (method, header lines, proxy, credentials) on
// handle() between prepare and start.
class Transfer final {
public:
    // A transfer to `target` with the options every request has; null when libcurl is
    // missing, an option cannot be set, or the thread's CancelScope has already called its
    // requests off. Inside a scope the transfer, and its destruction, must happen while the
    // scope lives.
    static std::unique_ptr<Transfer> prepare(const Target& target,
                                             std::chrono::milliseconds connectLimit);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    CURL* handle() const { return easy_.get(); }
    // A libcurl option with a long value; whether redirects are followed is also how the
    // response's header blocks are read (HeaderBlocks::setFollowing).
    bool setOption(CURLoption option, long value);
    // Through `proxy` ("host:port"; empty: direct, proxy environment variables never read),
    // with Basic credentials when `user` is given. The proxy makes the connection, so the
    // host map is not used then.
    bool setProxy(const std::string& proxy, const std::string& user, const std::string& password);
    // The request's header lines (appendHeaderLine), handed to libcurl by start().
    CurlList& requestHeaders() { return requestHeaders_; }
    // Sends `body` with its Content-Length through the read callback, in the pieces of
    // uploadPieceEnd; the client names the method.
    bool upload(std::string_view body);

    // Starts the transfer within `bounds` (the deadline counts from now).
    bool start(const Bounds& bounds);
    // Drives the transfer until the final response's header block is in, reporting the
    // upload's progress to `callback` when one is given and there is a body; false when it
    // ended before.
    bool awaitHeaders(const ProgressCallback& callback, int userValue);
    // Hands the body, what arrived so far first, to `sink` until the transfer ends; true when
    // it completed and the sink took every byte.
    bool readBody(const BodySink& sink);
    // The whole body, when the transfer completes with at most `maxBytes` of it.
    bool readAll(Bytes& body, std::size_t maxBytes);

    const HeaderBlocks& headers() const { return headers_; }
    HeaderBlocks& headers() { return headers_; }

private:
    Transfer() = default;
    static std::size_t onRead(char* buffer, std::size_t size, std::size_t count, void* user);
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user);
    static int onProgress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow);
    // Hands what came before the sink to it, then `data`; false when the sink refuses.
    bool flushPending();
    bool feed(std::string_view data);
    void moved();
    std::chrono::milliseconds currentLimit() const;
    bool pump(const std::function<bool()>& until);

    CurlEasy easy_;
    CURLM* multi_ = nullptr;
    bool added_ = false;
    CurlList connectTo_;
    CurlList requestHeaders_;
    const CancelScope* scope_ = nullptr;  // the one the transfer was prepared in
    HeaderBlocks headers_{true};          // redirects are followed unless an option says otherwise

    std::string upload_;
    std::size_t sent_ = 0;
    ProgressWatcher* uploadWatcher_ = nullptr;
    std::chrono::steady_clock::time_point uploadStart_;

    std::string pending_;  // body bytes that came before a sink, up to kPendingLimit
    bool paused_ = false;
    BodySink sink_;
    bool sinkFailed_ = false;

    bool finished_ = false;
    CURLcode result_ = CURLE_OK;
    bool anyMoved_ = false;
    curl_off_t progressBytes_ = 0;  // bytes moved as libcurl last counted them
    std::chrono::steady_clock::time_point lastActivity_;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
    Bounds bounds_;
};

}  // namespace arlo::net
