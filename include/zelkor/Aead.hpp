#pragma once
// Authenticated encryption with associated data, whatever the construction.
//
// An AEAD type A is its own key type and declares the lengths it takes:
//
//   static constexpr int keyLength;                       // bits
//   static std::optional<A> buildKey(const ByteString&);   // none for a key it refuses
//   static bool acceptsNonce(std::size_t bytes);
//   static bool acceptsTag(std::size_t bytes);
//   AeadSealed seal(const ByteString& nonce, const ByteString& aad,
//                   const ByteString& plaintext, std::size_t tagBytes) const;
//   std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad,
//                                  const ByteString& ciphertext, const ByteString& tag) const;
//
// seal and open throw (any std::exception) for a nonce or tag length the type
// does not accept; open gives no plaintext at all unless the tag matches. A
// deterministic AEAD accepts only the empty nonce.
//
// GcmAead<K> makes any block cipher with 128-bit blocks an AEAD through
// gcmEncrypt/gcmDecrypt (the cipher's own members when it has them). A cipher
// whose own GCM takes fewer lengths than the generic one declares them with
// the same two static members, acceptsNonce and acceptsTag.

#include <concepts>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "zelkor/ByteString.hpp"
#include "zelkor/Gcm.hpp"

namespace zelkor {

struct AeadSealed {
    ByteString ciphertext;
    ByteString tag;
    friend bool operator==(const AeadSealed&, const AeadSealed&) = default;
};

template <class A>
concept Aead = std::copy_constructible<A> &&
               requires(const A& a, const ByteString& s, std::size_t n) {
                   { A::keyLength } -> std::convertible_to<int>;
                   { A::buildKey(s) } -> std::same_as<std::optional<A>>;
                   { A::acceptsNonce(n) } -> std::same_as<bool>;
                   { A::acceptsTag(n) } -> std::same_as<bool>;
                   { a.seal(s, s, s, n) } -> std::same_as<AeadSealed>;
                   { a.open(s, s, s, s) } -> std::same_as<std::optional<ByteString>>;
               };

namespace detail {

template <class K>
concept DeclaresNonceLengths = requires(std::size_t n) {
    { K::acceptsNonce(n) } -> std::same_as<bool>;
};
template <class K>
concept DeclaresTagLengths = requires(std::size_t n) {
    { K::acceptsTag(n) } -> std::same_as<bool>;
};

}  // namespace detail

// GCM over the block cipher K as an AEAD. Without declarations of its own, K
// takes what the generic GCM takes: nonces of 1 byte or more, tags of 4, 8
// and 12 to 16 bytes.
template <GcmBlockCipher K>
class GcmAead {
public:
    static constexpr int keyLength = K::keyLength;

    explicit GcmAead(K key) : key_(std::move(key)) {}

    static std::optional<GcmAead> buildKey(const ByteString& bytes) {
        std::optional<K> key = K::buildKey(bytes);
        if (!key) return std::nullopt;
        return GcmAead(std::move(*key));
    }

    static bool acceptsNonce(std::size_t bytes) {
        if constexpr (detail::DeclaresNonceLengths<K>) {
            return K::acceptsNonce(bytes);
        } else {
            return bytes >= 1;
        }
    }

    static bool acceptsTag(std::size_t bytes) {
        if constexpr (detail::DeclaresTagLengths<K>) {
            return K::acceptsTag(bytes);
        } else {
            return bytes == 4 || bytes == 8 || (bytes >= 12 && bytes <= 16);
        }
    }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        if constexpr (!detail::UsesOwn_gcmEncrypt<K>) requireDeclared(nonce.size(), tagBytes);
        GcmSealed sealed = gcmEncrypt(key_, nonce, aad, plaintext, tagBytes);
        return {std::move(sealed.ciphertext), std::move(sealed.tag)};
    }

    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        if constexpr (!detail::UsesOwn_gcmDecrypt<K>) requireDeclared(nonce.size(), tag.size());
        return gcmDecrypt(key_, nonce, aad, ciphertext, tag);
    }

    const K& blockCipher() const { return key_; }

private:
    // The generic GCM runs under the lengths K declares; own members are
    // handed every length, so that their own refusals are what gets tested.
    static void requireDeclared(std::size_t nonceBytes, std::size_t tagBytes) {
        if (!acceptsNonce(nonceBytes)) {
            throw std::invalid_argument("GCM: nonce of " + std::to_string(nonceBytes) + " bytes not accepted");
        }
        if (!acceptsTag(tagBytes)) {
            throw std::invalid_argument("GCM: tag of " + std::to_string(tagBytes) + " bytes not accepted");
        }
    }

    K key_;
};

}  // namespace zelkor
