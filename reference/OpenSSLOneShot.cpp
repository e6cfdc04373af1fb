#include "OpenSSLOneShot.hpp"

#include <map>
#include <mutex>
#include <vector>

#include <openssl/err.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference::detail {

namespace {

// Fetched once per name (an implicit fetch on every init is slow in OpenSSL
// 3); they stay alive until the process ends.
const EVP_CIPHER* fetched(const std::string& name) {
    static std::mutex lock;
    // Never destroyed, so the fetched objects stay reachable to the end.
    static auto& ciphers = *new std::map<std::string, EVP_CIPHER*>;
    const std::lock_guard<std::mutex> guard(lock);
    EVP_CIPHER*& cipher = ciphers[name];
    if (cipher == nullptr) {
        cipher = EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr);
        if (cipher == nullptr) throwOpenSSLError("EVP_CIPHER_fetch " + name);
    }
    return cipher;
}

}  // namespace

OneShotResult openSSLOneShot(const std::string& cipher, bool encrypt, std::span<const std::uint8_t> key,
                             const ByteString& iv, const ByteString& input, bool padding, std::size_t bits) {
    const EVP_CIPHER* evp = fetched(cipher);
    if (key.size() != static_cast<std::size_t>(EVP_CIPHER_get_key_length(evp))) {
        throw std::invalid_argument(cipher + ": key of " + std::to_string(key.size()) + " bytes");
    }
    if (iv.size() != static_cast<std::size_t>(EVP_CIPHER_get_iv_length(evp))) {
        throw std::invalid_argument(cipher + ": IV of " + std::to_string(iv.size()) + " bytes");
    }
    const std::size_t units = bits > 0 ? bits : input.size();
    if (units > (std::size_t{1} << 30) || (bits > 0 && input.size() != (bits + 7) / 8)) {
        throw std::invalid_argument(cipher + ": input of " + std::to_string(input.size()) + " bytes for " +
                                    std::to_string(units) + " units");
    }
    CipherCtx ctx = newCipherCtx();
    check(EVP_CipherInit_ex2(ctx.get(), evp, key.data(), iv.data(), encrypt ? 1 : 0, nullptr), "EVP_CipherInit_ex2");
    check(EVP_CIPHER_CTX_set_padding(ctx.get(), padding ? 1 : 0), "EVP_CIPHER_CTX_set_padding");
    if (bits > 0) EVP_CIPHER_CTX_set_flags(ctx.get(), EVP_CIPH_FLAG_LENGTH_BITS);
    std::vector<std::uint8_t> out(input.size() + 32, 0);
    int produced = 0;
    // An empty input is handed over as a pointer to a byte, never null.
    const std::uint8_t none = 0;
    const std::uint8_t* in = input.empty() ? &none : input.data();
    if (units > 0) {
        check(EVP_CipherUpdate(ctx.get(), out.data(), &produced, in, static_cast<int>(units)), "EVP_CipherUpdate");
    }
    // In bit mode OpenSSL counts its output in bits.
    std::size_t length = bits > 0 ? (static_cast<std::size_t>(produced) + 7) / 8 : static_cast<std::size_t>(produced);
    int tail = 0;
    OneShotResult result;
    if (EVP_CipherFinal_ex(ctx.get(), out.data() + length, &tail) != 1) {
        ERR_clear_error();
        return result;
    }
    length += static_cast<std::size_t>(tail);
    if (bits > 0 && bits % 8 != 0) out[length - 1] &= static_cast<std::uint8_t>(0xff << (8 - bits % 8));
    out.resize(length);
    result.bytes = ByteString(std::move(out));
    std::vector<std::uint8_t> next(iv.size(), 0);
    if (!next.empty() && EVP_CIPHER_CTX_get_updated_iv(ctx.get(), next.data(), next.size()) == 1) {
        result.nextIV = ByteString(std::move(next));
    }
    return result;
}

}  // namespace zelkor::reference::detail
