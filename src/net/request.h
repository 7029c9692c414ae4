#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/body.h"
#include "net/url_parts.h"

// The request object: an HTTP or HTTPS client that goes step by step. Open names the
// request, headers are added one by one, Send returns once the response's header block is
// in, and the body is then either streamed into a file (with progress reports from a watcher
// thread) or read whole. One object serves one request at a time and is used from one
// thread; Open again for the next request.
//
// It shares the page fetcher's transport (net/transport.h): libcurl loaded on first use,
// http and https only, verified TLS, ARLO_HOST_MAP and ARLO_CA_FILE.
namespace arlo::net {

class Transfer;

// Pieces of a request body of `size` bytes as Send hands them to the transport: the
// remainder of size / 2048 first (when there is one), then 2048 bytes at a time.
std::vector<std::size_t> uploadPieceSizes(std::size_t size);

// A Content-Length value: decimal digits only, with spaces or tabs around them allowed, and no
// larger than INT64_MAX. Anything else (signs, a decimal point, an exponent, hexadecimal, an
// empty value) is no length at all.
std::optional<std::int64_t> parseContentLength(std::string_view value);

// Body pieces DownloadToFile writes to disk.
inline constexpr std::size_t kDownloadPieceBytes = 5120;

class Request final {
public:
    Request();
    ~Request();
    // One object owns one transfer; copies would share it.
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    // A libcurl option that takes a long value (option numbers below 10000, see curl.h),
    // applied to every request of this object after its own settings, so it wins over them.
    // False, and nothing stored, for options of any other type.
    bool SetOption(int option, long value);

    // The proxy ("host:port") and its Basic credentials, taken by the next Open that starts
    // afresh (the first one, or the first after Close). An empty server means direct.
    // Requests through a proxy are not redirected by the host map.
    bool SetProxy(std::string_view server, std::string_view user = {},
                  std::string_view password = {});

    // Time limits in milliseconds for every later request of this object (until Close):
    // resolving and connecting together may take resolve + connect; after that a transfer
    // that moves no byte for `send` (while the request goes out) or `receive` (while the
    // response comes in) is given up. Zero or less keeps the default of that limit.
    void SetTimeouts(int milliseconds);
    void SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs);

    // The overall limit in milliseconds of every later request of this object (until Close),
    // from Send to the body's last byte, however steadily the bytes come; past it the request
    // fails like a stalled one. Zero or less: the deadline of pages and pictures
    // (net::pageDeadline), which also applies when this is never called.
    void SetDeadline(int milliseconds);

    // Basic credentials for the server, sent by Send.
    bool SetCredentials(std::string_view user, std::string_view password);

    // Names the next request: `verb` (upper-cased; letters, digits and "-" only) and the
    // address, read as the page fetcher reads it (UrlHost, UrlPort, UrlPath in
    // net/url_parts.h; https when it starts with "https"). Replaces any previous request and
    // its response. False when the address or the verb cannot be used: an address holding a NUL
    // byte anywhere cannot, nor one whose host has other bytes than a-z, 0-9, "-", "." and
    // "_", nor one whose port is written as nothing or 0.
    bool Open(std::string_view verb, std::string_view address);

    // Adds the line name + ":" + value (nothing inserted between), replacing a line of that
    // name (any case). False before Open, and for a name that is empty or holds a colon, white
    // space or a control byte, or a value that holds CR, LF or NUL.
    bool SetRequestHeader(std::string_view name, std::string_view value);

    // Sends the opened request with `body` (in the pieces of uploadPieceSizes, with progress
    // reports when a callback is given) and waits for the response's header block. True
    // when a response arrived; false when the request could not be made or no response came
    // (refused, timed out, cut off before the headers). Redirects are followed.
    bool Send(std::string_view body = {}, const ProgressCallback& callback = {}, int userValue = 0);

    // Streams the response body into `directory` + `fileName`, 5120 bytes at a time, with
    // progress reports when a callback is given. `directory` must exist; a "/" is appended to
    // it unless it ends with one, and the caller's variable receives the result. 1 when the
    // whole body, as many bytes as the response's Content-Length, is in the file; 0
    // otherwise: no usable Content-Length (no file is created), the file cannot be created,
    // or the body ends short, fails or cannot be written (the partial file is removed). The
    // Content-Length is read by parseContentLength; zero is no usable length either.
    int DownloadToFile(std::string& directory, std::string_view fileName,
                       const ProgressCallback& callback = {}, int userValue = 0);

    // As DownloadToFile, into the open file `fd` from its current offset, for a caller that
    // owns the file: on failure what was written stays, and the file is the caller's to
    // remove. Never more than the Content-Length is written.
    int DownloadToDescriptor(int fd, const ProgressCallback& callback = {}, int userValue = 0);

    // The whole response body (read on the first call, then kept until the next Send). Empty
    // when the body fails or exceeds the page fetcher's kMaxBodyBytes.
    Bytes GetBody();
    // The body up to its first NUL byte as UTF-8 (malformed sequences become U+FFFD).
    std::string GetText();

    // The pairs of the response's Set-Cookie lines, each as "name=value; ", joined. When one
    // is named `cookieName` (exact case): that one alone, just its value with `valueOnly`.
    // The last `cutCount` characters of the result are left off.
    std::string GetCookies(std::string_view cookieName = {}, bool valueOnly = false,
                           int cutCount = 0) const;
    // The value of the Location line, empty without one.
    std::string GetLocation() const;
    // The value of the first line named `name` (any case, at the start of a line), leading
    // white space skipped; the whole header block when `name` is empty or not found.
    std::string GetHeader(std::string_view name = {}) const;

    // Ends the request, forgets the response, the proxy, the credentials and the time limits.
    // Harmless when there is nothing to close.
    bool Close();

private:
    // The object's own settings for the opened request on a prepared transfer.
    bool configure(Transfer& transfer, std::string_view body) const;
    bool readBody(const std::function<bool(std::string_view)>& sink);
    // The response's usable Content-Length: positive, as parseContentLength reads it.
    std::optional<std::int64_t> declaredLength() const;
    bool writeBody(int fd, std::int64_t total, const ProgressCallback& callback, int userValue);

    // Set by SetProxy / SetCredentials.
    std::string proxy_;
    std::string proxyUser_;
    std::string proxyPassword_;
    std::string user_;
    std::string password_;
    // What the first Open after construction or Close fixed for the object's later requests.
    bool started_ = false;
    std::string startedProxy_;
    std::chrono::milliseconds deadline_{0};
    std::chrono::milliseconds connectLimit_;
    std::chrono::milliseconds sendLimit_;
    std::chrono::milliseconds receiveLimit_;
    std::vector<std::pair<int, long>> options_;
    // The opened request.
    bool opened_ = false;
    std::string verb_;
    Target target_;
    std::vector<std::string> headerLines_;
    // The response.
    std::string responseHeaders_;
    Bytes bodyCache_;
    bool bodyRead_ = false;
    std::unique_ptr<Transfer> transfer_;
};

}  // namespace arlo::net
