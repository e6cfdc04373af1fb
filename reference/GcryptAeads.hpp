#pragma once
// libgcrypt's AES-SIV, AES-GCM-SIV and AES-EAX as zelkor::Aead types, a
// whole message per call. SIV's key is two AES keys (256, 384 or 512 bits);
// each associated-data string is one header and a non-empty nonce another
// after them, the empty nonce being the deterministic form; its tag (the
// synthetic IV) is 16 bytes. libgcrypt takes 126 headers, the nonce included,
// so SIV declares 125 strings. GCM-SIV takes 12-byte nonces and 16-byte tags;
// EAX takes nonces of any length and tags of 1 to 16 bytes. Other lengths are
// refused with std::invalid_argument before libgcrypt sees them.

#include <cstddef>
#include <optional>
#include <span>
#include <utility>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

enum class GcryptAeadMode { Siv, GcmSiv, Eax };

namespace gcrypt_aead {
bool acceptsNonce(GcryptAeadMode mode, std::size_t bytes);
bool acceptsTag(GcryptAeadMode mode, std::size_t bytes);
AeadSealed seal(GcryptAeadMode mode, const ByteString& key, const ByteString& nonce, std::span<const ByteString> aad,
                const ByteString& plaintext, std::size_t tagBytes);
std::optional<ByteString> open(GcryptAeadMode mode, const ByteString& key, const ByteString& nonce,
                               std::span<const ByteString> aad, const ByteString& ciphertext, const ByteString& tag);
}  // namespace gcrypt_aead

template <GcryptAeadMode Mode, int Bits>
class GcryptAesAead {
public:
    static constexpr int keyLength = Bits;
    static constexpr std::size_t maxAadStrings = Mode == GcryptAeadMode::Siv ? 125 : 1;

    static std::optional<GcryptAesAead> buildKey(const ByteString& bytes) {
        if (bytes.size() * 8 != static_cast<std::size_t>(Bits)) return std::nullopt;
        return GcryptAesAead(bytes);
    }
    static bool acceptsNonce(std::size_t bytes) { return gcrypt_aead::acceptsNonce(Mode, bytes); }
    static bool acceptsTag(std::size_t bytes) { return gcrypt_aead::acceptsTag(Mode, bytes); }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return gcrypt_aead::seal(Mode, key_, nonce, {&aad, 1}, plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        return gcrypt_aead::open(Mode, key_, nonce, {&aad, 1}, ciphertext, tag);
    }
    AeadSealed seal(const ByteString& nonce, std::span<const ByteString> aad, const ByteString& plaintext,
                    std::size_t tagBytes) const
        requires(maxAadStrings > 1)
    {
        return gcrypt_aead::seal(Mode, key_, nonce, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, std::span<const ByteString> aad,
                                   const ByteString& ciphertext, const ByteString& tag) const
        requires(maxAadStrings > 1)
    {
        return gcrypt_aead::open(Mode, key_, nonce, aad, ciphertext, tag);
    }

private:
    explicit GcryptAesAead(ByteString key) : key_(std::move(key)) {}
    ByteString key_;
};

using GcryptAes128Siv = GcryptAesAead<GcryptAeadMode::Siv, 256>;
using GcryptAes192Siv = GcryptAesAead<GcryptAeadMode::Siv, 384>;
using GcryptAes256Siv = GcryptAesAead<GcryptAeadMode::Siv, 512>;
using GcryptAes128GcmSiv = GcryptAesAead<GcryptAeadMode::GcmSiv, 128>;
using GcryptAes256GcmSiv = GcryptAesAead<GcryptAeadMode::GcmSiv, 256>;
using GcryptAes128Eax = GcryptAesAead<GcryptAeadMode::Eax, 128>;
using GcryptAes192Eax = GcryptAesAead<GcryptAeadMode::Eax, 192>;
using GcryptAes256Eax = GcryptAesAead<GcryptAeadMode::Eax, 256>;

}  // namespace zelkor::reference
