#pragma once
// OpenSSL's AES-OCB (OCB3) as a zelkor::Aead: nonces of 1 to 15 bytes and
// tags of 1 to 16 bytes, declared; other lengths are refused with
// std::invalid_argument before OpenSSL sees them.

#include <cstddef>
#include <optional>
#include <utility>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

namespace ocb {
bool acceptsNonce(std::size_t bytes);
bool acceptsTag(std::size_t bytes);
AeadSealed seal(const ByteString& key, const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                std::size_t tagBytes);
std::optional<ByteString> open(const ByteString& key, const ByteString& nonce, const ByteString& aad,
                               const ByteString& ciphertext, const ByteString& tag);
}  // namespace ocb

template <int Bits>
class OpenSSLAesOcb {
public:
    static constexpr int keyLength = Bits;

    static std::optional<OpenSSLAesOcb> buildKey(const ByteString& bytes) {
        if (bytes.size() * 8 != static_cast<std::size_t>(Bits)) return std::nullopt;
        return OpenSSLAesOcb(bytes);
    }
    static bool acceptsNonce(std::size_t bytes) { return ocb::acceptsNonce(bytes); }
    static bool acceptsTag(std::size_t bytes) { return ocb::acceptsTag(bytes); }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return ocb::seal(key_, nonce, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        return ocb::open(key_, nonce, aad, ciphertext, tag);
    }

private:
    explicit OpenSSLAesOcb(ByteString key) : key_(std::move(key)) {}
    ByteString key_;
};

using OpenSSLAes128Ocb = OpenSSLAesOcb<128>;
using OpenSSLAes192Ocb = OpenSSLAesOcb<192>;
using OpenSSLAes256Ocb = OpenSSLAesOcb<256>;

}  // namespace zelkor::reference
