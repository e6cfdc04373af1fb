#include "OpenSSLOcb.hpp"

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <openssl/evp.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference::ocb {

namespace {

const EVP_CIPHER* cipherFor(std::size_t keyBytes) {
    switch (keyBytes) {
    case 16: return EVP_aes_128_ocb();
    case 24: return EVP_aes_192_ocb();
    case 32: return EVP_aes_256_ocb();
    default: throw std::invalid_argument("AES-OCB: key of " + std::to_string(keyBytes) + " bytes");
    }
}

void requireLengths(std::size_t nonceBytes, std::size_t tagBytes) {
    if (!acceptsNonce(nonceBytes)) {
        throw std::invalid_argument("AES-OCB: nonce of " + std::to_string(nonceBytes) + " bytes, needs 1 to 15");
    }
    if (!acceptsTag(tagBytes)) {
        throw std::invalid_argument("AES-OCB: tag of " + std::to_string(tagBytes) + " bytes, needs 1 to 16");
    }
}

int intLength(std::size_t n) {
    if (n > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::invalid_argument("AES-OCB: input of " + std::to_string(n) + " bytes is too long");
    }
    return static_cast<int>(n);
}

// The lengths, key and nonce, the tag (its length when sealing, the expected
// one when opening) and the AAD.
detail::CipherCtx start(const ByteString& key, const ByteString& nonce, const ByteString& aad, std::size_t tagBytes,
                        const ByteString* expectedTag, int encrypt) {
    requireLengths(nonce.size(), tagBytes);
    detail::CipherCtx ctx = detail::newCipherCtx();
    detail::check(EVP_CipherInit_ex(ctx.get(), cipherFor(key.size()), nullptr, nullptr, nullptr, encrypt),
                  "EVP_CipherInit_ex");
    detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_SET_IVLEN, static_cast<int>(nonce.size()), nullptr),
                  "EVP_CTRL_AEAD_SET_IVLEN");
    // The length first: an expected tag must have the length already set.
    detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_SET_TAG, static_cast<int>(tagBytes), nullptr),
                  "EVP_CTRL_AEAD_SET_TAG (length)");
    if (expectedTag != nullptr) {
        std::vector<std::uint8_t> tag(expectedTag->begin(), expectedTag->end());
        detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_SET_TAG, static_cast<int>(tagBytes), tag.data()),
                      "EVP_CTRL_AEAD_SET_TAG");
    }
    detail::check(EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, key.data(), nonce.data(), encrypt),
                  "EVP_CipherInit_ex");
    if (aad.size() > 0) {
        int written = 0;
        detail::check(EVP_CipherUpdate(ctx.get(), nullptr, &written, aad.data(), intLength(aad.size())),
                      "EVP_CipherUpdate (AAD)");
    }
    return ctx;
}

// The text through the cipher and the final call; false when the final call
// fails (a tag that does not match, when opening).
bool run(const detail::CipherCtx& ctx, const ByteString& in, std::vector<std::uint8_t>& out) {
    out.assign(in.size() + 32, 0);
    int written = 0, final = 0;
    if (in.size() > 0) {
        detail::check(EVP_CipherUpdate(ctx.get(), out.data(), &written, in.data(), intLength(in.size())),
                      "EVP_CipherUpdate");
    }
    if (EVP_CipherFinal_ex(ctx.get(), out.data() + written, &final) != 1) return false;
    out.resize(static_cast<std::size_t>(written + final));
    return true;
}

}  // namespace

bool acceptsNonce(std::size_t bytes) { return bytes >= 1 && bytes <= 15; }
bool acceptsTag(std::size_t bytes) { return bytes >= 1 && bytes <= 16; }

AeadSealed seal(const ByteString& key, const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                std::size_t tagBytes) {
    const detail::CipherCtx ctx = start(key, nonce, aad, tagBytes, nullptr, 1);
    std::vector<std::uint8_t> ciphertext;
    if (!run(ctx, plaintext, ciphertext)) detail::throwOpenSSLError("EVP_CipherFinal_ex");
    std::vector<std::uint8_t> tag(tagBytes);
    detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_GET_TAG, static_cast<int>(tagBytes), tag.data()),
                  "EVP_CTRL_AEAD_GET_TAG");
    return {ByteString(std::move(ciphertext)), ByteString(std::move(tag))};
}

std::optional<ByteString> open(const ByteString& key, const ByteString& nonce, const ByteString& aad,
                               const ByteString& ciphertext, const ByteString& tag) {
    const detail::CipherCtx ctx = start(key, nonce, aad, tag.size(), &tag, 0);
    std::vector<std::uint8_t> plaintext;
    if (!run(ctx, ciphertext, plaintext)) return std::nullopt;
    return ByteString(std::move(plaintext));
}

}  // namespace zelkor::reference::ocb
