#include "net/request.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <filesystem>
#include <limits>
#include <mutex>
#include <thread>

#include "net/header_blocks.h"
#include "net/page_fetcher.h"
#include "net/transport.h"
#include "net/url_parts.h"
#include "text/ascii.h"
#include "text/numbers.h"
#include "text/split.h"
#include "text/trim.h"

namespace arlo::net {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t kUploadPieceBytes = 2048;
// Body bytes held between Send and the read that takes them; beyond this the transfer waits.
constexpr std::size_t kPendingLimit = 64 * 1024;
constexpr milliseconds kUploadPoll{10};
constexpr milliseconds kDownloadPoll{1000};
// How long one wait for network activity lasts before the limits are checked again.
constexpr int kPumpSliceMs = 100;

// The end of the piece that starts at `sent` in a body of `size` bytes.
std::size_t pieceEnd(std::size_t sent, std::size_t size) {
    const std::size_t remainder = size % kUploadPieceBytes;
    return std::min(size, sent < remainder ? remainder : sent + kUploadPieceBytes);
}

std::int64_t millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

// Reports one transfer's progress from a thread of its own. The transfer stores done and
// elapsed as it goes; the watcher polls them and calls back at most once per poll. finish()
// makes the last call (for a completed transfer) and waits for the thread, so no call comes
// after the transfer's method has returned.
class ProgressWatcher final {
public:
    ProgressWatcher(ProgressCallback callback, int userValue, std::int64_t total, milliseconds poll)
        : callback_(std::move(callback)), userValue_(userValue), total_(total), poll_(poll) {
        thread_ = std::thread([this] { run(); });
    }
    ~ProgressWatcher() { finish(false); }
    ProgressWatcher(const ProgressWatcher&) = delete;
    ProgressWatcher& operator=(const ProgressWatcher&) = delete;

    void update(std::int64_t done, std::int64_t elapsedMs) {
        elapsed_.store(elapsedMs, std::memory_order_relaxed);
        done_.store(done, std::memory_order_release);
    }

    void finish(bool completed) {
        if (!thread_.joinable()) {
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            ended_ = true;
            completed_ = completed;
        }
        wake_.notify_all();
        thread_.join();
    }

private:
    void run() {
        std::int64_t lastDone = 0;
        std::unique_lock lock(mutex_);
        while (true) {
            if (ended_) {
                if (completed_) {
                    lock.unlock();
                    callback_(userValue_, total_, total_, elapsed_.load(std::memory_order_relaxed));
                }
                return;
            }
            const std::int64_t done = done_.load(std::memory_order_acquire);
            if (done > lastDone) {
                lastDone = done;
                lock.unlock();
                callback_(userValue_, total_, done, elapsed_.load(std::memory_order_relaxed));
                lock.lock();
            }
            wake_.wait_for(lock, poll_, [this] { return ended_; });
        }
    }

    ProgressCallback callback_;
    int userValue_;
    std::int64_t total_;
    milliseconds poll_;
    std::atomic<std::int64_t> done_{0};
    std::atomic<std::int64_t> elapsed_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool ended_ = false;
    bool completed_ = false;
    std::thread thread_;
};

bool isHostByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
}

bool isTokenByte(unsigned char c) {
    return c > 0x20 && c < 0x7F && c != ':' && c != '(' && c != ')' && c != ',' && c != ';' &&
           c != '"' && c != '/' && c != '[' && c != ']' && c != '?' && c != '=' && c != '{' &&
           c != '}' && c != '<' && c != '>' && c != '@' && c != '\\';
}

// The name of a header line, lower-cased.
std::string lineName(std::string_view line) {
    return text::toLowerAscii(line.substr(0, line.find(':')));
}

// Header lines of a raw block without their CR LF, the status line first.
std::vector<std::string_view> blockLines(std::string_view block) {
    std::vector<std::string_view> lines = text::split(block, "\n");
    for (std::string_view& line : lines) {
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
    }
    return lines;
}

}  // namespace

