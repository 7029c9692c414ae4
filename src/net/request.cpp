#include "net/request.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <limits>

#include "net/header_blocks.h"
#include "net/page_fetcher.h"
#include "net/transport.h"
#include "text/ascii.h"
#include "text/trim.h"

namespace arlo::net {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kDownloadPoll{1000};

std::int64_t millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

bool isHostByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
}

bool isTokenByte(unsigned char c) {
    return c > 0x20 && c < 0x7F && c != ':' && c != '(' && c != ')' && c != ',' && c != ';' &&
           c != '"' && c != '/' && c != '[' && c != ']' && c != '?' && c != '=' && c != '{' &&
           c != '}' && c != '<' && c != '>' && c != '@' && c != '\\';
}

// The name of a request header line, lower-cased.
std::string lineName(std::string_view line) {
    return text::toLowerAscii(line.substr(0, line.find(':')));
}

// A header value as GetHeader gives it: leading spaces and tabs skipped.
std::string_view skipLeadingBlanks(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
    }
    return value;
}

}  // namespace

std::vector<std::size_t> uploadPieceSizes(std::size_t size) {
    std::vector<std::size_t> pieces;
    for (std::size_t sent = 0; sent < size;) {
        const std::size_t end = uploadPieceEnd(sent, size);
        pieces.push_back(end - sent);
        sent = end;
    }
    return pieces;
}

std::optional<std::int64_t> parseContentLength(std::string_view value) {
    value = text::trimBlanks(value);
    if (value.empty()) {
        return std::nullopt;
    }
    std::int64_t length = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const int digit = c - '0';
        if (length > (std::numeric_limits<std::int64_t>::max() - digit) / 10) {
            return std::nullopt;
        }
        length = length * 10 + digit;
    }
    return length;
}

Request::Request() {
    Close();
}

Request::~Request() {
    Close();
}

bool Request::SetOption(int option, long value) {
    if (option <= 0 || option >= CURLOPTTYPE_OBJECTPOINT) {
        return false;
    }
    options_.emplace_back(option, value);
    return true;
}

bool Request::SetProxy(std::string_view server, std::string_view user, std::string_view password) {
    proxy_ = server;
    proxyUser_ = user;
    proxyPassword_ = password;
    return true;
}

void Request::SetDeadline(int milliseconds) {
    deadline_ = std::chrono::milliseconds(std::max(milliseconds, 0));
}

void Request::SetTimeouts(int milliseconds) {
    SetTimeouts(milliseconds, milliseconds, milliseconds, milliseconds);
}

void Request::SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) {
    const auto defaultStall = std::chrono::milliseconds(stallSeconds() * 1000);
    if (resolveMs > 0 || connectMs > 0) {
        connectLimit_ = milliseconds(std::max(resolveMs, 0) + std::max(connectMs, 0));
    }
    sendLimit_ = sendMs > 0 ? milliseconds(sendMs) : defaultStall;
    receiveLimit_ = receiveMs > 0 ? milliseconds(receiveMs) : defaultStall;
}

bool Request::SetCredentials(std::string_view user, std::string_view password) {
    user_ = user;
    password_ = password;
    return true;
}

bool Request::Open(std::string_view verb, std::string_view address) {
    // The previous request and its response go, whether or not this one can be made.
    transfer_.reset();
    opened_ = false;
    headerLines_.clear();
    responseHeaders_.clear();
    bodyCache_.clear();
    bodyRead_ = false;

    const std::string upper = text::toUpperAscii(verb);
    if (upper.empty() || !std::all_of(upper.begin(), upper.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        })) {
        return false;
    }
    // The object takes plain host names only, and a port written as a number from 1.
    const std::string host = UrlHost(address);
    if (UrlPort(address) == 0 || !std::all_of(host.begin(), host.end(), [](char c) {
            return isHostByte(static_cast<unsigned char>(c));
        })) {
        return false;
    }
    auto target = TargetAddress(address);
    if (!target) {
        return false;
    }

    if (!started_) {
        started_ = true;
        startedProxy_ = proxy_;
    }
    verb_ = upper;
    target_ = std::move(*target);
    opened_ = true;
    return true;
}

