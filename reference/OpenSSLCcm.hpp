#pragma once
// OpenSSL's AES-CCM as a zelkor::Aead: nonces of 7 to 13 bytes and tags of 4
// to 16 bytes and even, declared; other lengths are refused with
// std::invalid_argument before OpenSSL sees them.

#include <cstddef>
#include <optional>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

namespace ccm {
AeadSealed seal(const ByteString& key, const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                std::size_t tagBytes);
std::optional<ByteString> open(const ByteString& key, const ByteString& nonce, const ByteString& aad,
                               const ByteString& ciphertext, const ByteString& tag);
}  // namespace ccm

template <int Bits>
class OpenSSLAesCcm {
public:
    static constexpr int keyLength = Bits;

    static std::optional<OpenSSLAesCcm> buildKey(const ByteString& bytes) {
        if (bytes.size() * 8 != static_cast<std::size_t>(Bits)) return std::nullopt;
        return OpenSSLAesCcm(bytes);
    }
    static bool acceptsNonce(std::size_t bytes) { return bytes >= 7 && bytes <= 13; }
    static bool acceptsTag(std::size_t bytes) { return bytes >= 4 && bytes <= 16 && bytes % 2 == 0; }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return ccm::seal(key_, nonce, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        return ccm::open(key_, nonce, aad, ciphertext, tag);
    }

private:
    explicit OpenSSLAesCcm(ByteString key) : key_(std::move(key)) {}
    ByteString key_;
};

using OpenSSLAes128Ccm = OpenSSLAesCcm<128>;
using OpenSSLAes192Ccm = OpenSSLAesCcm<192>;
using OpenSSLAes256Ccm = OpenSSLAesCcm<256>;

}  // namespace zelkor::reference
