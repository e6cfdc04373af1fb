#pragma once
// Random inputs of the conformance groups, drawn from rc::Random directly.
//
// A cipher case holds a key of keyLength/8 bytes, an IV, a message of two to
// six whole blocks and a partial block of 1..b-1 bytes (so every case has
// several blocks and a partial one), the length of a short prefix (0..2b),
// a chunk plan, and the masks the sensitivity properties flip bytes with.
// Chunk plans mix chunks of 0, 1, b-1, b and b+1 bytes with ones of 0..3b.
// Bytes are uniform over 0..255 whatever the size parameter: an all-zero
// message would make a ciphertext equal to its keystream.

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::tests::detail {

inline std::size_t uniformBelow(rc::Random& random, std::size_t n) {
    return n == 0 ? 0 : static_cast<std::size_t>(random.next() % n);
}

inline ByteString uniformBytes(rc::Random& random, std::size_t n) {
    std::vector<std::uint8_t> out(n);
    for (auto& byte : out) byte = static_cast<std::uint8_t>(random.next());
    return ByteString(std::move(out));
}

// A byte mask with at least one of its top seven bits set, so flipping a key
// byte with it changes the key even for a cipher that ignores parity bits.
inline std::uint8_t topBitsMask(rc::Random& random) {
    const auto mask = static_cast<std::uint8_t>(random.next());
    return (mask & 0xfe) != 0 ? mask : static_cast<std::uint8_t>(mask | 0x80);
}

// Chunk sizes around the block boundary, mixed with random ones.
inline std::vector<std::size_t> drawChunkPlan(rc::Random& random, std::size_t blockBytes, std::size_t total) {
    const std::size_t edges[] = {0, 1, blockBytes > 0 ? blockBytes - 1 : 0, blockBytes, blockBytes + 1};
    std::vector<std::size_t> plan;
    for (std::size_t covered = 0; covered < total;) {
        const std::size_t pick = uniformBelow(random, 6);
        const std::size_t size = pick < 5 ? edges[pick] : uniformBelow(random, 3 * blockBytes + 1);
        plan.push_back(size);
        covered += size;
    }
    return plan;
}

// `bytes` cut by the plan; what the plan does not cover is the last chunk.
inline ChunkedByteString chunkByPlan(const ByteString& bytes, const std::vector<std::size_t>& plan) {
    std::vector<ByteString> chunks;
    std::size_t at = 0;
    for (std::size_t size : plan) {
        chunks.push_back(bytes.drop(at).take(size));
        at += size;
    }
    chunks.push_back(bytes.drop(at));
    return ChunkedByteString::fromChunks(std::move(chunks));
}

inline std::ostream& operator<<(std::ostream& os, const std::vector<std::size_t>& plan) {
    os << '[';
    for (std::size_t i = 0; i < plan.size(); ++i) os << (i ? ", " : "") << plan[i];
    return os << ']';
}

// The strides of the checks that cover key bytes and message lengths a part
// per case.
inline constexpr std::size_t kKeyByteStride = 8;
inline constexpr std::size_t kLengthStride = 8;

template <class K>
struct CipherCase {
    ByteString key;
    ByteString iv;
    ByteString message;
    std::size_t shortLength = 0;
    std::vector<std::size_t> plan;
    std::vector<std::uint8_t> keyMasks;  // one per key byte
    std::size_t keyStart = 0;            // the first key byte changed
    std::size_t ivPosition = 0;
    std::uint8_t ivMask = 1;

    static CipherCase draw(rc::Random random) {
        const std::size_t b = blockBytes<K>();
        const std::size_t keyBytes = K::keyLength > 0 ? static_cast<std::size_t>(K::keyLength) / 8 : 0;
        CipherCase c;
        c.key = uniformBytes(random, keyBytes);
        c.iv = uniformBytes(random, b);
        const std::size_t tail = b > 1 ? 1 + uniformBelow(random, b - 1) : 0;
        c.message = uniformBytes(random, b * (2 + uniformBelow(random, 5)) + tail);
        c.shortLength = uniformBelow(random, 2 * b + 1);
        c.plan = drawChunkPlan(random, b, c.message.size());
        for (std::size_t i = 0; i < keyBytes; ++i) c.keyMasks.push_back(topBitsMask(random));
        c.keyStart = uniformBelow(random, kKeyByteStride);
        c.ivPosition = uniformBelow(random, b);
        c.ivMask = static_cast<std::uint8_t>(1 + uniformBelow(random, 255));
        return c;
    }

    friend std::ostream& operator<<(std::ostream& os, const CipherCase& c) {
        return os << "key " << c.key << ", IV " << c.iv << ", message " << c.message << ", short prefix "
                  << c.shortLength << " bytes, chunk plan " << c.plan;
    }
};

// A message of 3B+1 bytes (B the digest's block length in bytes), a chunk
// plan for it, a key of 3B bytes, the lengths of the HMAC key and message
// (0..3B each) and the mask for the encoding check.
struct DigestCase {
    ByteString message;
    std::vector<std::size_t> plan;
    ByteString key;
    std::size_t keyLength = 0;
    std::size_t hmacMessageLength = 0;
    std::size_t lengthStart = 0;  // the first of every eighth length checked
    std::uint8_t mask = 1;

    static DigestCase draw(rc::Random random, std::size_t blockBytes) {
        DigestCase c;
        c.message = uniformBytes(random, 3 * blockBytes + 1);
        c.plan = drawChunkPlan(random, blockBytes, c.message.size());
        c.key = uniformBytes(random, 3 * blockBytes);
        c.keyLength = uniformBelow(random, 3 * blockBytes + 1);
        c.hmacMessageLength = uniformBelow(random, 3 * blockBytes + 1);
        c.lengthStart = uniformBelow(random, kLengthStride);
        c.mask = static_cast<std::uint8_t>(1 + uniformBelow(random, 255));
        return c;
    }

    friend std::ostream& operator<<(std::ostream& os, const DigestCase& c) {
        return os << "message " << c.message << ", chunk plan " << c.plan << ", key " << c.key.take(c.keyLength)
                  << ", HMAC message of " << c.hmacMessageLength << " bytes";
    }
};

// Gives DigestCase the digest's block length through its type.
template <class D>
struct DigestCaseOf : DigestCase {};

}  // namespace zelkor::tests::detail

namespace rc {

template <class K>
struct Arbitrary<zelkor::tests::detail::CipherCase<K>> {
    static Gen<zelkor::tests::detail::CipherCase<K>> arbitrary() {
        return [](const Random& random, int) {
            return shrinkable::just(zelkor::tests::detail::CipherCase<K>::draw(random));
        };
    }
};

template <class D>
struct Arbitrary<zelkor::tests::detail::DigestCaseOf<D>> {
    static Gen<zelkor::tests::detail::DigestCaseOf<D>> arbitrary() {
        return [](const Random& random, int) {
            const auto blockBytes = static_cast<std::size_t>(D::blockLength > 0 ? D::blockLength / 8 : 0);
            return shrinkable::just(
                zelkor::tests::detail::DigestCaseOf<D>{zelkor::tests::detail::DigestCase::draw(random, blockBytes)});
        };
    }
};

}  // namespace rc
