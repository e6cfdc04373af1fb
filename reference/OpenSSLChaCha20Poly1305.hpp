#pragma once
// OpenSSL's ChaCha20-Poly1305 (RFC 8439) as a zelkor::Aead: 12-byte nonces and
// 16-byte tags, declared; other lengths are refused with std::invalid_argument
// (OpenSSL itself would take shorter nonces and tags).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

class OpenSSLChaCha20Poly1305 {
public:
    static constexpr int keyLength = 256;

    static std::optional<OpenSSLChaCha20Poly1305> buildKey(const ByteString& bytes);
    static bool acceptsNonce(std::size_t bytes) { return bytes == 12; }
    static bool acceptsTag(std::size_t bytes) { return bytes == 16; }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const;
    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const;

private:
    std::array<std::uint8_t, 32> key_{};
};

}  // namespace zelkor::reference
