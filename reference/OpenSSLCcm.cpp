#include "OpenSSLCcm.hpp"

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <openssl/evp.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference::ccm {

namespace {

const EVP_CIPHER* cipherFor(std::size_t keyBytes) {
    switch (keyBytes) {
    case 16: return EVP_aes_128_ccm();
    case 24: return EVP_aes_192_ccm();
    case 32: return EVP_aes_256_ccm();
    default: throw std::invalid_argument("AES-CCM: key of " + std::to_string(keyBytes) + " bytes");
    }
}

void requireLengths(std::size_t nonceBytes, std::size_t tagBytes) {
    if (!OpenSSLAes128Ccm::acceptsNonce(nonceBytes)) {
        throw std::invalid_argument("AES-CCM: nonce of " + std::to_string(nonceBytes) + " bytes, needs 7 to 13");
    }
    if (!OpenSSLAes128Ccm::acceptsTag(tagBytes)) {
        throw std::invalid_argument("AES-CCM: tag of " + std::to_string(tagBytes) + " bytes, needs 4 to 16, even");
    }
}

int intLength(std::size_t n) {
    if (n > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::invalid_argument("AES-CCM: input of " + std::to_string(n) + " bytes is too long");
    }
    return static_cast<int>(n);
}

// Sets the lengths, key and nonce, the total text length and the AAD. The tag
// is the expected one when opening, else only its length counts.
detail::CipherCtx start(const ByteString& key, const ByteString& nonce, const ByteString& aad,
                        std::size_t textBytes, std::size_t tagBytes, const std::uint8_t* expectedTag, int encrypt) {
    requireLengths(nonce.size(), tagBytes);
    detail::CipherCtx ctx = detail::newCipherCtx();
    detail::check(EVP_CipherInit_ex(ctx.get(), cipherFor(key.size()), nullptr, nullptr, nullptr, encrypt),
                  "EVP_CipherInit_ex");
    detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_SET_IVLEN, static_cast<int>(nonce.size()), nullptr),
                  "EVP_CTRL_AEAD_SET_IVLEN");
    std::vector<std::uint8_t> tag(expectedTag, expectedTag == nullptr ? nullptr : expectedTag + tagBytes);
    detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_SET_TAG, static_cast<int>(tagBytes),
                                      expectedTag == nullptr ? nullptr : tag.data()),
                  "EVP_CTRL_AEAD_SET_TAG");
    detail::check(EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, key.data(), nonce.data(), encrypt),
                  "EVP_CipherInit_ex");
    int written = 0;
    detail::check(EVP_CipherUpdate(ctx.get(), nullptr, &written, nullptr, intLength(textBytes)),
                  "EVP_CipherUpdate (length)");
    if (aad.size() > 0) {
        detail::check(EVP_CipherUpdate(ctx.get(), nullptr, &written, aad.data(), intLength(aad.size())),
                      "EVP_CipherUpdate (AAD)");
    }
    return ctx;
}

}  // namespace

AeadSealed seal(const ByteString& key, const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                std::size_t tagBytes) {
    const detail::CipherCtx ctx = start(key, nonce, aad, plaintext.size(), tagBytes, nullptr, 1);
    std::vector<std::uint8_t> ciphertext(plaintext.size() + 16);
    const std::uint8_t none = 0;
    int written = 0, final = 0;
    detail::check(EVP_CipherUpdate(ctx.get(), ciphertext.data(), &written,
                                   plaintext.size() > 0 ? plaintext.data() : &none, intLength(plaintext.size())),
                  "EVP_CipherUpdate");
    detail::check(EVP_CipherFinal_ex(ctx.get(), ciphertext.data() + written, &final), "EVP_CipherFinal_ex");
    ciphertext.resize(plaintext.size());
    std::vector<std::uint8_t> tag(tagBytes);
    detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_GET_TAG, static_cast<int>(tagBytes), tag.data()),
                  "EVP_CTRL_AEAD_GET_TAG");
    return {ByteString(std::move(ciphertext)), ByteString(std::move(tag))};
}

std::optional<ByteString> open(const ByteString& key, const ByteString& nonce, const ByteString& aad,
                               const ByteString& ciphertext, const ByteString& tag) {
    const detail::CipherCtx ctx = start(key, nonce, aad, ciphertext.size(), tag.size(), tag.data(), 0);
    std::vector<std::uint8_t> plaintext(ciphertext.size() + 16);
    const std::uint8_t none = 0;
    int written = 0;
    // CCM checks the tag in this call: it fails when the tag does not match.
    if (EVP_CipherUpdate(ctx.get(), plaintext.data(), &written, ciphertext.size() > 0 ? ciphertext.data() : &none,
                         intLength(ciphertext.size())) != 1) {
        return std::nullopt;
    }
    plaintext.resize(ciphertext.size());
    return ByteString(std::move(plaintext));
}

}  // namespace zelkor::reference::ccm
