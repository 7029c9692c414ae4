#include "net/transport.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "net/cancel.h"
#include "net/host_map.h"
#include "text/trim.h"

namespace arlo::net {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Body bytes held between start and the read that takes them; beyond this the transfer waits.
constexpr std::size_t kPendingLimit = 64 * 1024;
constexpr milliseconds kUploadPoll{10};
// How long one wait for network activity lasts before the bounds are checked again.
constexpr int kPumpSliceMs = 100;

std::int64_t millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

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

// The options every request has. `secure`: redirects may then only go to https; a plain-http
// request may be redirected to either. False when one cannot be set, or when the thread's
// CancelScope has already called its requests off.
bool applyCommonOptions(CURL* curl, bool secure, milliseconds connectLimit, CurlList& connectTo) {
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
    set(curlapi::easySetopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                            static_cast<long>(connectLimit.count())));
    // What does not move any more, and what takes too long, is ended by Transfer::pump.
    set(curlapi::easySetopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L));

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
    }
    return ok;
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

bool appendHeaderLine(CurlList& list, std::string_view line) {
    const auto colon = line.find(':');
    if (colon != std::string_view::npos && text::trimSpaces(line.substr(colon + 1)).empty()) {
        return list.append(std::string(line.substr(0, colon)) + ";");
    }
    return list.append(std::string(line));
}

Bounds pageBounds(milliseconds deadline) {
    const milliseconds stall = std::chrono::seconds(stallSeconds());
    return {.connect = std::chrono::seconds(kConnectSeconds),
            .firstByte = stall,
            .send = stall,
            .receive = stall,
            .deadline = deadline.count() > 0 ? deadline : pageDeadline()};
}

std::size_t uploadPieceEnd(std::size_t sent, std::size_t size) {
    const std::size_t remainder = size % kUploadPieceBytes;
    return std::min(size, sent < remainder ? remainder : sent + kUploadPieceBytes);
}

ProgressWatcher::ProgressWatcher(ProgressCallback callback, int userValue, std::int64_t total,
                                 milliseconds poll)
    : callback_(std::move(callback)), userValue_(userValue), total_(total), poll_(poll) {
    thread_ = std::thread([this] { run(); });
}

void ProgressWatcher::update(std::int64_t done, std::int64_t elapsedMs) {
    elapsed_.store(elapsedMs, std::memory_order_relaxed);
    done_.store(done, std::memory_order_release);
}

