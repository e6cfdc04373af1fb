#pragma once
// Turning OpenSSL failures into exceptions, and owning handles for its objects.

#include <memory>
#include <stdexcept>
#include <string>

#include <openssl/evp.h>

namespace zelkor::reference::detail {

// Thrown when an OpenSSL call fails; the message names the call and carries
// OpenSSL's own error text.
class OpenSSLError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void throwOpenSSLError(const std::string& call);

inline void check(int result, const char* call) {
    if (result != 1) throwOpenSSLError(call);
}

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

struct DigestCtxFree {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};
using DigestCtx = std::unique_ptr<EVP_MD_CTX, DigestCtxFree>;

struct MacCtxFree {
    void operator()(EVP_MAC_CTX* ctx) const { EVP_MAC_CTX_free(ctx); }
};
using MacCtx = std::unique_ptr<EVP_MAC_CTX, MacCtxFree>;

CipherCtx newCipherCtx();

}  // namespace zelkor::reference::detail
