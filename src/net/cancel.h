#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

// Abandoning requests from another thread. Every request blocks its thread until the network
// answers or the stall limit runs out; a thread that must end sooner (the program is closing,
// the user has moved on) makes its requests inside a CancelScope, and whoever wants it to end
// throws the RequestCancel. The request then ends at once, whatever the network does, with the
// empty result of a failed request: nothing half-received passes for a whole answer.
namespace arlo::net {

class RequestCancel final {
public:
    RequestCancel() = default;
    ~RequestCancel() = default;
    RequestCancel(const RequestCancel&) = delete;
    RequestCancel& operator=(const RequestCancel&) = delete;

    // Any thread. Transfers under way in a scope of this switch are cut now; requests started
    // in one later fail without touching the network. There is no way back.
    void cancel();
    bool cancelled() const { return cancelled_.load(); }

    // For the transport: the connections of requests made under this switch. A socket opened
    // after cancel() is refused (false); a socket is forgotten before it is closed, so cancel()
    // never touches a descriptor that was reused.
    bool adoptSocket(int socket);
    void forgetSocket(int socket);

private:
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::vector<int> sockets_;
};

// While it lives, requests made on the constructing thread end when `cancel` is thrown, or
// when `abandon` (polled during the transfer, at least once a second; it may be empty)
// returns true. Scopes nest, and every one of them counts: a request made inside several
// ends when any of them says so (the worker that runs a load calls it off when a newer one
// comes, the load itself when the program closes).
class CancelScope final {
public:
    explicit CancelScope(RequestCancel& cancel, std::function<bool()> abandon = {});
    ~CancelScope();
    CancelScope(const CancelScope&) = delete;
    CancelScope& operator=(const CancelScope&) = delete;

    RequestCancel& cancel() const { return cancel_; }
    // True when requests under this scope, or under one it is nested in, are to end now.
    bool shouldEnd() const;

    // For the transport: hands a request's new connection to the switch of this scope and of
    // every scope it is nested in; false (and adopted by none) when one was already thrown.
    bool adoptSocket(int socket) const;
    void forgetSocket(int socket) const;

    // The innermost scope of the calling thread; null outside any.
    static const CancelScope* current();

private:
    RequestCancel& cancel_;
    std::function<bool()> abandon_;
    const CancelScope* outer_;
};

}  // namespace arlo::net
