#pragma once
// CCM over any block cipher with 128-bit blocks (NIST SP 800-38C), and as an
// AEAD.
//
//   CcmSealed ccmEncrypt(key, nonce, aad, plaintext, tagBytes = 16)
//   std::optional<ByteString> ccmDecrypt(key, nonce, aad, ciphertext, tag)
//
// The generic implementation works over the cipher's encryptBlock: nonces of
// 7 to 13 bytes, tags of 4 to 16 bytes and even, a plaintext whose length fits
// the 15 - nonce bytes CCM leaves for it; anything else throws
// std::invalid_argument naming the value. The tag is compared in constant time
// and decryption gives no plaintext at all unless it matches.
//
// A cipher type with its own members
//   CcmSealed ccmEncrypt(const ByteString& nonce, const ByteString& aad,
//                        const ByteString& plaintext, std::size_t tagBytes) const;
//   std::optional<ByteString> ccmDecrypt(const ByteString& nonce, const ByteString& aad,
//                                        const ByteString& ciphertext, const ByteString& tag) const;
// gets them called instead, under the rule of the modes (zelkor/Modes.hpp): a
// member of that name that does not fit is a compile error showing the
// expected signature; a member its requires-clause removes counts as absent.
//
// CcmAead<K> is CCM over K as a zelkor::Aead. K may declare the lengths its own
// CCM takes with static acceptsNonce and acceptsTag, as for GcmAead.

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

#include "zelkor/Aead.hpp"
#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/detail/CcmMath.hpp"
#include "zelkor/detail/ModeEngines.hpp"
#include "zelkor/detail/OwnMembers.hpp"

namespace zelkor {

struct CcmSealed {
    ByteString ciphertext;
    ByteString tag;
    friend bool operator==(const CcmSealed&, const CcmSealed&) = default;
};

// A block cipher CCM can run over.
template <class K>
concept CcmBlockCipher = BlockCipher<K> && (K::blockSize == 128);

namespace detail {

// K's encryptBlock as the block function of the CCM core.
template <class K>
CcmEncryptBlocks ccmBlocksOf(const K& key) {
    return [&key](std::span<std::uint8_t> blocks) {
        const ByteString out = encryptBlocks(key, ByteSpan(blocks));
        std::copy(out.begin(), out.end(), blocks.begin());
    };
}

template <class K>
CcmSealed genericCcmEncrypt(const K& key, const ByteString& nonce, const ByteString& aad,
                            const ByteString& plaintext, std::size_t tagBytes) {
    checkCcmLengths(nonce.size(), tagBytes, plaintext.size());
    auto [ciphertext, tag] = ccmSealWith(ccmBlocksOf(key), nonce, aad, plaintext, tagBytes);
    return {std::move(ciphertext), std::move(tag)};
}

template <class K>
std::optional<ByteString> genericCcmDecrypt(const K& key, const ByteString& nonce, const ByteString& aad,
                                            const ByteString& ciphertext, const ByteString& tag) {
    checkCcmLengths(nonce.size(), tag.size(), ciphertext.size());
    return ccmOpenWith(ccmBlocksOf(key), nonce, aad, ciphertext, tag);
}

template <class K>
concept OwnFits_ccmEncrypt = requires(const K& k, const ByteString& b, std::size_t tagBytes) {
    { k.ccmEncrypt(b, b, b, tagBytes) } -> std::same_as<CcmSealed>;
};
template <class K>
concept OwnFits_ccmDecrypt = requires(const K& k, const ByteString& b) {
    { k.ccmDecrypt(b, b, b, b) } -> std::same_as<std::optional<ByteString>>;
};
template <class K>
concept UsesOwn_ccmEncrypt = OwnFits_ccmEncrypt<K> || HasMemberNamed_ccmEncrypt<K> ||
                             requires(K& k, const ByteString& b, std::size_t t) { k.ccmEncrypt(b, b, b, t); };
template <class K>
concept UsesOwn_ccmDecrypt = OwnFits_ccmDecrypt<K> || HasMemberNamed_ccmDecrypt<K> ||
                             requires(K& k, const ByteString& b) { k.ccmDecrypt(b, b, b, b); };

}  // namespace detail

template <CcmBlockCipher K>
CcmSealed ccmEncrypt(const K& key, const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                     std::size_t tagBytes = 16) {
    if constexpr (detail::UsesOwn_ccmEncrypt<K>) {
        static_assert(detail::OwnFits_ccmEncrypt<K>,
                      "K::ccmEncrypt must be callable as: CcmSealed ccmEncrypt(const ByteString& nonce, "
                      "const ByteString& aad, const ByteString& plaintext, std::size_t tagBytes) const");
        return key.ccmEncrypt(nonce, aad, plaintext, tagBytes);
    } else {
        return detail::genericCcmEncrypt(key, nonce, aad, plaintext, tagBytes);
    }
}

template <CcmBlockCipher K>
std::optional<ByteString> ccmDecrypt(const K& key, const ByteString& nonce, const ByteString& aad,
                                     const ByteString& ciphertext, const ByteString& tag) {
    if constexpr (detail::UsesOwn_ccmDecrypt<K>) {
        static_assert(detail::OwnFits_ccmDecrypt<K>,
                      "K::ccmDecrypt must be callable as: std::optional<ByteString> ccmDecrypt(const ByteString& "
                      "nonce, const ByteString& aad, const ByteString& ciphertext, const ByteString& tag) const");
        return key.ccmDecrypt(nonce, aad, ciphertext, tag);
    } else {
        return detail::genericCcmDecrypt(key, nonce, aad, ciphertext, tag);
    }
}

// CCM over the block cipher K as an AEAD. Without declarations of its own, K
// takes what the generic CCM takes: nonces of 7 to 13 bytes, tags of 4 to 16
// bytes and even.
template <CcmBlockCipher K>
class CcmAead {
public:
    using BlockCipherType = K;
    static constexpr int keyLength = K::keyLength;