std::vector<std::size_t> uploadPieceSizes(std::size_t size) {
    std::vector<std::size_t> pieces;
    for (std::size_t sent = 0; sent < size;) {
        const std::size_t end = pieceEnd(sent, size);
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

std::string RequestHost(std::string_view address, bool keepPort) {
    std::string lower = text::toLowerAscii(address);
    std::string_view rest = lower;
    if (rest.starts_with("http://")) {
        rest.remove_prefix(7);
    } else if (rest.starts_with("https://")) {
        rest.remove_prefix(8);
    }
    std::string host(rest.substr(0, rest.find('/')));
    if (!keepPort) {
        host = host.substr(0, host.find(':'));
    }
    return host;
}

int RequestPort(std::string_view address) {
    const std::string host = RequestHost(address, true);
    if (const auto colon = host.find(':'); colon != std::string::npos) {
        return text::parseInt(std::string_view(host).substr(colon + 1));
    }
    return text::toLowerAscii(address.substr(0, 5)) == "https" ? 443 : 80;
}

std::string RequestPath(std::string_view address) {
    return UrlPath(address);
}

// One request under way: the libcurl handles and what its callbacks collect.
struct Request::Transfer {
    CurlEasy easy;
    CURLM* multi = nullptr;
    bool added = false;
    CurlList connectTo;
    CurlList headerList;
    std::string url;
    std::string proxy;
    std::string user;
    std::string password;
    std::string proxyUser;
    std::string proxyPassword;

    // Upload.
    std::string body;
    std::size_t sent = 0;
    ProgressWatcher* uploadWatcher = nullptr;
    Clock::time_point uploadStart;

    // Header blocks: only the final response's is kept.
    HeaderBlocks headers{true};  // redirects are followed unless an option says otherwise

    // Body: held in `pending` until a reader sets `sink`.
    std::string pending;
    bool paused = false;
    std::function<bool(std::string_view)> sink;
    bool sinkFailed = false;

    bool finished = false;
    CURLcode result = CURLE_OK;
    bool anyReceived = false;
    Clock::time_point lastActivity;
    // The whole transfer, Send and body, ends by then.
    Clock::time_point deadline = Clock::time_point::max();
    milliseconds connectLimit{0};
    milliseconds sendLimit{0};
    milliseconds receiveLimit{0};

    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer() {
        if (added) {
            curlapi::multiRemoveHandle(multi, easy.get());
        }
        easy.reset();
        if (multi != nullptr) {
            curlapi::multiCleanup(multi);
        }
    }

    static std::size_t onRead(char* buffer, std::size_t size, std::size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const std::size_t room = size * count;
        const std::size_t end = pieceEnd(t->sent, t->body.size());
        const std::size_t length = std::min(room, end - t->sent);
        if (t->uploadWatcher != nullptr && t->sent >= t->body.size() % kUploadPieceBytes &&
            length > 0) {
            // A 2048-byte piece starts here: what went before it is done.
            t->uploadWatcher->update(static_cast<std::int64_t>(t->sent),
                                     millisecondsSince(t->uploadStart));
        }
        std::copy_n(t->body.data() + t->sent, length, buffer);
        t->sent += length;
        t->lastActivity = Clock::now();
        return length;
    }

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const std::size_t length = size * count;
        t->lastActivity = Clock::now();
        t->anyReceived = true;
        t->headers.take(std::string_view(data, length));
        return length;
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const std::size_t length = size * count;
        t->lastActivity = Clock::now();
        if (!t->headers.complete()) {
            return length;  // the body of a redirect that is followed
        }
        if (t->sink) {
            if (!t->pending.empty()) {
                const bool ok = t->sink(t->pending);
                t->pending.clear();
                if (!ok) {
                    t->sinkFailed = true;
                    return 0;
                }
            }
            if (!t->sink(std::string_view(data, length))) {
                t->sinkFailed = true;
                return 0;  // makes libcurl abort the transfer
            }
            return length;
        }
        if (t->pending.size() >= kPendingLimit) {
            t->paused = true;
            return CURL_WRITEFUNC_PAUSE;  // libcurl keeps these bytes and offers them again
        }
        t->pending.append(data, length);
        return length;
    }

    void takeMessages() {
        int queued = 0;
        while (CURLMsg* message = curlapi::multiInfoRead(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy.get()) {
                finished = true;
                result = message->data.result;
            }
        }
    }

    milliseconds currentLimit() const {
        if (!anyReceived && sent == 0) {
            return connectLimit + std::max(sendLimit, receiveLimit);
        }
        return sent < body.size() ? sendLimit : receiveLimit;
    }

    // Drives the transfer until `until` holds or it ends; true when `until` holds.
    bool pump(const std::function<bool()>& until) {
        lastActivity = Clock::now();
        while (!until()) {
            if (finished) {
                return false;
            }
            int running = 0;
            if (curlapi::multiPerform(multi, &running) != CURLM_OK) {
                finished = true;
                result = CURLE_FAILED_INIT;
                return false;
            }
            takeMessages();
            if (until()) {
                break;
            }
            if (finished) {
                return false;
            }
            const Clock::time_point now = Clock::now();
            if (now - lastActivity > currentLimit() || now >= deadline) {
                finished = true;
                result = CURLE_OPERATION_TIMEDOUT;
                return false;
            }
            curlapi::multiPoll(multi, kPumpSliceMs);
        }
        return true;
    }
};

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
    // libcurl reads the address up to a NUL: it would reach somewhere else than named.
    if (address.find('\0') != std::string_view::npos) {
        return false;
    }
    const std::string host = RequestHost(address);
    const int port = RequestPort(address);
    if (host.empty() || port <= 0 || port > 65535 ||
        !std::all_of(host.begin(), host.end(),
                     [](char c) { return isHostByte(static_cast<unsigned char>(c)); })) {
        return false;
    }
    const bool secure = text::toLowerAscii(address.substr(0, 5)) == "https";
    std::string url = (secure ? "https://" : "http://") + host;
    if (port != (secure ? 443 : 80)) {
        url += ":" + std::to_string(port);
    }
    url += EncodeUrlPath(RequestPath(address));
    CURLU* parsed = curlapi::urlNew();
    const bool parses =
        parsed != nullptr && curlapi::urlSet(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
    curlapi::urlCleanup(parsed);
    if (!parses) {
        return false;
    }

    if (!started_) {
        started_ = true;
        startedProxy_ = proxy_;
    }
    verb_ = upper;
    url_ = std::move(url);
    secure_ = secure;
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

bool Request::Send(std::string_view body, const ProgressCallback& callback, int userValue) {
    transfer_.reset();
    responseHeaders_.clear();
    bodyCache_.clear();
    bodyRead_ = false;
    if (!opened_) {
        return false;
    }

    auto t = std::make_unique<Transfer>();
    t->easy = newCurlEasy();
    if (!t->easy) {
        return false;
    }
    t->multi = curlapi::multiInit();
    if (t->multi == nullptr || !applyCommonOptions(t->easy.get(), secure_, t->connectTo)) {
        return false;
    }
    CURL* h = t->easy.get();
    t->url = url_;
    t->proxy = startedProxy_;
    t->user = user_;
    t->password = password_;
    t->proxyUser = proxyUser_;
    t->proxyPassword = proxyPassword_;
    t->body.assign(body);
    t->connectLimit = connectLimit_;
    t->sendLimit = sendLimit_;
    t->receiveLimit = receiveLimit_;
    t->deadline = Clock::now() + (deadline_.count() > 0 ? deadline_ : pageDeadline());

    bool ok = true;
    auto set = [&ok](CURLcode rc) { ok = ok && rc == CURLE_OK; };
    set(curlapi::easySetopt(h, CURLOPT_URL, t->url.c_str()));
    // The limits and the deadline are kept by the pump loop, to the millisecond.
    set(curlapi::easySetopt(h, CURLOPT_LOW_SPEED_TIME, 0L));
    set(curlapi::easySetopt(h, CURLOPT_TIMEOUT_MS, 0L));
    set(curlapi::easySetopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                            static_cast<long>(connectLimit_.count())));
    set(curlapi::easySetopt(h, CURLOPT_PROXY, t->proxy.c_str()));
    set(curlapi::easySetopt(h, CURLOPT_NOPROXY, ""));
    if (!t->proxy.empty()) {
        // The proxy makes the connection; the host map is for direct ones.
        set(curlapi::easySetopt(h, CURLOPT_CONNECT_TO, static_cast<curl_slist*>(nullptr)));
        if (!t->proxyUser.empty()) {
            set(curlapi::easySetopt(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)));
            set(curlapi::easySetopt(h, CURLOPT_PROXYUSERNAME, t->proxyUser.c_str()));
            set(curlapi::easySetopt(h, CURLOPT_PROXYPASSWORD, t->proxyPassword.c_str()));
        }
    }
    if (!t->user.empty()) {
        set(curlapi::easySetopt(h, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)));
        set(curlapi::easySetopt(h, CURLOPT_USERNAME, t->user.c_str()));
        set(curlapi::easySetopt(h, CURLOPT_PASSWORD, t->password.c_str()));
    }
    set(curlapi::easySetopt(h, CURLOPT_FOLLOWLOCATION, 1L));
    set(curlapi::easySetopt(h, CURLOPT_HEADERFUNCTION, &Transfer::onHeader));
    set(curlapi::easySetopt(h, CURLOPT_HEADERDATA, t.get()));
    set(curlapi::easySetopt(h, CURLOPT_WRITEFUNCTION, &Transfer::onBody));
    set(curlapi::easySetopt(h, CURLOPT_WRITEDATA, t.get()));
    set(curlapi::easySetopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L));

    // The method. A body always goes out with a Content-Length, through the read callback.
    if (verb_ == "HEAD") {
        set(curlapi::easySetopt(h, CURLOPT_NOBODY, 1L));
    } else if (!t->body.empty() || verb_ == "POST") {
        set(curlapi::easySetopt(h, CURLOPT_POST, 1L));
        set(curlapi::easySetopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                                static_cast<curl_off_t>(t->body.size())));
        set(curlapi::easySetopt(h, CURLOPT_READFUNCTION, &Transfer::onRead));
        set(curlapi::easySetopt(h, CURLOPT_READDATA, t.get()));
        if (verb_ != "POST") {
            set(curlapi::easySetopt(h, CURLOPT_CUSTOMREQUEST, verb_.c_str()));
        }
    } else if (verb_ == "GET") {
        set(curlapi::easySetopt(h, CURLOPT_HTTPGET, 1L));
    } else {
        set(curlapi::easySetopt(h, CURLOPT_CUSTOMREQUEST, verb_.c_str()));
    }

    // Exactly the caller's lines: none of libcurl's own Accept, Content-Type or Expect. A line
    // with an empty value is written "Name;", which libcurl sends as "Name:".
    bool hasAccept = false;
    bool hasContentType = false;
    bool hasExpect = false;
    for (const std::string& line : headerLines_) {
        const std::string name = lineName(line);
        hasAccept = hasAccept || name == "accept";
        hasContentType = hasContentType || name == "content-type";
        hasExpect = hasExpect || name == "expect";
        const std::string_view value = std::string_view(line).substr(line.find(':') + 1);
        if (text::trimSpaces(value).empty()) {
            ok = ok && t->headerList.append(line.substr(0, line.find(':')) + ";");
        } else {
            ok = ok && t->headerList.append(line);
        }
    }
    ok = ok && (hasAccept || t->headerList.append("Accept:"));
    ok = ok && (hasContentType || t->headerList.append("Content-Type:"));
    ok = ok && (hasExpect || t->headerList.append("Expect:"));
    set(curlapi::easySetopt(h, CURLOPT_HTTPHEADER, t->headerList.get()));
    for (const auto& [option, value] : options_) {
        set(curlapi::easySetopt(h, static_cast<CURLoption>(option), value));
        if (option == CURLOPT_FOLLOWLOCATION) {
            t->headers.setFollowing(value != 0);
        }
    }
    if (!ok || curlapi::multiAddHandle(t->multi, h) != CURLM_OK) {
        return false;
    }
    t->added = true;

    std::unique_ptr<ProgressWatcher> watcher;
    if (callback && !t->body.empty()) {
        watcher = std::make_unique<ProgressWatcher>(
            callback, userValue, static_cast<std::int64_t>(t->body.size()), kUploadPoll);
        t->uploadWatcher = watcher.get();
        t->uploadStart = Clock::now();
    }
    Transfer* raw = t.get();
    const bool answered = t->pump([raw] { return raw->headers.complete(); });
    if (watcher) {
        watcher->update(static_cast<std::int64_t>(raw->sent), millisecondsSince(raw->uploadStart));
        watcher->finish(answered && raw->sent == raw->body.size());
        t->uploadWatcher = nullptr;
    }
    responseHeaders_ = t->headers.block();
    if (!answered) {
        return false;
    }
    transfer_ = std::move(t);
    return true;
}

