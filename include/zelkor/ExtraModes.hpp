#pragma once
// Modes beyond the five of Modes.hpp, generic over any block cipher:
//
//   cfb8 / unCfb8 (key, iv, bytes) -> std::pair<ByteString, IV<K>>
//       CFB with 8-bit feedback: one byte at a time, the register shifted by
//       one byte. Next IV: the register after the last byte (the last
//       blockSize/8 bytes of IV || ciphertext).
//   cfb1 / unCfb1 (key, iv, bytes, bitCount) -> std::pair<ByteString, IV<K>>
//       CFB with 1-bit feedback. Its input and output are counted in bits:
//       the first bitCount bits of `bytes`, each byte's most significant bit
//       first; `bytes` holds exactly ceil(bitCount / 8) bytes and output bits
//       past bitCount are zero. cfb1(key, iv, bytes) takes every bit of whole
//       bytes. Next IV: the register after the last bit.
//   xts / unXts (dataKey, tweakKey, tweak, bytes) -> ByteString
//       XTS over a cipher of 128-bit blocks: two keys, a 16-byte tweak (the
//       data unit's number, little-endian, or any 16 bytes), data units of 16
//       bytes or more; a trailing partial block is handled by ciphertext
//       stealing. Another tweak length or a unit under 16 bytes throws
//       std::invalid_argument.
//   cbcPKCS7 (key, iv, bytes) -> ByteString
//   unCbcPKCS7 (key, iv, bytes) -> std::optional<ByteString>
//       CBC over the message padded as padPKCS7 pads it; decryption gives no
//       plaintext at all for a ciphertext that is empty, not whole blocks, or
//       whose last block does not end in a valid pad.
//
// Own members are honoured under the rule of Modes.hpp: a cipher with
//   std::pair<ByteString, IV<K>> cfb8(const IV<K>&, const ByteString&) const;
//   std::pair<ByteString, IV<K>> cfb1(const IV<K>&, const ByteString&, std::size_t bitCount) const;
//   ByteString xts(const K& tweakKey, const ByteString& tweak, const ByteString&) const;  // on the data key
//   ByteString cbcPKCS7(const IV<K>&, const ByteString&) const;
//   std::optional<ByteString> unCbcPKCS7(const IV<K>&, const ByteString&) const;
// (and the un... forms) gets them called, with the arguments unchecked, so its
// own refusals are what gets tested; a member of one of these names that does
// not fit is a compile error.

#include <concepts>
#include <cstddef>
#include <optional>
#include <utility>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Modes.hpp"
#include "zelkor/Padding.hpp"
#include "zelkor/detail/ExtraModeCore.hpp"
#include "zelkor/detail/OwnMembers.hpp"

namespace zelkor {

// A block cipher XTS can run over.
template <class K>
concept XtsBlockCipher = BlockCipher<K> && (K::blockSize == 128);

namespace detail {

template <class K>
using FeedbackPair = std::pair<ByteString, IV<K>>;

#define ZELKOR_DETAIL_OWN_CALL(name, Result, ...)                                                        \
    template <class K>                                                                                    \
    concept OwnFits_##name = requires(const K& k) {                                                       \
        { k.name(__VA_ARGS__) } -> std::same_as<Result>;                                                 \
    };                                                                                                    \
    template <class K>                                                                                    \
    concept UsesOwn_##name = OwnFits_##name<K> || HasMemberNamed_##name<K>;

ZELKOR_DETAIL_OWN_CALL(cfb8, FeedbackPair<K>, std::declval<const IV<K>&>(),
                       std::declval<const ByteString&>())
ZELKOR_DETAIL_OWN_CALL(unCfb8, FeedbackPair<K>, std::declval<const IV<K>&>(),
                       std::declval<const ByteString&>())
ZELKOR_DETAIL_OWN_CALL(cfb1, FeedbackPair<K>, std::declval<const IV<K>&>(),
                       std::declval<const ByteString&>(), std::size_t{})
ZELKOR_DETAIL_OWN_CALL(unCfb1, FeedbackPair<K>, std::declval<const IV<K>&>(),
                       std::declval<const ByteString&>(), std::size_t{})
ZELKOR_DETAIL_OWN_CALL(xts, ByteString, std::declval<const K&>(), std::declval<const ByteString&>(),
                       std::declval<const ByteString&>())
ZELKOR_DETAIL_OWN_CALL(unXts, ByteString, std::declval<const K&>(), std::declval<const ByteString&>(),
                       std::declval<const ByteString&>())
ZELKOR_DETAIL_OWN_CALL(cbcPKCS7, ByteString, std::declval<const IV<K>&>(), std::declval<const ByteString&>())
ZELKOR_DETAIL_OWN_CALL(unCbcPKCS7, std::optional<ByteString>, std::declval<const IV<K>&>(),
                       std::declval<const ByteString&>())

#undef ZELKOR_DETAIL_OWN_CALL

template <class K>
std::pair<ByteString, IV<K>> withNextIV(FeedbackResult run) {
    return {std::move(run.bytes), *IV<K>::decode(run.nextIV)};
}

}  // namespace detail

