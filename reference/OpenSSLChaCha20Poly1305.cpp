#include "OpenSSLChaCha20Poly1305.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <openssl/evp.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference {

namespace {

void requireLengths(std::size_t nonceBytes, std::size_t tagBytes) {
    if (!OpenSSLChaCha20Poly1305::acceptsNonce(nonceBytes)) {
        throw std::invalid_argument("ChaCha20-Poly1305: nonce of " + std::to_string(nonceBytes) + " bytes, needs 12");
    }
    if (!OpenSSLChaCha20Poly1305::acceptsTag(tagBytes)) {
        throw std::invalid_argument("ChaCha20-Poly1305: tag of " + std::to_string(tagBytes) + " bytes, needs 16");
    }
}

int intLength(std::size_t n) {
    if (n > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::invalid_argument("ChaCha20-Poly1305: input of " + std::to_string(n) + " bytes is too long");
    }
    return static_cast<int>(n);
}

// Starts the context for one message and feeds the AAD.
detail::CipherCtx start(const std::uint8_t* key, const ByteString& nonce, const ByteString& aad, int encrypt) {
    detail::CipherCtx ctx = detail::newCipherCtx();
    detail::check(EVP_CipherInit_ex(ctx.get(), EVP_chacha20_poly1305(), nullptr, nullptr, nullptr, encrypt),
                  "EVP_CipherInit_ex");
    detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_SET_IVLEN, 12, nullptr), "EVP_CTRL_AEAD_SET_IVLEN");
    detail::check(EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, key, nonce.data(), encrypt), "EVP_CipherInit_ex");
    int written = 0;
    if (aad.size() > 0) {
        detail::check(EVP_CipherUpdate(ctx.get(), nullptr, &written, aad.data(), intLength(aad.size())),
                      "EVP_CipherUpdate (AAD)");
    }
    return ctx;
}

}  // namespace

std::optional<OpenSSLChaCha20Poly1305> OpenSSLChaCha20Poly1305::buildKey(const ByteString& bytes) {
    if (bytes.size() != 32) return std::nullopt;
    OpenSSLChaCha20Poly1305 aead;
    std::copy(bytes.begin(), bytes.end(), aead.key_.begin());
    return aead;
}

AeadSealed OpenSSLChaCha20Poly1305::seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                                         std::size_t tagBytes) const {
    requireLengths(nonce.size(), tagBytes);
    const detail::CipherCtx ctx = start(key_.data(), nonce, aad, 1);
    std::vector<std::uint8_t> ciphertext(plaintext.size() + 1);
    int written = 0, final = 0;
    detail::check(EVP_CipherUpdate(ctx.get(), ciphertext.data(), &written, plaintext.data(),
                                   intLength(plaintext.size())),
                  "EVP_CipherUpdate");
    detail::check(EVP_CipherFinal_ex(ctx.get(), ciphertext.data() + written, &final), "EVP_CipherFinal_ex");
    ciphertext.resize(plaintext.size());
    std::vector<std::uint8_t> tag(16);
    detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_GET_TAG, 16, tag.data()), "EVP_CTRL_AEAD_GET_TAG");
    return {ByteString(std::move(ciphertext)), ByteString(std::move(tag))};
}

std::optional<ByteString> OpenSSLChaCha20Poly1305::open(const ByteString& nonce, const ByteString& aad,
                                                        const ByteString& ciphertext, const ByteString& tag) const {
    requireLengths(nonce.size(), tag.size());
    const detail::CipherCtx ctx = start(key_.data(), nonce, aad, 0);
    std::vector<std::uint8_t> plaintext(ciphertext.size() + 1);
    int written = 0, final = 0;
    detail::check(EVP_CipherUpdate(ctx.get(), plaintext.data(), &written, ciphertext.data(),
                                   intLength(ciphertext.size())),
                  "EVP_CipherUpdate");
    std::vector<std::uint8_t> expected(tag.begin(), tag.end());
    detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_SET_TAG, 16, expected.data()), "EVP_CTRL_AEAD_SET_TAG");
    if (EVP_CipherFinal_ex(ctx.get(), plaintext.data() + written, &final) != 1) return std::nullopt;
    plaintext.resize(ciphertext.size());
    return ByteString(std::move(plaintext));
}

}  // namespace zelkor::reference
