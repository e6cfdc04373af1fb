#include "OpenSSLKeyWrap.hpp"

#include <limits>
#include <map>
#include <mutex>
#include <memory>
#include <stdexcept>
#include <string>

#include <openssl/err.h>
#include <openssl/evp.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference::detail {

namespace {

struct CipherFree {
    void operator()(EVP_CIPHER* cipher) const { EVP_CIPHER_free(cipher); }
};

bool isPadded(const char* name) { return std::string(name).find("PAD") != std::string::npos; }

// The cipher of that name, fetched once: a fetch per call costs more than
// the wrap itself.
const EVP_CIPHER* fetched(const char* name) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<EVP_CIPHER, CipherFree>> ciphers;
    const std::lock_guard lock(mutex);
    auto& cipher = ciphers[name];
    if (!cipher) cipher.reset(EVP_CIPHER_fetch(nullptr, name, nullptr));
    if (!cipher) throwOpenSSLError(std::string("EVP_CIPHER_fetch ") + name);
    return cipher.get();
}

// Returns a context set up for one wrap or unwrap, with wrapping allowed.
CipherCtx start(const char* name, const std::vector<std::uint8_t>& key, bool wrap) {
    const EVP_CIPHER* cipher = fetched(name);
    if (static_cast<std::size_t>(EVP_CIPHER_get_key_length(cipher)) != key.size()) {
        throw std::invalid_argument(std::string(name) + ": key of " + std::to_string(key.size()) + " bytes");
    }
    CipherCtx ctx = newCipherCtx();
    EVP_CIPHER_CTX_set_flags(ctx.get(), EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    check(EVP_CipherInit_ex2(ctx.get(), cipher, key.data(), nullptr, wrap ? 1 : 0, nullptr), "EVP_CipherInit_ex2");
    return ctx;
}

}  // namespace

const char* openSSLWrapName(int bits, bool padded, bool inverse) {
    static const char* const names[3][4] = {
        {"AES-128-WRAP", "AES-128-WRAP-PAD", "AES-128-WRAP-INV", "AES-128-WRAP-PAD-INV"},
        {"AES-192-WRAP", "AES-192-WRAP-PAD", "AES-192-WRAP-INV", "AES-192-WRAP-PAD-INV"},
        {"AES-256-WRAP", "AES-256-WRAP-PAD", "AES-256-WRAP-INV", "AES-256-WRAP-PAD-INV"},
    };
    const int row = bits == 128 ? 0 : bits == 192 ? 1 : 2;
    return names[row][(padded ? 1 : 0) + (inverse ? 2 : 0)];
}

ByteString openSSLWrap(const char* name, const std::vector<std::uint8_t>& key, const ByteString& keyData) {
    const bool padded = isPadded(name);
    const std::size_t n = keyData.size();
    if (padded ? (n < 1 || n >= (std::size_t{1} << 30)) : (n % 8 != 0 || n < 16 || n >= (std::size_t{1} << 30))) {
        throw std::invalid_argument(std::string(name) + ": key data of " + std::to_string(n) + " bytes not taken");
    }
    CipherCtx ctx = start(name, key, true);
    std::vector<std::uint8_t> out((n + 7) / 8 * 8 + 8);
    int length = 0;
    check(EVP_CipherUpdate(ctx.get(), out.data(), &length, keyData.data(), static_cast<int>(n)), "EVP_CipherUpdate");
    if (static_cast<std::size_t>(length) != out.size()) {
        throw std::runtime_error(std::string(name) + ": wrap gave " + std::to_string(length) + " bytes");
    }
    return ByteString(std::move(out));
}

std::optional<ByteString> openSSLUnwrap(const char* name, const std::vector<std::uint8_t>& key,
                                        const ByteString& wrapped) {
    // Lengths no key data wraps to; OpenSSL refuses them too, but says so
    // through its error queue.
    if (wrapped.size() % 8 != 0 || wrapped.size() < (isPadded(name) ? 16u : 24u) ||
        wrapped.size() >= (std::size_t{1} << 30)) {
        return std::nullopt;
    }
    CipherCtx ctx = start(name, key, false);
    std::vector<std::uint8_t> out(wrapped.size());
    int length = 0;
    if (EVP_CipherUpdate(ctx.get(), out.data(), &length, wrapped.data(), static_cast<int>(wrapped.size())) != 1 ||
        length <= 0) {
        ERR_clear_error();
        return std::nullopt;
    }
    out.resize(static_cast<std::size_t>(length));
    return ByteString(std::move(out));
}

}  // namespace zelkor::reference::detail
