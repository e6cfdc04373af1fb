#pragma once
// AES-GCM and GCM over any block cipher with 128-bit blocks (NIST SP 800-38D).
//
//   GcmSealed gcmEncrypt(key, iv, aad, plaintext, tagBytes = 16)
//   std::optional<ByteString> gcmDecrypt(key, iv, aad, ciphertext, tag)
//
// The generic implementation works over the cipher's encryptBlock: an IV of
// 12 bytes is used directly, any other (1 byte or more) through GHASH; tags of
// 4, 8 and 12 to 16 bytes, the shorter ones being prefixes of the 16-byte tag;
// the tag is compared in constant time and decryption gives no plaintext at all
// unless it matches. An IV of 0 bytes or another tag length throws
// std::invalid_argument naming the value.
//
// A cipher type with its own members
//   GcmSealed gcmEncrypt(const ByteString& iv, const ByteString& aad,
//                        const ByteString& plaintext, std::size_t tagBytes) const;
//   std::optional<ByteString> gcmDecrypt(const ByteString& iv, const ByteString& aad,
//                                        const ByteString& ciphertext, const ByteString& tag) const;
// gets them called instead, under the rule of the modes: a member of that name
// that does not fit is a compile error showing the expected signature, and a
// member its requires-clause removes for this type counts as absent. The
// parameters are handed to own members unchecked, so their own refusals are
// what gets tested.

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <optional>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/detail/GcmMath.hpp"
#include "zelkor/detail/ModeEngines.hpp"
#include "zelkor/detail/OwnMembers.hpp"

