#pragma once
// libsodium's AEADs as zelkor::Aead types: ChaCha20-Poly1305 (IETF, 12-byte
// nonces), XChaCha20-Poly1305 (24-byte nonces) and AES-256-GCM (12-byte nonces,
// AES-NI machines only). Each takes 16-byte tags only, as libsodium does, and
// declares so: other lengths are refused with std::invalid_argument.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

enum class SodiumAeadKind { ChaCha20Poly1305, XChaCha20Poly1305, AES256GCM };

// False when libsodium cannot run the AEAD here (AES-256-GCM without AES-NI).
bool sodiumAeadAvailable(SodiumAeadKind kind);

namespace detail {
AeadSealed sodiumSeal(SodiumAeadKind kind, const std::uint8_t* key, const ByteString& nonce, const ByteString& aad,
                      const ByteString& plaintext, std::size_t tagBytes);
std::optional<ByteString> sodiumOpen(SodiumAeadKind kind, const std::uint8_t* key, const ByteString& nonce,
                                     const ByteString& aad, const ByteString& ciphertext, const ByteString& tag);
}  // namespace detail

template <SodiumAeadKind Kind, std::size_t NonceBytes>
class SodiumAead {
public:
    static constexpr int keyLength = 256;

    static std::optional<SodiumAead> buildKey(const ByteString& bytes) {
        if (bytes.size() != keyLength / 8 || !sodiumAeadAvailable(Kind)) return std::nullopt;
        SodiumAead aead;
        std::copy(bytes.begin(), bytes.end(), aead.key_.begin());
        return aead;
    }

    static bool acceptsNonce(std::size_t bytes) { return bytes == NonceBytes; }
    static bool acceptsTag(std::size_t bytes) { return bytes == 16; }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return detail::sodiumSeal(Kind, key_.data(), nonce, aad, plaintext, tagBytes);
    }

    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        return detail::sodiumOpen(Kind, key_.data(), nonce, aad, ciphertext, tag);
    }

private:
    std::array<std::uint8_t, 32> key_{};
};

using SodiumChaCha20Poly1305 = SodiumAead<SodiumAeadKind::ChaCha20Poly1305, 12>;
using SodiumXChaCha20Poly1305 = SodiumAead<SodiumAeadKind::XChaCha20Poly1305, 24>;
using SodiumAES256GCM = SodiumAead<SodiumAeadKind::AES256GCM, 12>;

}  // namespace zelkor::reference