    explicit CcmAead(K key) : key_(std::move(key)) {}

    static std::optional<CcmAead> buildKey(const ByteString& bytes) {
        std::optional<K> key = K::buildKey(bytes);
        if (!key) return std::nullopt;
        return CcmAead(std::move(*key));
    }

    static bool acceptsNonce(std::size_t bytes) {
        if constexpr (detail::DeclaresNonceLengths<K>) {
            return K::acceptsNonce(bytes);
        } else {
            return bytes >= 7 && bytes <= 13;
        }
    }

    static bool acceptsTag(std::size_t bytes) {
        if constexpr (detail::DeclaresTagLengths<K>) {
            return K::acceptsTag(bytes);
        } else {
            return bytes >= 4 && bytes <= 16 && bytes % 2 == 0;
        }
    }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        if constexpr (!detail::UsesOwn_ccmEncrypt<K>) requireDeclared(nonce.size(), tagBytes);
        CcmSealed sealed = ccmEncrypt(key_, nonce, aad, plaintext, tagBytes);
        return {std::move(sealed.ciphertext), std::move(sealed.tag)};
    }

    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        if constexpr (!detail::UsesOwn_ccmDecrypt<K>) requireDeclared(nonce.size(), tag.size());
        return ccmDecrypt(key_, nonce, aad, ciphertext, tag);
    }

    const K& blockCipher() const { return key_; }

private:
    // The generic CCM runs under the lengths K declares; own members are
    // handed every length, so that their own refusals are what gets tested.
    static void requireDeclared(std::size_t nonceBytes, std::size_t tagBytes) {
        if (!acceptsNonce(nonceBytes)) {
            throw std::invalid_argument("CCM: nonce of " + std::to_string(nonceBytes) + " bytes not accepted");
        }
        if (!acceptsTag(tagBytes)) {
            throw std::invalid_argument("CCM: tag of " + std::to_string(tagBytes) + " bytes not accepted");
        }
    }

    K key_;
};

}  // namespace zelkor