template <BlockCipher K>
std::pair<ByteString, IV<K>> cfb8(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_cfb8<K>) {
        static_assert(detail::OwnFits_cfb8<K>, "K::cfb8 must be callable as: "
                                               "std::pair<ByteString, IV<K>> cfb8(const IV<K>&, const ByteString&) const");
        return key.cfb8(iv, bytes);
    } else {
        detail::requireBlockBytes<K>("cfb8");
        return detail::withNextIV<K>(detail::cfb8Run(detail::encryptionOf(key), iv.bytes(), bytes, true));
    }
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unCfb8(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_unCfb8<K>) {
        static_assert(detail::OwnFits_unCfb8<K>,
                      "K::unCfb8 must be callable as: "
                      "std::pair<ByteString, IV<K>> unCfb8(const IV<K>&, const ByteString&) const");
        return key.unCfb8(iv, bytes);
    } else {
        detail::requireBlockBytes<K>("unCfb8");
        return detail::withNextIV<K>(detail::cfb8Run(detail::encryptionOf(key), iv.bytes(), bytes, false));
    }
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> cfb1(const K& key, const IV<K>& iv, const ByteString& bytes, std::size_t bitCount) {
    if constexpr (detail::UsesOwn_cfb1<K>) {
        static_assert(detail::OwnFits_cfb1<K>,
                      "K::cfb1 must be callable as: "
                      "std::pair<ByteString, IV<K>> cfb1(const IV<K>&, const ByteString&, std::size_t) const");
        return key.cfb1(iv, bytes, bitCount);
    } else {
        detail::requireBlockBytes<K>("cfb1");
        return detail::withNextIV<K>(detail::cfb1Run(detail::encryptionOf(key), iv.bytes(), bytes, bitCount, true));
    }
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unCfb1(const K& key, const IV<K>& iv, const ByteString& bytes, std::size_t bitCount) {
    if constexpr (detail::UsesOwn_unCfb1<K>) {
        static_assert(detail::OwnFits_unCfb1<K>,
                      "K::unCfb1 must be callable as: "
                      "std::pair<ByteString, IV<K>> unCfb1(const IV<K>&, const ByteString&, std::size_t) const");
        return key.unCfb1(iv, bytes, bitCount);
    } else {
        detail::requireBlockBytes<K>("unCfb1");
        return detail::withNextIV<K>(detail::cfb1Run(detail::encryptionOf(key), iv.bytes(), bytes, bitCount, false));
    }
}

// Every bit of whole bytes.
template <BlockCipher K>
std::pair<ByteString, IV<K>> cfb1(const K& key, const IV<K>& iv, const ByteString& bytes) {
    return cfb1(key, iv, bytes, 8 * bytes.size());
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unCfb1(const K& key, const IV<K>& iv, const ByteString& bytes) {
    return unCfb1(key, iv, bytes, 8 * bytes.size());
}

template <XtsBlockCipher K>
ByteString xts(const K& dataKey, const K& tweakKey, const ByteString& tweak, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_xts<K>) {
        static_assert(detail::OwnFits_xts<K>,
                      "K::xts must be callable as: "
                      "ByteString xts(const K& tweakKey, const ByteString& tweak, const ByteString&) const");
        return dataKey.xts(tweakKey, tweak, bytes);
    } else {
        detail::requireXtsBlock(blockBytes<K>());
        return detail::xtsRun(detail::encryptionOf(dataKey), detail::encryptionOf(tweakKey), tweak, bytes, true);
    }
}

template <XtsBlockCipher K>
ByteString unXts(const K& dataKey, const K& tweakKey, const ByteString& tweak, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_unXts<K>) {
        static_assert(detail::OwnFits_unXts<K>,
                      "K::unXts must be callable as: "
                      "ByteString unXts(const K& tweakKey, const ByteString& tweak, const ByteString&) const");
        return dataKey.unXts(tweakKey, tweak, bytes);
    } else {
        detail::requireXtsBlock(blockBytes<K>());
        return detail::xtsRun(detail::decryptionOf(dataKey), detail::encryptionOf(tweakKey), tweak, bytes, false);
    }
}

template <BlockCipher K>
ByteString cbcPKCS7(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_cbcPKCS7<K>) {
        static_assert(detail::OwnFits_cbcPKCS7<K>,
                      "K::cbcPKCS7 must be callable as: ByteString cbcPKCS7(const IV<K>&, const ByteString&) const");
        return key.cbcPKCS7(iv, bytes);
    } else {
        return cbc(key, iv, padPKCS7(detail::requireBlockBytes<K>("cbcPKCS7"), bytes)).first;
    }
}

template <BlockCipher K>
std::optional<ByteString> unCbcPKCS7(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_unCbcPKCS7<K>) {
        static_assert(detail::OwnFits_unCbcPKCS7<K>,
                      "K::unCbcPKCS7 must be callable as: "
                      "std::optional<ByteString> unCbcPKCS7(const IV<K>&, const ByteString&) const");
        return key.unCbcPKCS7(iv, bytes);
    } else {
        const std::size_t n = detail::requireBlockBytes<K>("unCbcPKCS7");
        if (bytes.empty() || bytes.size() % n != 0) return std::nullopt;
        return unpadPKCS7(n, unCbc(key, iv, bytes).first);
    }
}

}  // namespace zelkor
