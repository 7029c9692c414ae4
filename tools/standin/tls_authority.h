#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include <openssl/ssl.h>

namespace arlo::standin {

// A throw-away certificate authority made at start, and a TLS server context per host name
// with a certificate for that name signed by it, made on first use. Clients that trust the
// authority verify the stand-in like any real host.
class TlsAuthority final {
public:
    TlsAuthority();
    ~TlsAuthority();
    TlsAuthority(const TlsAuthority&) = delete;
    TlsAuthority& operator=(const TlsAuthority&) = delete;

    bool ok() const { return ok_; }
    std::string pem() const { return pem_; }

    // The context serving `name` (a host name or an IPv4 address); null on failure.
    SSL_CTX* contextFor(std::string_view name);
    // The context a connection starts with: "localhost" and 127.0.0.1; it switches to the
    // name the client asks for during the handshake.
    SSL_CTX* defaultContext() { return defaultContext_; }

private:
    SSL_CTX* makeContext(const std::string& name);

    bool ok_ = false;
    std::string pem_;
    EVP_PKEY* caKey_ = nullptr;
    X509* caCert_ = nullptr;
    EVP_PKEY* leafKey_ = nullptr;
    SSL_CTX* defaultContext_ = nullptr;
    long serial_ = 1;
    std::mutex mutex_;
    std::map<std::string, SSL_CTX*, std::less<>> contexts_;
};

}  // namespace arlo::standin
