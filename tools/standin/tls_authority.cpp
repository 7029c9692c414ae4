#include "standin/tls_authority.h"

#include <arpa/inet.h>

#include <ctime>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace arlo::standin {
namespace {

bool addExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    if (ext == nullptr) {
        return false;
    }
    const bool ok = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

X509* newCertificate(EVP_PKEY* key, const std::string& commonName, long serial) {
    X509* cert = X509_new();
    if (cert == nullptr) {
        return nullptr;
    }
    X509_set_version(cert, 2);
    // Serials must differ between runs too, or a client caching sessions may get confused.
    ASN1_INTEGER_set(X509_get_serialNumber(cert),
                     static_cast<long>(std::time(nullptr)) * 1000 + serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 60L * 60 * 24 * 30);
    X509_set_pubkey(cert, key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(cert), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    return cert;
}

bool isIpv4(const std::string& name) {
    in_addr addr{};
    return inet_pton(AF_INET, name.c_str(), &addr) == 1;
}

}  // namespace

TlsAuthority::TlsAuthority() {
    caKey_ = EVP_EC_gen("P-256");
    leafKey_ = EVP_EC_gen("P-256");
    if (caKey_ == nullptr || leafKey_ == nullptr) {
        return;
    }
    caCert_ = newCertificate(caKey_, "Arlo stand-in authority", serial_++);
    if (caCert_ == nullptr || X509_set_issuer_name(caCert_, X509_get_subject_name(caCert_)) != 1 ||
        !addExtension(caCert_, caCert_, NID_basic_constraints, "critical,CA:TRUE") ||
        !addExtension(caCert_, caCert_, NID_key_usage, "critical,keyCertSign,cRLSign") ||
        !addExtension(caCert_, caCert_, NID_subject_key_identifier, "hash") ||
        X509_sign(caCert_, caKey_, EVP_sha256()) == 0) {
        return;
    }
    BIO* bio = BIO_new(BIO_s_mem());
    if (bio == nullptr) {
        return;
    }
    if (PEM_write_bio_X509(bio, caCert_) == 1) {
        char* data = nullptr;
        const long length = BIO_get_mem_data(bio, &data);
        pem_.assign(data, static_cast<std::size_t>(length));
    }
    BIO_free(bio);
    defaultContext_ = makeContext("localhost");
    ok_ = !pem_.empty() && defaultContext_ != nullptr;
}

TlsAuthority::~TlsAuthority() {
    for (auto& [name, ctx] : contexts_) {
        SSL_CTX_free(ctx);
    }
    SSL_CTX_free(defaultContext_);
    X509_free(caCert_);
    EVP_PKEY_free(caKey_);
    EVP_PKEY_free(leafKey_);
}

SSL_CTX* TlsAuthority::contextFor(std::string_view name) {
    std::lock_guard lock(mutex_);
    if (auto it = contexts_.find(name); it != contexts_.end()) {
        return it->second;
    }
    SSL_CTX* ctx = makeContext(std::string(name));
    if (ctx != nullptr) {
        contexts_.emplace(std::string(name), ctx);
    }
    return ctx;
}

SSL_CTX* TlsAuthority::makeContext(const std::string& name) {
    if (caCert_ == nullptr) {
        return nullptr;
    }
    X509* cert = newCertificate(leafKey_, name, serial_++);
    if (cert == nullptr) {
        return nullptr;
    }
    std::string altNames = isIpv4(name) ? "IP:" + name : "DNS:" + name;
    if (name == "localhost") {
        altNames += ",IP:127.0.0.1";
    }
    const bool made = X509_set_issuer_name(cert, X509_get_subject_name(caCert_)) == 1 &&
                      addExtension(cert, caCert_, NID_basic_constraints, "critical,CA:FALSE") &&
                      addExtension(cert, caCert_, NID_key_usage, "critical,digitalSignature") &&
                      addExtension(cert, caCert_, NID_ext_key_usage, "serverAuth") &&
                      addExtension(cert, caCert_, NID_subject_alt_name, altNames) &&
                      addExtension(cert, caCert_, NID_subject_key_identifier, "hash") &&
                      addExtension(cert, caCert_, NID_authority_key_identifier, "keyid:always") &&
                      X509_sign(cert, caKey_, EVP_sha256()) != 0;
    SSL_CTX* ctx = made ? SSL_CTX_new(TLS_server_method()) : nullptr;
    if (ctx != nullptr &&
        (SSL_CTX_use_certificate(ctx, cert) != 1 || SSL_CTX_use_PrivateKey(ctx, leafKey_) != 1)) {
        SSL_CTX_free(ctx);
        ctx = nullptr;
    }
    X509_free(cert);
    return ctx;
}

}  // namespace arlo::standin
