#include "SodiumAeads.hpp"

#include <stdexcept>
#include <string>
#include <vector>

#include <sodium.h>

namespace zelkor::reference {

namespace {

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

std::size_t nonceBytesOf(SodiumAeadKind kind) {
    switch (kind) {
    case SodiumAeadKind::ChaCha20Poly1305: return crypto_aead_chacha20poly1305_ietf_NPUBBYTES;
    case SodiumAeadKind::XChaCha20Poly1305: return crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
    case SodiumAeadKind::AES256GCM: return crypto_aead_aes256gcm_NPUBBYTES;
    }
    return 0;
}

void requireLengths(SodiumAeadKind kind, std::size_t nonceBytes, std::size_t tagBytes) {
    if (nonceBytes != nonceBytesOf(kind)) {
        throw std::invalid_argument("libsodium AEAD: nonce of " + std::to_string(nonceBytes) + " bytes, needs " +
                                    std::to_string(nonceBytesOf(kind)));
    }
    if (tagBytes != 16) {
        throw std::invalid_argument("libsodium AEAD: tag of " + std::to_string(tagBytes) + " bytes, needs 16");
    }
}

// libsodium declares its buffer arguments non-null even when their length is
// 0, where an empty ByteString or vector has no storage: point those at a byte.
const std::uint8_t* nonNull(const std::uint8_t* data) {
    static const std::uint8_t none = 0;
    return data ? data : &none;
}
std::uint8_t* nonNull(std::uint8_t* data) {
    static std::uint8_t none = 0;
    return data ? data : &none;
}

}  // namespace

bool sodiumAeadAvailable(SodiumAeadKind kind) {
    if (!sodiumReady()) return false;
    return kind != SodiumAeadKind::AES256GCM || crypto_aead_aes256gcm_is_available() == 1;
}

namespace detail {

AeadSealed sodiumSeal(SodiumAeadKind kind, const std::uint8_t* key, const ByteString& nonce, const ByteString& aad,
                      const ByteString& plaintext, std::size_t tagBytes) {
    requireLengths(kind, nonce.size(), tagBytes);
    std::vector<std::uint8_t> ciphertext(plaintext.size());
    std::vector<std::uint8_t> tag(16);
    unsigned long long tagLength = 0;
    int result = -1;
    switch (kind) {
    case SodiumAeadKind::ChaCha20Poly1305:
        result = crypto_aead_chacha20poly1305_ietf_encrypt_detached(
            nonNull(ciphertext.data()), nonNull(tag.data()), &tagLength, nonNull(plaintext.data()), plaintext.size(),
            nonNull(aad.data()), aad.size(), nullptr, nonNull(nonce.data()), key);
        break;
    case SodiumAeadKind::XChaCha20Poly1305:
        result = crypto_aead_xchacha20poly1305_ietf_encrypt_detached(
            nonNull(ciphertext.data()), nonNull(tag.data()), &tagLength, nonNull(plaintext.data()), plaintext.size(),
            nonNull(aad.data()), aad.size(), nullptr, nonNull(nonce.data()), key);
        break;
    case SodiumAeadKind::AES256GCM:
        result = crypto_aead_aes256gcm_encrypt_detached(
            nonNull(ciphertext.data()), nonNull(tag.data()), &tagLength, nonNull(plaintext.data()), plaintext.size(),
            nonNull(aad.data()), aad.size(), nullptr, nonNull(nonce.data()), key);
        break;
    }
    if (result != 0 || tagLength != 16) throw std::runtime_error("libsodium AEAD: encryption failed");
    return {ByteString(std::move(ciphertext)), ByteString(std::move(tag))};
}

std::optional<ByteString> sodiumOpen(SodiumAeadKind kind, const std::uint8_t* key, const ByteString& nonce,
                                     const ByteString& aad, const ByteString& ciphertext, const ByteString& tag) {
    requireLengths(kind, nonce.size(), tag.size());
    std::vector<std::uint8_t> plaintext(ciphertext.size());
    int result = -1;
    switch (kind) {
    case SodiumAeadKind::ChaCha20Poly1305:
        result = crypto_aead_chacha20poly1305_ietf_decrypt_detached(
            nonNull(plaintext.data()), nullptr, nonNull(ciphertext.data()), ciphertext.size(), nonNull(tag.data()),
            nonNull(aad.data()), aad.size(), nonNull(nonce.data()), key);
        break;
    case SodiumAeadKind::XChaCha20Poly1305:
        result = crypto_aead_xchacha20poly1305_ietf_decrypt_detached(
            nonNull(plaintext.data()), nullptr, nonNull(ciphertext.data()), ciphertext.size(), nonNull(tag.data()),
            nonNull(aad.data()), aad.size(), nonNull(nonce.data()), key);
        break;
    case SodiumAeadKind::AES256GCM:
        result = crypto_aead_aes256gcm_decrypt_detached(nonNull(plaintext.data()), nullptr, nonNull(ciphertext.data()),
                                                        ciphertext.size(), nonNull(tag.data()), nonNull(aad.data()),
                                                        aad.size(), nonNull(nonce.data()), key);
        break;
    }
    if (result != 0) return std::nullopt;
    return ByteString(std::move(plaintext));
}

}  // namespace detail

}  // namespace zelkor::reference