int Request::readBody(const std::function<bool(std::string_view)>& sink) {
    if (!transfer_) {
        return 0;
    }
    Transfer& t = *transfer_;
    t.sink = sink;
    if (!t.pending.empty()) {
        const bool ok = sink(t.pending);
        t.pending.clear();
        if (!ok) {
            t.sinkFailed = true;
            return 0;
        }
    }
    if (t.paused) {
        t.paused = false;
        // Hands over the bytes libcurl kept, through the sink.
        curlapi::easyPause(t.easy.get(), CURLPAUSE_CONT);
    }
    t.pump([] { return false; });
    const bool complete = t.finished && t.result == CURLE_OK && !t.sinkFailed;
    transfer_.reset();
    return complete ? 1 : 0;
}

std::optional<std::int64_t> Request::declaredLength() const {
    const std::string text = GetHeader("Content-Length");
    if (!transfer_ || text == responseHeaders_) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> length = parseContentLength(text);
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
    const int written = writeBody(fd, *total, callback, userValue);
    const bool closed = ::close(fd) == 0;
    if (written != 1 || !closed) {
        ::unlink(path.c_str());
        return 0;
    }
    return 1;
}

int Request::DownloadToDescriptor(int fd, const ProgressCallback& callback, int userValue) {
    const std::optional<std::int64_t> total = declaredLength();
    return total && fd >= 0 ? writeBody(fd, *total, callback, userValue) : 0;
}

