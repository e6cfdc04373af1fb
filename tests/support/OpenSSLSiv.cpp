#include "OpenSSLSiv.hpp"

#include <limits>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include <openssl/evp.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::testsupport::siv {

namespace detail = reference::detail;

namespace {

// Fetched once per key size and kept to the end of the process.
const EVP_CIPHER* cipherFor(std::size_t keyBytes) {
    const char* name = keyBytes == 32   ? "AES-128-SIV"
                       : keyBytes == 48 ? "AES-192-SIV"
                       : keyBytes == 64 ? "AES-256-SIV"
                                        : nullptr;
    if (name == nullptr) throw std::invalid_argument("AES-SIV: key of " + std::to_string(keyBytes) + " bytes");
    static std::mutex lock;
    static auto& ciphers = *new std::map<std::size_t, EVP_CIPHER*>;
    const std::lock_guard<std::mutex> guard(lock);
    EVP_CIPHER*& cipher = ciphers[keyBytes];
    if (cipher == nullptr) {
        cipher = EVP_CIPHER_fetch(nullptr, name, nullptr);
        if (cipher == nullptr) detail::throwOpenSSLError(std::string("EVP_CIPHER_fetch ") + name);
    }
    return cipher;
}

int intLength(std::size_t n) {
    if (n > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::invalid_argument("AES-SIV: input of " + std::to_string(n) + " bytes is too long");
    }
    return static_cast<int>(n);
}

// Key, expected tag (opening) and the headers: each AAD string, then the nonce unless empty.
detail::CipherCtx start(const ByteString& key, const ByteString& nonce, std::span<const ByteString> aads,
                        const ByteString* expectedTag, int encrypt) {
    if (aads.size() > kMaxAadStrings) {
        throw std::invalid_argument("AES-SIV: " + std::to_string(aads.size()) +
                                    " associated-data strings, takes at most " + std::to_string(kMaxAadStrings));
    }
    detail::CipherCtx ctx = detail::newCipherCtx();
    detail::check(EVP_CipherInit_ex(ctx.get(), cipherFor(key.size()), nullptr, nullptr, nullptr, encrypt),
                  "EVP_CipherInit_ex");
    if (expectedTag != nullptr) {
        std::vector<std::uint8_t> tag(expectedTag->begin(), expectedTag->end());
        detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_SET_TAG, static_cast<int>(tag.size()), tag.data()),
                      "EVP_CTRL_AEAD_SET_TAG");
    }
    detail::check(EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, key.data(), nullptr, encrypt), "EVP_CipherInit_ex");
    const std::uint8_t none = 0;
    int written = 0;
    for (const ByteString& aad : aads) {
        detail::check(EVP_CipherUpdate(ctx.get(), nullptr, &written, aad.size() > 0 ? aad.data() : &none,
                                       intLength(aad.size())),
                      "EVP_CipherUpdate (AAD)");
    }
    if (nonce.size() > 0) {
        detail::check(EVP_CipherUpdate(ctx.get(), nullptr, &written, nonce.data(), intLength(nonce.size())),
                      "EVP_CipherUpdate (nonce)");
    }
    return ctx;
}

void requireTag(std::size_t tagBytes) {
    if (tagBytes != 16) throw std::invalid_argument("AES-SIV: tag of " + std::to_string(tagBytes) + " bytes, needs 16");
}

}  // namespace

AeadSealed seal(const ByteString& key, const ByteString& nonce, std::span<const ByteString> aad,
                const ByteString& plaintext, std::size_t tagBytes) {
    requireTag(tagBytes);
    const detail::CipherCtx ctx = start(key, nonce, aad, nullptr, 1);
    std::vector<std::uint8_t> ciphertext(plaintext.size() + 16);
    const std::uint8_t none = 0;
    int written = 0, final = 0;
    detail::check(EVP_CipherUpdate(ctx.get(), ciphertext.data(), &written,
                                   plaintext.size() > 0 ? plaintext.data() : &none, intLength(plaintext.size())),
                  "EVP_CipherUpdate");
    detail::check(EVP_CipherFinal_ex(ctx.get(), ciphertext.data() + written, &final), "EVP_CipherFinal_ex");
    ciphertext.resize(plaintext.size());
    std::vector<std::uint8_t> tag(16);
    detail::check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_GET_TAG, 16, tag.data()), "EVP_CTRL_AEAD_GET_TAG");
    return {ByteString(std::move(ciphertext)), ByteString(std::move(tag))};
}

std::optional<ByteString> open(const ByteString& key, const ByteString& nonce, std::span<const ByteString> aad,
                               const ByteString& ciphertext, const ByteString& tag) {
    requireTag(tag.size());
    const detail::CipherCtx ctx = start(key, nonce, aad, &tag, 0);
    std::vector<std::uint8_t> plaintext(ciphertext.size() + 16);
    const std::uint8_t none = 0;
    int written = 0, final = 0;
    // The tag is checked once the text is in; a mismatch fails the update or the final call.
    if (EVP_CipherUpdate(ctx.get(), plaintext.data(), &written, ciphertext.size() > 0 ? ciphertext.data() : &none,
                         intLength(ciphertext.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), plaintext.data() + written, &final) != 1) {
        return std::nullopt;
    }
    plaintext.resize(ciphertext.size());
    return ByteString(std::move(plaintext));
}

}  // namespace zelkor::testsupport::siv