bool Request::SetRequestHeader(std::string_view name, std::string_view value) {
    if (!opened_ || name.empty() ||
        !std::all_of(name.begin(), name.end(),
                     [](char c) { return isTokenByte(static_cast<unsigned char>(c)); }) ||
        value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        return false;
    }
    std::string line = std::string(name) + ":" + std::string(value);
    const std::string key = text::toLowerAscii(name);
    for (std::string& existing : headerLines_) {
        if (lineName(existing) == key) {
            existing = std::move(line);
            return true;
        }
    }
    headerLines_.push_back(std::move(line));
    return true;
}

bool Request::configure(Transfer& transfer, std::string_view body) const {
    CURL* h = transfer.handle();
    bool ok = transfer.setProxy(startedProxy_, proxyUser_, proxyPassword_);
    auto set = [&ok](CURLcode rc) { ok = ok && rc == CURLE_OK; };
    if (!user_.empty()) {
        set(curlapi::easySetopt(h, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)));
        set(curlapi::easySetopt(h, CURLOPT_USERNAME, user_.c_str()));
        set(curlapi::easySetopt(h, CURLOPT_PASSWORD, password_.c_str()));
    }
    // The method. A body always goes out with a Content-Length, through the read callback.
    if (verb_ == "HEAD") {
        set(curlapi::easySetopt(h, CURLOPT_NOBODY, 1L));
    } else if (!body.empty() || verb_ == "POST") {
        set(curlapi::easySetopt(h, CURLOPT_POST, 1L));
        ok = ok && transfer.upload(body);
        if (verb_ != "POST") {
            set(curlapi::easySetopt(h, CURLOPT_CUSTOMREQUEST, verb_.c_str()));
        }
    } else if (verb_ == "GET") {
        set(curlapi::easySetopt(h, CURLOPT_HTTPGET, 1L));
    } else {
        set(curlapi::easySetopt(h, CURLOPT_CUSTOMREQUEST, verb_.c_str()));
    }

    // Exactly the caller's lines: none of libcurl's own Accept, Content-Type or Expect.
    bool hasAccept = false;
    bool hasContentType = false;
    bool hasExpect = false;
    CurlList& lines = transfer.requestHeaders();
    for (const std::string& line : headerLines_) {
        const std::string name = lineName(line);
        hasAccept = hasAccept || name == "accept";
        hasContentType = hasContentType || name == "content-type";
        hasExpect = hasExpect || name == "expect";
        ok = ok && appendHeaderLine(lines, line);
    }
    ok = ok && (hasAccept || lines.append("Accept:"));
    ok = ok && (hasContentType || lines.append("Content-Type:"));
    ok = ok && (hasExpect || lines.append("Expect:"));
    for (const auto& [option, value] : options_) {
        ok = transfer.setOption(static_cast<CURLoption>(option), value) && ok;
    }
    return ok;
}

bool Request::Send(std::string_view body, const ProgressCallback& callback, int userValue) {
    transfer_.reset();
    responseHeaders_.clear();
    bodyCache_.clear();
    bodyRead_ = false;
    if (!opened_) {
        return false;
    }
    std::unique_ptr<Transfer> transfer = Transfer::prepare(target_, connectLimit_);
    const Bounds bounds{.connect = connectLimit_,
                        .firstByte = connectLimit_ + std::max(sendLimit_, receiveLimit_),
                        .send = sendLimit_,
                        .receive = receiveLimit_,
                        .deadline = deadline_.count() > 0 ? deadline_ : pageDeadline()};
    if (!transfer || !configure(*transfer, body) || !transfer->start(bounds)) {
        return false;
    }
    const bool answered = transfer->awaitHeaders(callback, userValue);
    responseHeaders_ = transfer->headers().block();
    if (!answered) {
        return false;
    }
    transfer_ = std::move(transfer);
    return true;
}

bool Request::readBody(const std::function<bool(std::string_view)>& sink) {
    if (!transfer_) {
        return false;
    }
    const bool complete = transfer_->readBody(sink);
    transfer_.reset();
    return complete;
}

std::optional<std::int64_t> Request::declaredLength() const {
    const std::optional<std::string_view> text = findHeader(responseHeaders_, "Content-Length");
    if (!transfer_ || !text) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> length = parseContentLength(*text);
    return length && *length > 0 ? length : std::nullopt;
}

