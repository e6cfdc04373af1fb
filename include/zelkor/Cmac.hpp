#pragma once
// CMAC over any block cipher with 64- or 128-bit blocks.
//
//   ByteString cmac(key, message)   // message contiguous or chunked; a block-long tag
//
// The generic implementation chains the cipher's encryptBlock one block at a
// time. A cipher type with its own member
//   ByteString cmac(const ByteString& message) const;
// gets it called instead (a chunked message is handed to it contiguous), under
// the rule of the modes: a member of that name that does not fit is a compile
// error showing the expected signature.
//
// CmacMac<K> makes such a cipher a zelkor::Mac: keys of K::keyLength bits and
// tags of 4 bytes up to a block, the shorter ones prefixes of the full tag.
// A cipher whose own CMAC takes other lengths declares them with static
// members acceptsCmacKey(bytes) and acceptsCmacTag(bytes).

#include <concepts>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Mac.hpp"
#include "zelkor/detail/CmacMath.hpp"
#include "zelkor/detail/OwnMembers.hpp"

namespace zelkor {

// A block cipher CMAC can run over.
template <class K>
concept CmacBlockCipher = BlockCipher<K> && (K::blockSize == 64 || K::blockSize == 128);

namespace detail {

template <class K>
concept OwnFits_cmac = requires(const K& k, const ByteString& b) {
    { k.cmac(b) } -> std::same_as<ByteString>;
};
template <class K>
concept UsesOwn_cmac = OwnFits_cmac<K> || HasMemberNamed_cmac<K> || requires(K& k, const ByteString& b) { k.cmac(b); };

template <class K>
ByteString genericCmac(const K& key, const std::vector<ByteString>& chunks) {
    const EncryptOneBlock encrypt = [&key](const ByteString& block) { return key.encryptBlock(block); };
    return cmacOfChunks(static_cast<std::size_t>(K::blockSize) / 8, encrypt, chunks);
}

template <class K>
ByteString ownCmac(const K& key, const ByteString& message) {
    static_assert(OwnFits_cmac<K>, "K::cmac must be callable as: ByteString cmac(const ByteString& message) const");
    if constexpr (OwnFits_cmac<K>) return key.cmac(message);
    else return {};
}

template <class K>
concept DeclaresCmacKeys = requires(std::size_t n) {
    { K::acceptsCmacKey(n) } -> std::same_as<bool>;
};
template <class K>
concept DeclaresCmacTags = requires(std::size_t n) {
    { K::acceptsCmacTag(n) } -> std::same_as<bool>;
};

}  // namespace detail

template <CmacBlockCipher K>
ByteString cmac(const K& key, const ByteString& message) {
    if constexpr (detail::UsesOwn_cmac<K>) return detail::ownCmac(key, message);
    else return detail::genericCmac(key, std::vector<ByteString>{message});
}

template <CmacBlockCipher K>
ByteString cmac(const K& key, const ChunkedByteString& message) {
    if constexpr (detail::UsesOwn_cmac<K>) return detail::ownCmac(key, message.toStrict());
    else return detail::genericCmac(key, message.chunks());
}

template <CmacBlockCipher K>
class CmacMac {
public:
    static constexpr int tagLength = K::blockSize;

    explicit CmacMac(K key) : key_(std::move(key)) {}

    static bool acceptsKey(std::size_t bytes) {
        if constexpr (detail::DeclaresCmacKeys<K>) return K::acceptsCmacKey(bytes);
        else return bytes * 8 == static_cast<std::size_t>(K::keyLength);
    }

    static bool acceptsTag(std::size_t bytes) {
        if constexpr (detail::DeclaresCmacTags<K>) return K::acceptsCmacTag(bytes);
        else return bytes >= 4 && bytes * 8 <= static_cast<std::size_t>(K::blockSize);
    }

    static std::optional<CmacMac> buildKey(const ByteString& bytes) {
        if (!acceptsKey(bytes.size())) return std::nullopt;
        std::optional<K> key = K::buildKey(bytes);
        if (!key) return std::nullopt;
        return CmacMac(std::move(*key));
    }

    ByteString tag(const ByteString& message, std::size_t tagBytes) const {
        requireTag(tagBytes);
        return cmac(key_, message).take(tagBytes);
    }

    ByteString tag(const ChunkedByteString& message, std::size_t tagBytes) const {
        requireTag(tagBytes);
        return cmac(key_, message).take(tagBytes);
    }

    const K& blockCipher() const { return key_; }

private:
    static void requireTag(std::size_t tagBytes) {
        if (!acceptsTag(tagBytes)) {
            throw std::invalid_argument("CMAC: tag of " + std::to_string(tagBytes) + " bytes not accepted");
        }
    }

    K key_;
};

}  // namespace zelkor
