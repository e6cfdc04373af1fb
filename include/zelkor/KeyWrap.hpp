#pragma once
// Key wrap: key data encrypted under a key-encryption key with an integrity
// check, and given back only when that check holds.
//
// A key wrap type W is its own key type and declares the key-data lengths it
// wraps:
//
//   static constexpr int keyLength;                            // bits
//   static std::optional<W> buildKey(const ByteString&);        // none for a key it refuses
//   static bool acceptsLength(std::size_t bytes);
//   ByteString wrap(const ByteString& keyData) const;           // throws for a length not accepted
//   std::optional<ByteString> unwrap(const ByteString& wrapped) const;
//
// unwrap gives nothing at all unless the integrity check holds; a wrapped
// length that no accepted key data gives may also be refused with an exception.
//
// AES-KW and AES-KWP over any block cipher with 128-bit blocks:
//
//   ByteString kwWrap(key, keyData)          std::optional<ByteString> kwUnwrap(key, wrapped)
//   ByteString kwpWrap(key, keyData)         std::optional<ByteString> kwpUnwrap(key, wrapped)
//
// KW wraps multiples of 8 bytes, 16 or more; KWP any length from 1 to 2^32 - 1
// bytes; other lengths throw std::invalid_argument. A cipher type with its
// own members of these names, taking (const ByteString&) const and returning
// as above, gets them called instead, under the rule of the modes: a member
// of that name that does not fit is a compile error showing the expected
// signature. KeyWrapOf<K, Padding, Direction> makes any such cipher a key
// wrap type; Direction Inverse wraps with the cipher's decryption (the
// inverse-cipher variants), always through the generic construction.

#include <concepts>
#include <cstddef>
#include <optional>
#include <utility>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/detail/KeyWrapCore.hpp"
#include "zelkor/detail/OwnMembers.hpp"

namespace zelkor {

template <class W>
concept KeyWrap = std::copy_constructible<W> && requires(const W& w, const ByteString& s, std::size_t n) {
    { W::keyLength } -> std::convertible_to<int>;
    { W::buildKey(s) } -> std::same_as<std::optional<W>>;
    { W::acceptsLength(n) } -> std::same_as<bool>;
    { w.wrap(s) } -> std::same_as<ByteString>;
    { w.unwrap(s) } -> std::same_as<std::optional<ByteString>>;
};

template <class K>
concept KeyWrapBlockCipher = BlockCipher<K> && (K::blockSize == 128);

namespace detail {

#define ZELKOR_DETAIL_KEYWRAP_OWN(name)                                                             \
    template <class K, class Result>                                                                \
    concept OwnFits_##name = requires(const K& k, const ByteString& b) {                            \
        { k.name(b) } -> std::same_as<Result>;                                                      \
    };                                                                                              \
    template <class K>                                                                              \
    concept UsesOwn_##name = HasMemberNamed_##name<K> || requires(K& k, const ByteString& b) { k.name(b); };

ZELKOR_DETAIL_KEYWRAP_OWN(kwWrap)
ZELKOR_DETAIL_KEYWRAP_OWN(kwUnwrap)
ZELKOR_DETAIL_KEYWRAP_OWN(kwpWrap)
ZELKOR_DETAIL_KEYWRAP_OWN(kwpUnwrap)

#undef ZELKOR_DETAIL_KEYWRAP_OWN

template <class K>
KeyWrapBlock keyWrapEncryptionOf(const K& key) {
    return [key](const ByteString& b) { return key.encryptBlock(b); };
}
template <class K>
KeyWrapBlock keyWrapDecryptionOf(const K& key) {
    return [key](const ByteString& b) { return key.decryptBlock(b); };
}

}  // namespace detail

#define ZELKOR_KEYWRAP_OPERATION(name, Result, generic, block)                                                  \
    template <KeyWrapBlockCipher K>                                                                             \
    Result name(const K& key, const ByteString& bytes) {                                                        \
        if constexpr (detail::UsesOwn_##name<K>) {                                                              \
            static_assert(detail::OwnFits_##name<K, Result>,                                                    \
                          "K::" #name " must be callable as: " #Result " " #name "(const ByteString&) const");  \
            return key.name(bytes);                                                                             \
        } else {                                                                                                \
            return detail::generic(detail::block(key), bytes);                                                  \
        }                                                                                                       \
    }

ZELKOR_KEYWRAP_OPERATION(kwWrap, ByteString, kwWrapWith, keyWrapEncryptionOf)
ZELKOR_KEYWRAP_OPERATION(kwUnwrap, std::optional<ByteString>, kwUnwrapWith, keyWrapDecryptionOf)
ZELKOR_KEYWRAP_OPERATION(kwpWrap, ByteString, kwpWrapWith, keyWrapEncryptionOf)
ZELKOR_KEYWRAP_OPERATION(kwpUnwrap, std::optional<ByteString>, kwpUnwrapWith, keyWrapDecryptionOf)

#undef ZELKOR_KEYWRAP_OPERATION

enum class KeyWrapPadding { None, Padded };        // KW or KWP
enum class KeyWrapDirection { Forward, Inverse };  // wrapping with the cipher's encryption or decryption

// KW or KWP over the block cipher K as a key wrap type.
template <KeyWrapBlockCipher K, KeyWrapPadding Padding, KeyWrapDirection Direction = KeyWrapDirection::Forward>
class KeyWrapOf {
public:
    static constexpr int keyLength = K::keyLength;
    static constexpr bool padded = Padding == KeyWrapPadding::Padded;
    static constexpr bool inverse = Direction == KeyWrapDirection::Inverse;

    explicit KeyWrapOf(K key) : key_(std::move(key)) {}

    static std::optional<KeyWrapOf> buildKey(const ByteString& bytes) {
        std::optional<K> key = K::buildKey(bytes);
        if (!key) return std::nullopt;
        return KeyWrapOf(std::move(*key));
    }

    static bool acceptsLength(std::size_t bytes) {
        return padded ? detail::kwpAcceptsLength(bytes) : detail::kwAcceptsLength(bytes);
    }

    ByteString wrap(const ByteString& keyData) const {
        if constexpr (inverse) {
            return padded ? detail::kwpWrapWith(detail::keyWrapDecryptionOf(key_), keyData)
                          : detail::kwWrapWith(detail::keyWrapDecryptionOf(key_), keyData);
        } else {
            return padded ? kwpWrap(key_, keyData) : kwWrap(key_, keyData);
        }
    }

    std::optional<ByteString> unwrap(const ByteString& wrapped) const {
        if constexpr (inverse) {
            return padded ? detail::kwpUnwrapWith(detail::keyWrapEncryptionOf(key_), wrapped)
                          : detail::kwUnwrapWith(detail::keyWrapEncryptionOf(key_), wrapped);
        } else {
            return padded ? kwpUnwrap(key_, wrapped) : kwUnwrap(key_, wrapped);
        }
    }

    const K& blockCipher() const { return key_; }

private:
    K key_;
};

}  // namespace zelkor
