#pragma once
// OpenSSL's AES-SIV ("AES-128-SIV", ...) as a zelkor::Aead: a second SIV,
// independent of libgcrypt's (the reference). Its key is two AES keys (256,
// 384 or 512 bits). Each associated-data string is one header and a non-empty
// nonce another, after them; the empty nonce is the deterministic form.
// OpenSSL sets no limit on headers; S2V allows 126 before the text, the
// nonce's included, so it declares 125 strings. The tag (the synthetic IV) is 16 bytes. OpenSSL 3.0 fails to
// seal or open an empty plaintext (its final call fails): std::runtime_error.

#include <cstddef>
#include <optional>
#include <span>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

namespace siv {
inline constexpr std::size_t kMaxAadStrings = 125;
AeadSealed seal(const ByteString& key, const ByteString& nonce, std::span<const ByteString> aad,
                const ByteString& plaintext, std::size_t tagBytes);
std::optional<ByteString> open(const ByteString& key, const ByteString& nonce, std::span<const ByteString> aad,
                               const ByteString& ciphertext, const ByteString& tag);
}  // namespace siv

template <int Bits>
class OpenSSLAesSiv {
public:
    static constexpr int keyLength = Bits;
    static constexpr std::size_t maxAadStrings = siv::kMaxAadStrings;

    static std::optional<OpenSSLAesSiv> buildKey(const ByteString& bytes) {
        if (bytes.size() * 8 != static_cast<std::size_t>(Bits)) return std::nullopt;
        return OpenSSLAesSiv(bytes);
    }
    static bool acceptsNonce(std::size_t) { return true; }
    static bool acceptsTag(std::size_t bytes) { return bytes == 16; }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return siv::seal(key_, nonce, {&aad, 1}, plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        return siv::open(key_, nonce, {&aad, 1}, ciphertext, tag);
    }
    AeadSealed seal(const ByteString& nonce, std::span<const ByteString> aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return siv::seal(key_, nonce, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, std::span<const ByteString> aad,
                                   const ByteString& ciphertext, const ByteString& tag) const {
        return siv::open(key_, nonce, aad, ciphertext, tag);
    }

private:
    explicit OpenSSLAesSiv(ByteString key) : key_(std::move(key)) {}
    ByteString key_;
};

using OpenSSLAes128Siv = OpenSSLAesSiv<256>;
using OpenSSLAes192Siv = OpenSSLAesSiv<384>;
using OpenSSLAes256Siv = OpenSSLAesSiv<512>;

}  // namespace zelkor::testsupport