namespace zelkor {

struct GcmSealed {
    ByteString ciphertext;
    ByteString tag;
    friend bool operator==(const GcmSealed&, const GcmSealed&) = default;
};

// A block cipher GCM can run over.
template <class K>
concept GcmBlockCipher = BlockCipher<K> && (K::blockSize == 128);

namespace detail {

inline ByteString bytesOf(const GcmBlock& block) { return ByteString(block.data(), block.size()); }

template <class K>
GcmBlock encryptOneBlock(const K& key, const GcmBlock& block) {
    const ByteString out = encryptBlocks(key, ByteSpan(block));
    GcmBlock result{};
    std::copy(out.begin(), out.end(), result.begin());
    return result;
}

// GCTR from the counter block `counter` on: the counter blocks are encrypted
// in batches, each followed by inc32.
template <class K>
ByteString gcmCounterMode(const K& key, GcmBlock counter, const ByteString& input) {
    constexpr std::size_t kBatchBlocks = 64;
    std::vector<std::uint8_t> out(input.begin(), input.end());
    std::vector<std::uint8_t> counters;
    for (std::size_t pos = 0; pos < out.size(); pos += kBatchBlocks * 16) {
        const std::size_t bytes = std::min(kBatchBlocks * 16, out.size() - pos);
        counters.clear();
        for (std::size_t b = 0; b < (bytes + 15) / 16; ++b) {
            counters.insert(counters.end(), counter.begin(), counter.end());
            inc32(counter);
        }
        const ByteString keystream = encryptBlocks(key, ByteSpan(counters));
        for (std::size_t i = 0; i < bytes; ++i) out[pos + i] ^= keystream[i];
    }
    return ByteString(std::move(out));
}

// H, J0 and E(J0) for one message.
struct GcmSetup {
    GcmBlock h;
    GcmBlock j0;
    GcmBlock encryptedJ0;
};

template <class K>
GcmSetup gcmSetup(const K& key, const ByteString& iv) {
    GcmSetup setup;
    setup.h = encryptOneBlock(key, GcmBlock{});
    setup.j0 = gcmPreCounterBlock(setup.h, iv);
    setup.encryptedJ0 = encryptOneBlock(key, setup.j0);
    return setup;
}

template <class K>
GcmSealed genericGcmEncrypt(const K& key, const ByteString& iv, const ByteString& aad, const ByteString& plaintext,
                            std::size_t tagBytes) {
    checkGcmIv(iv);
    checkGcmTagBytes(tagBytes);
    checkGcmLengths(plaintext.size(), aad.size());
    const GcmSetup setup = gcmSetup(key, iv);
    GcmBlock counter = setup.j0;
    inc32(counter);
    ByteString ciphertext = gcmCounterMode(key, counter, plaintext);
    const GcmBlock tag = gcmTag(setup.h, setup.encryptedJ0, aad, ciphertext);
    return {std::move(ciphertext), ByteString(tag.data(), tagBytes)};
}

template <class K>
std::optional<ByteString> genericGcmDecrypt(const K& key, const ByteString& iv, const ByteString& aad,
                                            const ByteString& ciphertext, const ByteString& tag) {
    checkGcmIv(iv);
    checkGcmTagBytes(tag.size());
    checkGcmLengths(ciphertext.size(), aad.size());
    const GcmSetup setup = gcmSetup(key, iv);
    const GcmBlock expected = gcmTag(setup.h, setup.encryptedJ0, aad, ciphertext);
    if (!constantTimeEqual(std::span(expected.data(), tag.size()), tag.span())) return std::nullopt;
    GcmBlock counter = setup.j0;
    inc32(counter);
    return gcmCounterMode(key, counter, ciphertext);
}

template <class K>
concept OwnFits_gcmEncrypt = requires(const K& k, const ByteString& b, std::size_t tagBytes) {
    { k.gcmEncrypt(b, b, b, tagBytes) } -> std::same_as<GcmSealed>;
};
template <class K>
concept OwnFits_gcmDecrypt = requires(const K& k, const ByteString& b) {
    { k.gcmDecrypt(b, b, b, b) } -> std::same_as<std::optional<ByteString>>;
};
template <class K>
concept UsesOwn_gcmEncrypt = OwnFits_gcmEncrypt<K> || HasMemberNamed_gcmEncrypt<K> ||
                             requires(K& k, const ByteString& b, std::size_t t) { k.gcmEncrypt(b, b, b, t); };
template <class K>
concept UsesOwn_gcmDecrypt = OwnFits_gcmDecrypt<K> || HasMemberNamed_gcmDecrypt<K> ||
                             requires(K& k, const ByteString& b) { k.gcmDecrypt(b, b, b, b); };

}  // namespace detail

template <GcmBlockCipher K>
GcmSealed gcmEncrypt(const K& key, const ByteString& iv, const ByteString& aad, const ByteString& plaintext,
                     std::size_t tagBytes = 16) {
    if constexpr (detail::UsesOwn_gcmEncrypt<K>) {
        static_assert(detail::OwnFits_gcmEncrypt<K>,
                      "K::gcmEncrypt must be callable as: GcmSealed gcmEncrypt(const ByteString& iv, "
                      "const ByteString& aad, const ByteString& plaintext, std::size_t tagBytes) const");
        return key.gcmEncrypt(iv, aad, plaintext, tagBytes);
    } else {
        return detail::genericGcmEncrypt(key, iv, aad, plaintext, tagBytes);
    }
}

template <GcmBlockCipher K>
std::optional<ByteString> gcmDecrypt(const K& key, const ByteString& iv, const ByteString& aad,
                                     const ByteString& ciphertext, const ByteString& tag) {
    if constexpr (detail::UsesOwn_gcmDecrypt<K>) {
        static_assert(detail::OwnFits_gcmDecrypt<K>,
                      "K::gcmDecrypt must be callable as: std::optional<ByteString> gcmDecrypt(const ByteString& iv, "
                      "const ByteString& aad, const ByteString& ciphertext, const ByteString& tag) const");
        return key.gcmDecrypt(iv, aad, ciphertext, tag);
    } else {
        return detail::genericGcmDecrypt(key, iv, aad, ciphertext, tag);
    }
}

}  // namespace zelkor
