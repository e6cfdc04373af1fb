#include "OpenSSLErrors.hpp"

#include <openssl/err.h>

namespace zelkor::reference::detail {

void throwOpenSSLError(const std::string& call) {
    std::string message = call + " failed";
    // The queue is per thread; draining it keeps later calls' reports clean.
    while (const unsigned long code = ERR_get_error()) {
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        message += std::string(": ") + text;
    }
    throw OpenSSLError(message);
}

CipherCtx newCipherCtx() {
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx) throwOpenSSLError("EVP_CIPHER_CTX_new");
    return ctx;
}

}  // namespace zelkor::reference::detail
