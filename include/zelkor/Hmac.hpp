#pragma once
// HMAC (RFC 2104) over any Hash D:
//   H((K' ^ opad) || H((K' ^ ipad) || message))
// where K' is the key, hashed first when longer than a block of D, then padded
// with zeros to a block. A digest type with its own static hmac (overloads for
// ByteString and ChunkedByteString messages, both returning D) gets that
// called instead; a member named hmac that does not fit is a compile error.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/detail/OwnMembers.hpp"

namespace zelkor {

namespace detail {

// The key as one block of D: hashed first when longer than a block, then
// padded with zeros.
template <Hash D>
std::vector<std::uint8_t> hmacKeyBlock(const ByteString& key) {
    if (D::blockLength < 8) {
        throw std::invalid_argument("hmac: the digest's block length (" + std::to_string(D::blockLength) +
                                    " bits) is less than one byte");
    }
    const std::size_t blockBytes = static_cast<std::size_t>(D::blockLength) / 8;
    const ByteString shortKey = key.size() > blockBytes ? D::hash(key).encode() : key;
    std::vector<std::uint8_t> block(blockBytes, 0);
    for (std::size_t i = 0; i < shortKey.size() && i < blockBytes; ++i) block[i] = shortKey[i];
    return block;
}

inline ByteString xorWith(std::vector<std::uint8_t> block, std::uint8_t pad) {
    for (auto& byte : block) byte ^= pad;
    return ByteString(std::move(block));
}

// The message reaches D::hash as chunks behind the inner key block, so a long
// message is never gathered into one buffer.
template <Hash D>
D genericHmac(const ByteString& key, std::vector<ByteString> messageChunks) {
    const std::vector<std::uint8_t> keyBlock = hmacKeyBlock<D>(key);
    messageChunks.insert(messageChunks.begin(), xorWith(keyBlock, 0x36));
    const D innerDigest = D::hash(ChunkedByteString::fromChunks(std::move(messageChunks)));
    return D::hash(xorWith(keyBlock, 0x5c) + innerDigest.encode());
}

// Whether D's own hmac can stand in for the generic one: both overloads,
// static, returning D.
template <class D>
concept OwnHmacFits = requires(const ByteString& key, const ByteString& m, const ChunkedByteString& chunked) {
    { D::hmac(key, m) } -> std::same_as<D>;
    { D::hmac(key, chunked) } -> std::same_as<D>;
};

// Whether hmac calls D's own: one that fits, or one that is there for this D
// but does not fit (a compile error then).
template <class D>
concept UsesOwnHmac = OwnHmacFits<D> || HasMemberNamed_hmac<D> ||
                      requires(const ByteString& key, const ByteString& m) { D::hmac(key, m); };

// D's own hmac for either form of the message; one that does not fit is a
// compile error rather than passed over. Every caller, the conformance check
// included, comes through here, so the error is this assertion alone and not
// a conversion failure deep inside the library.
template <class D, class Message>
D ownHmac(const ByteString& key, const Message& message) {
    static_assert(OwnHmacFits<D>,
                  "D::hmac must be callable as: static D hmac(const ByteString& key, const ByteString&) "
                  "and static D hmac(const ByteString& key, const ChunkedByteString&)");
    if constexpr (OwnHmacFits<D>) return D::hmac(key, message);
    else std::abort();  // not reached: the assertion above has already failed the build
}

}  // namespace detail

template <Hash D>
D hmac(const ByteString& key, const ChunkedByteString& message) {
    if constexpr (detail::UsesOwnHmac<D>) return detail::ownHmac<D>(key, message);
    else return detail::genericHmac<D>(key, message.chunks());
}

template <Hash D>
D hmac(const ByteString& key, const ByteString& message) {
    if constexpr (detail::UsesOwnHmac<D>) return detail::ownHmac<D>(key, message);
    else return detail::genericHmac<D>(key, std::vector<ByteString>{message});
}

}  // namespace zelkor
