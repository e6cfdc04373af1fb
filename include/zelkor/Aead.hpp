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
// The associated data is a list of strings, and a type declares how many it
// takes: most AEADs authenticate one string, but SIV authenticates each string
// of a list as its own component (S2V), so ["ab"] and ["a", "b"] differ and no
// single string can stand for the list. Every AEAD therefore declares
//
//   static constexpr std::size_t maxAadStrings;            // absent: 1
//
// and a type declaring more than 1 also takes the list in
//
//   AeadSealed seal(const ByteString& nonce, std::span<const ByteString> aad,
//                   const ByteString& plaintext, std::size_t tagBytes) const;
//   std::optional<ByteString> open(const ByteString& nonce, std::span<const ByteString> aad,
//                                  const ByteString& ciphertext, const ByteString& tag) const;
//
// which throw for more strings than declared. A list of one string and the
// one-string members must agree. sealWithAad/openWithAad call the right form.
//
// GcmAead<K> makes any block cipher with 128-bit blocks an AEAD through
// gcmEncrypt/gcmDecrypt (the cipher's own members when it has them). A cipher
// whose own GCM takes fewer lengths than the generic one declares them with
// the same two static members, acceptsNonce and acceptsTag.

#include <concepts>
#include <cstddef>
#include <optional>
#include <span>
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

namespace detail {

template <class A>
concept DeclaresAadStrings = requires {
    { A::maxAadStrings } -> std::convertible_to<std::size_t>;
};

}  // namespace detail

// How many associated-data strings A takes: its declaration, or 1.
template <class A>
constexpr std::size_t maxAadStringsOf() {
    if constexpr (detail::DeclaresAadStrings<A>) {
        return A::maxAadStrings;
    } else {
        return 1;
    }
}

template <class A>
concept TakesAadLists = requires(const A& a, const ByteString& s, std::span<const ByteString> list, std::size_t n) {
    { a.seal(s, list, s, n) } -> std::same_as<AeadSealed>;
    { a.open(s, list, s, s) } -> std::same_as<std::optional<ByteString>>;
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
               } && maxAadStringsOf<A>() >= 1 && (maxAadStringsOf<A>() == 1 || TakesAadLists<A>);

namespace detail {
[[noreturn]] inline void throwTooManyAadStrings(std::size_t given, std::size_t declared) {
    throw std::invalid_argument("AEAD: " + std::to_string(given) + " associated-data strings, the type takes at most " +
                                std::to_string(declared));
}
}  // namespace detail

// Seals with the associated data as a list: one string through the one-string
// member, any other count through the list member of a type declaring more
// than 1 (for SIV no string differs from one empty string); for a type of one
// string, none is the empty string. More strings than A declares throw
// std::invalid_argument.
template <Aead A>
AeadSealed sealWithAad(const A& key, const ByteString& nonce, std::span<const ByteString> aad,
                       const ByteString& plaintext, std::size_t tagBytes) {
    if (aad.size() == 1) return key.seal(nonce, aad.front(), plaintext, tagBytes);
    if constexpr (maxAadStringsOf<A>() > 1) {
        if (aad.size() <= maxAadStringsOf<A>()) return key.seal(nonce, aad, plaintext, tagBytes);
    } else {
        if (aad.empty()) return key.seal(nonce, ByteString(), plaintext, tagBytes);
    }
    detail::throwTooManyAadStrings(aad.size(), maxAadStringsOf<A>());
}

template <Aead A>
std::optional<ByteString> openWithAad(const A& key, const ByteString& nonce, std::span<const ByteString> aad,
                                      const ByteString& ciphertext, const ByteString& tag) {
    if (aad.size() == 1) return key.open(nonce, aad.front(), ciphertext, tag);
    if constexpr (maxAadStringsOf<A>() > 1) {
        if (aad.size() <= maxAadStringsOf<A>()) return key.open(nonce, aad, ciphertext, tag);
    } else {
        if (aad.empty()) return key.open(nonce, ByteString(), ciphertext, tag);
    }
    detail::throwTooManyAadStrings(aad.size(), maxAadStringsOf<A>());
}

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