int Request::DownloadToFile(std::string& directory, std::string_view fileName,
                            const ProgressCallback& callback, int userValue) {
    std::error_code error;
    if (directory.empty() || !std::filesystem::is_directory(directory, error)) {
        return 0;
    }
    if (!directory.ends_with('/')) {
        directory += '/';
    }
    const std::optional<std::int64_t> total = declaredLength();
    if (!total) {
        return 0;
    }
    const std::string path = directory + std::string(fileName);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return 0;
    }
    const bool written = writeBody(fd, *total, callback, userValue);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(path.c_str());
        return 0;
    }
    return 1;
}

int Request::DownloadToDescriptor(int fd, const ProgressCallback& callback, int userValue) {
    const std::optional<std::int64_t> total = declaredLength();
    return total && fd >= 0 && writeBody(fd, *total, callback, userValue) ? 1 : 0;
}

bool Request::writeBody(int fd, std::int64_t total, const ProgressCallback& callback,
                        int userValue) {
    std::unique_ptr<ProgressWatcher> watcher;
    if (callback) {
        watcher = std::make_unique<ProgressWatcher>(callback, userValue, total, kDownloadPoll);
    }
    const Clock::time_point start = Clock::now();
    std::int64_t written = 0;
    auto writePiece = [&](std::string_view bytes) {
        // A body longer than announced is not the file either.
        if (static_cast<std::int64_t>(bytes.size()) > total - written) {
            return false;
        }
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
            written += n;
        }
        if (watcher) {
            watcher->update(written, millisecondsSince(start));
        }
        return true;
    };
    // What has arrived goes to disk at once, at most 5120 bytes per write.
    const bool read = readBody([&](std::string_view data) {
        for (std::size_t at = 0; at < data.size(); at += kDownloadPieceBytes) {
            if (!writePiece(data.substr(at, kDownloadPieceBytes))) {
                return false;
            }
        }
        return true;
    });
    // Fewer bytes than announced is a broken download, not a smaller file.
    const bool complete = read && written == total;
    if (watcher) {
        watcher->finish(complete);
    }
    return complete;
}

Bytes Request::GetBody() {
    if (!bodyRead_) {
        bodyRead_ = true;
        Bytes body;
        if (transfer_ && transfer_->readAll(body, kMaxBodyBytes)) {
            bodyCache_ = std::move(body);
        }
        transfer_.reset();
    }
    return bodyCache_;
}

std::string Request::GetText() {
    const Bytes body = GetBody();
    return sanitizeUtf8(std::string_view(body).substr(0, body.find('\0')));
}

std::string Request::GetCookies(std::string_view cookieName, bool valueOnly, int cutCount) const {
    auto cut = [cutCount](std::string text) {
        const auto drop = static_cast<std::size_t>(std::max(cutCount, 0));
        text.resize(text.size() > drop ? text.size() - drop : 0);
        return text;
    };
    std::string all;
    for (const std::string_view pair : setCookiePairs(responseHeaders_)) {
        const std::string_view name = pair.substr(0, pair.find('='));
        if (!cookieName.empty() && name == cookieName) {
            if (valueOnly) {
                const auto equals = pair.find('=');
                return cut(equals == std::string_view::npos ? std::string()
                                                            : std::string(pair.substr(equals + 1)));
            }
            return cut(std::string(pair) + "; ");
        }
        all.append(pair).append("; ");
    }
    return cut(std::move(all));
}

std::string Request::GetLocation() const {
    const std::optional<std::string_view> location = findHeader(responseHeaders_, "Location");
    return location ? std::string(skipLeadingBlanks(*location)) : std::string();
}

std::string Request::GetHeader(std::string_view name) const {
    const std::optional<std::string_view> value =
        name.empty() ? std::nullopt : findHeader(responseHeaders_, name);
    return value ? std::string(skipLeadingBlanks(*value)) : responseHeaders_;
}

bool Request::Close() {
    transfer_.reset();
    opened_ = false;
    started_ = false;
    startedProxy_.clear();
    proxy_.clear();
    proxyUser_.clear();
    proxyPassword_.clear();
    user_.clear();
    password_.clear();
    verb_.clear();
    target_ = {};
    headerLines_.clear();
    responseHeaders_.clear();
    bodyCache_.clear();
    bodyRead_ = false;
    options_.clear();
    deadline_ = milliseconds(0);
    connectLimit_ = milliseconds(kConnectSeconds * 1000);
    sendLimit_ = milliseconds(stallSeconds() * 1000);
    receiveLimit_ = sendLimit_;
    return true;
}

}  // namespace arlo::net