void ProgressWatcher::finish(bool completed) {
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

void ProgressWatcher::run() {
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

std::unique_ptr<Transfer> Transfer::prepare(const Target& target, milliseconds connectLimit) {
    std::unique_ptr<Transfer> t(new Transfer());
    t->easy_ = newCurlEasy();
    if (!t->easy_) {
        return nullptr;
    }
    t->multi_ = curlapi::multiInit();
    CURL* h = t->easy_.get();
    if (t->multi_ == nullptr ||
        !applyCommonOptions(h, target.secure, connectLimit, t->connectTo_)) {
        return nullptr;
    }
    t->scope_ = CancelScope::current();
    bool ok = true;
    auto set = [&ok](CURLcode rc) { ok = ok && rc == CURLE_OK; };
    set(curlapi::easySetopt(h, CURLOPT_URL, target.url.c_str()));
    set(curlapi::easySetopt(h, CURLOPT_FOLLOWLOCATION, 1L));
    set(curlapi::easySetopt(h, CURLOPT_HEADERFUNCTION, &Transfer::onHeader));
    set(curlapi::easySetopt(h, CURLOPT_HEADERDATA, t.get()));
    set(curlapi::easySetopt(h, CURLOPT_WRITEFUNCTION, &Transfer::onBody));
    set(curlapi::easySetopt(h, CURLOPT_WRITEDATA, t.get()));
    set(curlapi::easySetopt(h, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress));
    set(curlapi::easySetopt(h, CURLOPT_XFERINFODATA, t.get()));
    set(curlapi::easySetopt(h, CURLOPT_NOPROGRESS, 0L));
    return ok ? std::move(t) : nullptr;
}

Transfer::~Transfer() {
    if (added_) {
        curlapi::multiRemoveHandle(multi_, easy_.get());
    }
    easy_.reset();
    if (multi_ != nullptr) {
        curlapi::multiCleanup(multi_);
    }
}

bool Transfer::setOption(CURLoption option, long value) {
    if (option == CURLOPT_FOLLOWLOCATION) {
        headers_.setFollowing(value != 0);
    }
    return curlapi::easySetopt(easy_.get(), option, value) == CURLE_OK;
}

bool Transfer::setProxy(const std::string& proxy, const std::string& user,
                        const std::string& password) {
    CURL* h = easy_.get();
    bool ok = true;
    auto set = [&ok](CURLcode rc) { ok = ok && rc == CURLE_OK; };
    // An empty proxy also stops libcurl reading the proxy environment variables.
    set(curlapi::easySetopt(h, CURLOPT_PROXY, proxy.c_str()));
    set(curlapi::easySetopt(h, CURLOPT_NOPROXY, ""));
    if (!proxy.empty()) {
        // With both, libcurl would tunnel through the proxy to the mapped address instead.
        set(curlapi::easySetopt(h, CURLOPT_CONNECT_TO, static_cast<curl_slist*>(nullptr)));
        if (!user.empty()) {
            set(curlapi::easySetopt(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)));
            set(curlapi::easySetopt(h, CURLOPT_PROXYUSERNAME, user.c_str()));
            set(curlapi::easySetopt(h, CURLOPT_PROXYPASSWORD, password.c_str()));
        }
    }
    return ok;
}

bool Transfer::upload(std::string_view body) {
    upload_.assign(body);
    CURL* h = easy_.get();
    return curlapi::easySetopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                               static_cast<curl_off_t>(upload_.size())) == CURLE_OK &&
           curlapi::easySetopt(h, CURLOPT_READFUNCTION, &Transfer::onRead) == CURLE_OK &&
           curlapi::easySetopt(h, CURLOPT_READDATA, this) == CURLE_OK;
}

bool Transfer::start(const Bounds& bounds) {
    bounds_ = bounds;
    deadline_ = Clock::now() + bounds.deadline;
    if (curlapi::easySetopt(easy_.get(), CURLOPT_HTTPHEADER, requestHeaders_.get()) != CURLE_OK ||
        curlapi::multiAddHandle(multi_, easy_.get()) != CURLM_OK) {
        return false;
    }
    added_ = true;
    return true;
}

bool Transfer::awaitHeaders(const ProgressCallback& callback, int userValue) {
    std::unique_ptr<ProgressWatcher> watcher;
    if (callback && !upload_.empty()) {
        watcher = std::make_unique<ProgressWatcher>(
            callback, userValue, static_cast<std::int64_t>(upload_.size()), kUploadPoll);
        uploadWatcher_ = watcher.get();
        uploadStart_ = Clock::now();
    }
    const bool answered = pump([this] { return headers_.complete(); });
    if (watcher) {
        watcher->update(static_cast<std::int64_t>(sent_), millisecondsSince(uploadStart_));
        watcher->finish(answered && sent_ == upload_.size());
        uploadWatcher_ = nullptr;
    }
    return answered;
}

bool Transfer::readBody(const BodySink& sink) {
    sink_ = sink;
    if (!flushPending()) {
        return false;
    }
    if (paused_) {
        paused_ = false;
        // Hands over the bytes libcurl kept, through the sink.
        curlapi::easyPause(easy_.get(), CURLPAUSE_CONT);
    }
    pump([] { return false; });
    return finished_ && result_ == CURLE_OK && !sinkFailed_;
}