int Request::writeBody(int fd, std::int64_t total, const ProgressCallback& callback,
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
    const int read = readBody([&](std::string_view data) {
        for (std::size_t at = 0; at < data.size(); at += kDownloadPieceBytes) {
            if (!writePiece(data.substr(at, kDownloadPieceBytes))) {
                return false;
            }
        }
        return true;
    });
    // Fewer bytes than announced is a broken download, not a smaller file.
    const bool complete = read == 1 && written == total;
    if (watcher) {
        watcher->finish(complete);
    }
    return complete ? 1 : 0;
}

Bytes Request::GetBody() {
    if (!bodyRead_) {
        bodyRead_ = true;
        Bytes body;
        bool tooLarge = false;
        const int read = readBody([&body, &tooLarge](std::string_view data) {
            if (body.size() + data.size() > kMaxBodyBytes) {
                tooLarge = true;
                return false;
            }
            body.append(data);
            return true;
        });
        if (read == 1 && !tooLarge) {
            bodyCache_ = std::move(body);
        }
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
    const auto lines = blockLines(responseHeaders_);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (lineName(line) != "set-cookie" || line.find(':') == std::string_view::npos) {
            continue;
        }
        std::string_view pair = text::trimSpaces(line.substr(line.find(':') + 1));
        pair = text::trimSpaces(pair.substr(0, pair.find(';')));
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
    const std::string location = GetHeader("Location");
    return location == responseHeaders_ ? std::string() : location;
}

std::string Request::GetHeader(std::string_view name) const {
    if (name.empty()) {
        return responseHeaders_;
    }
    const std::string key = text::toLowerAscii(name);
    const auto lines = blockLines(responseHeaders_);
    // The status line is not a header.
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const auto colon = line.find(':');
        if (colon != std::string_view::npos && lineName(line) == key) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
                value.remove_prefix(1);
            }
            return std::string(value);
        }
    }
    return responseHeaders_;
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
    url_.clear();
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
