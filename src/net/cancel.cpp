#include "net/cancel.h"

#include <sys/socket.h>

#include <algorithm>

namespace arlo::net {
namespace {

thread_local const CancelScope* innermost = nullptr;

}  // namespace

void RequestCancel::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_.store(true);
    // Shutting the connections down wakes libcurl from its wait on them at once; the transfer
    // then fails on its own. The descriptors stay open until libcurl closes them.
    for (const int socket : sockets_) {
        ::shutdown(socket, SHUT_RDWR);
    }
}

bool RequestCancel::adoptSocket(int socket) {
    std::lock_guard lock(mutex_);
    if (cancelled_.load()) {
        return false;
    }
    sockets_.push_back(socket);
    return true;
}

void RequestCancel::forgetSocket(int socket) {
    std::lock_guard lock(mutex_);
    sockets_.erase(std::remove(sockets_.begin(), sockets_.end(), socket), sockets_.end());
}

CancelScope::CancelScope(RequestCancel& cancel, std::function<bool()> abandon)
    : cancel_(cancel), abandon_(std::move(abandon)), outer_(innermost) {
    innermost = this;
}

CancelScope::~CancelScope() {
    innermost = outer_;
}

bool CancelScope::shouldEnd() const {
    for (const CancelScope* scope = this; scope != nullptr; scope = scope->outer_) {
        if (scope->cancel_.cancelled() || (scope->abandon_ && scope->abandon_())) {
            return true;
        }
    }
    return false;
}

bool CancelScope::adoptSocket(int socket) const {
    for (const CancelScope* scope = this; scope != nullptr; scope = scope->outer_) {
        if (!scope->cancel_.adoptSocket(socket)) {
            for (const CancelScope* done = this; done != scope; done = done->outer_) {
                done->cancel_.forgetSocket(socket);
            }
            return false;
        }
    }
    return true;
}

void CancelScope::forgetSocket(int socket) const {
    for (const CancelScope* scope = this; scope != nullptr; scope = scope->outer_) {
        scope->cancel_.forgetSocket(socket);
    }
}

const CancelScope* CancelScope::current() {
    return innermost;
}

}  // namespace arlo::net