bool Transfer::readAll(Bytes& body, std::size_t maxBytes) {
    body.clear();
    const bool read = readBody([&body, maxBytes](std::string_view data) {
        if (body.size() + data.size() > maxBytes) {
            return false;
        }
        body.append(data);
        return true;
    });
    if (!read) {
        body.clear();
    }
    return read;
}

void Transfer::moved() {
    lastActivity_ = Clock::now();
    anyMoved_ = true;
}

std::size_t Transfer::onRead(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const std::size_t room = size * count;
    const std::size_t end = uploadPieceEnd(t->sent_, t->upload_.size());
    const std::size_t length = std::min(room, end - t->sent_);
    if (t->uploadWatcher_ != nullptr && t->sent_ >= t->upload_.size() % kUploadPieceBytes &&
        length > 0) {
        // A piece of kUploadPieceBytes starts here: what went before it is done.
        t->uploadWatcher_->update(static_cast<std::int64_t>(t->sent_),
                                  millisecondsSince(t->uploadStart_));
    }
    std::copy_n(t->upload_.data() + t->sent_, length, buffer);
    t->sent_ += length;
    t->lastActivity_ = Clock::now();
    t->anyMoved_ = t->anyMoved_ || t->sent_ > 0;
    return length;
}

std::size_t Transfer::onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    t->moved();
    t->headers_.take(std::string_view(data, length));
    return length;
}

std::size_t Transfer::onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    t->moved();
    if (t->sink_) {
        return t->feed(std::string_view(data, length)) ? length : 0;  // 0 aborts the transfer
    }
    if (t->pending_.size() >= kPendingLimit) {
        t->paused_ = true;
        return CURL_WRITEFUNC_PAUSE;  // libcurl keeps these bytes and offers them again
    }
    t->pending_.append(data, length);
    return length;
}

bool Transfer::flushPending() {
    if (pending_.empty()) {
        return true;
    }
    const bool ok = sink_(pending_);
    pending_.clear();
    sinkFailed_ = sinkFailed_ || !ok;
    return ok;
}

bool Transfer::feed(std::string_view data) {
    if (!flushPending()) {
        return false;
    }
    if (!sink_(data)) {
        sinkFailed_ = true;
        return false;
    }
    return true;
}

int Transfer::onProgress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
    auto* t = static_cast<Transfer*>(user);
    if (t->scope_ != nullptr && t->scope_->shouldEnd()) {
        return 1;  // ends the transfer
    }
    // Bytes libcurl moved without a callback of ours (a body given whole) count as activity.
    // The counts start again with each response of a redirect chain.
    const curl_off_t movedBytes = dlnow + ulnow;
    if (movedBytes > t->progressBytes_) {
        t->moved();
    }
    t->progressBytes_ = movedBytes;
    return 0;
}

milliseconds Transfer::currentLimit() const {
    if (!anyMoved_) {
        return bounds_.firstByte;
    }
    return sent_ < upload_.size() ? bounds_.send : bounds_.receive;
}

bool Transfer::pump(const std::function<bool()>& until) {
    lastActivity_ = Clock::now();
    while (!until()) {
        if (finished_) {
            return false;
        }
        int running = 0;
        if (curlapi::multiPerform(multi_, &running) != CURLM_OK) {
            finished_ = true;
            result_ = CURLE_FAILED_INIT;
            return false;
        }
        int queued = 0;
        while (CURLMsg* message = curlapi::multiInfoRead(multi_, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_.get()) {
                finished_ = true;
                result_ = message->data.result;
            }
        }
        if (until()) {
            break;
        }
        if (finished_) {
            return false;
        }
        const Clock::time_point now = Clock::now();
        if (now - lastActivity_ > currentLimit() || now >= deadline_) {
            finished_ = true;
            result_ = CURLE_OPERATION_TIMEDOUT;
            return false;
        }
        curlapi::multiPoll(multi_, kPumpSliceMs);
    }
    return true;
}

}  // namespace arlo::net
