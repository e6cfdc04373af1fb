#pragma once
// The properties every MAC must have, over the key and tag lengths its type
// declares; a counterexample names the lengths drawn.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/Mac.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/aead/AeadPropTests.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropHelpers.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests::mac_detail {

// Lengths around the blocks of the usual MACs (8, 16, 64, 128 and 136 bytes).
inline constexpr std::array<std::size_t, 20> kMessageLengths = {0,   1,   7,   8,   9,   15,  16,  17,  31,  32,
                                                                33,  63,  64,  65,  128, 129, 136, 137, 255, 1000};
inline constexpr std::array<std::size_t, 5> kBlockSizes = {8, 16, 64, 128, 136};

template <Mac M>
const std::vector<std::size_t>& keyLengths() {
    static const std::vector<std::size_t> lengths =
        aead_detail::declaredLengths([](std::size_t n) { return M::acceptsKey(n); }, 64);
    return lengths;
}

template <Mac M>
const std::vector<std::size_t>& tagLengths() {
    static const std::vector<std::size_t> lengths =
        aead_detail::declaredLengths([](std::size_t n) { return M::acceptsTag(n); }, 64);
    return lengths;
}

template <Mac M>
constexpr std::size_t fullTagBytes() {
    return static_cast<std::size_t>(M::tagLength) / 8;
}

inline ByteString bytesOf(const ByteString& material, std::uint8_t salt, std::size_t n) {
    return detail::keyBytesFromMaterial(material + ByteString{salt}, static_cast<long>(n));
}

template <Mac M>
ByteString drawKeyBytes(const ByteString& material) {
    RC_PRE(!keyLengths<M>().empty());
    const std::size_t n = *rc::gen::elementOf(keyLengths<M>());
    RC_LOG() << "key of " << n << " bytes\n";
    return bytesOf(material, 0, n);
}

template <Mac M>
M keyOrDiscard(const ByteString& bytes) {
    std::optional<M> key = M::buildKey(bytes);
    if (!key) RC_FAIL("buildKey refused a key of " + std::to_string(bytes.size()) + " bytes, a declared length");
    return std::move(*key);
}

inline ByteString drawMessage(const ByteString& material) {
    const std::size_t n = *rc::gen::elementOf(kMessageLengths);
    RC_LOG() << "message of " << n << " bytes\n";
    return bytesOf(material, 1, n);
}

// The message in up to three chunks, cut at a block boundary, one byte before
// or one after it.
inline ChunkedByteString cutAroundBlocks(const ByteString& message) {
    std::vector<std::size_t> cuts;
    for (int i = 0; i < 2; ++i) {
        const std::size_t block = *rc::gen::elementOf(kBlockSizes);
        const std::size_t k = *rc::gen::inRange<std::size_t>(0, message.size() / block + 2);
        const int shift = *rc::gen::inRange(-1, 2);
        const std::size_t at = k * block;
        cuts.push_back(std::min(message.size(), shift < 0 && at > 0 ? at - 1 : at + static_cast<std::size_t>(shift)));
    }
    std::sort(cuts.begin(), cuts.end());
    RC_LOG() << "cut at " << cuts[0] << " and " << cuts[1] << "\n";
    return ChunkedByteString::fromChunks({message.take(cuts[0]), message.slice(cuts[0], cuts[1] - cuts[0]),
                                          message.drop(cuts[1])});
}

template <Mac M>
void chunkedEqualsContiguous(const ByteString& keyMaterial, const ByteString& material) {
    const M key = keyOrDiscard<M>(drawKeyBytes<M>(keyMaterial));
    const ByteString message = drawMessage(material);
    const ChunkedByteString chunked = cutAroundBlocks(message);
    detail::requireSameBytes("tag of the chunked message == tag of the contiguous one",
                             key.tag(chunked, fullTagBytes<M>()), key.tag(message, fullTagBytes<M>()));
}

// Every declared tag length gives a tag of that length; a shorter one is the
// full tag's prefix unless the type says its tags depend on the length.
template <Mac M>
void tagOfEveryDeclaredLength(const ByteString& keyMaterial, const ByteString& material) {
    const M key = keyOrDiscard<M>(drawKeyBytes<M>(keyMaterial));
    const ByteString message = drawMessage(material);
    RC_PRE(!tagLengths<M>().empty());
    const std::size_t n = *rc::gen::elementOf(tagLengths<M>());
    RC_LOG() << "tag of " << n << " bytes\n";
    const ByteString tag = key.tag(message, n);
    RC_ASSERT(tag.size() == n);
    if constexpr (macTagsArePrefixes<M>()) {
        const ByteString full = key.tag(message, fullTagBytes<M>());
        detail::requireSameBytes("the shorter tag == the prefix of the full one", tag, full.take(n));
    }
}

// A key with one byte inverted gives another tag for a message of a byte or
// more (a one-time MAC's tag of the empty message may ignore half its key).
template <Mac M>
void keySensitivity(const ByteString& keyMaterial, const ByteString& material) {
    const ByteString keyBytes = drawKeyBytes<M>(keyMaterial);
    RC_PRE(!keyBytes.empty());
    std::vector<std::uint8_t> other = keyBytes.vector();
    const std::size_t at = *rc::gen::inRange<std::size_t>(0, other.size());
    other[at] = static_cast<std::uint8_t>(~other[at]);
    RC_LOG() << "key byte " << at << " inverted\n";
    ByteString message = drawMessage(material);
    if (message.empty()) message = ByteString{0};
    const ByteString first = keyOrDiscard<M>(keyBytes).tag(message, fullTagBytes<M>());
    const ByteString second = keyOrDiscard<M>(ByteString(std::move(other))).tag(message, fullTagBytes<M>());
    if (first == second) RC_FAIL("two keys differing in one byte gave the same tag");
}

// The empty message, contiguous and as no chunks, has a full-length tag, the
// same twice, and not that of one zero byte.
// A key with a half of zero bytes is left out: a one-time MAC under it is
// degenerate (Poly1305 with r = 0 gives s for every message).
inline bool halfOfZeros(const ByteString& key) {
    const auto zeros = [](const ByteString& half) {
        return std::all_of(half.begin(), half.end(), [](std::uint8_t b) { return b == 0; });
    };
    return zeros(key.take(key.size() / 2)) || zeros(key.drop(key.size() / 2));
}

template <Mac M>
void emptyMessage(const ByteString& keyMaterial) {
    const ByteString keyBytes = drawKeyBytes<M>(keyMaterial);
    RC_PRE(!halfOfZeros(keyBytes));
    const M key = keyOrDiscard<M>(keyBytes);
    const ByteString empty = key.tag(ByteString(), fullTagBytes<M>());
    RC_ASSERT(empty.size() == fullTagBytes<M>());
    detail::requireSameBytes("tag of no chunks == tag of the empty message",
                             key.tag(ChunkedByteString::fromChunks({}), fullTagBytes<M>()), empty);
    detail::requireSameBytes("tag of the empty message twice", key.tag(ByteString(), fullTagBytes<M>()), empty);
    if (key.tag(ByteString{0}, fullTagBytes<M>()) == empty) {
        RC_FAIL("the empty message and one zero byte have the same tag");
    }
}

// Every undeclared key length is refused by buildKey (none or an exception),
// every undeclared tag length by both forms of tag with an exception.
template <Mac M>
void undeclaredLengthsAreRefused() {
    const auto throws = [](auto call) {
        try {
            call();
        } catch (const std::exception&) {
            return true;
        }
        return false;
    };
    const auto bytes = [](std::size_t n) { return ByteString(std::vector<std::uint8_t>(n, 0x5a)); };
    std::string failures;
    for (std::size_t n :
         aead_detail::undeclaredNeighbours(keyLengths<M>(), [](std::size_t m) { return M::acceptsKey(m); })) {
        bool built = false;
        if (!throws([&] { built = M::buildKey(bytes(n)).has_value(); }) && built) {
            failures += "buildKey took a key of " + std::to_string(n) + " bytes; ";
        }
    }
    if (keyLengths<M>().empty()) throw std::runtime_error("the type declares no key length");
    const std::optional<M> key = M::buildKey(bytes(keyLengths<M>().front()));
    if (!key) throw AssertionFailure("buildKey refused a key of a declared length");
    const ByteString message{1, 2, 3};
    std::vector<std::size_t> tags = tagLengths<M>();
    tags.push_back(64);
    for (std::size_t n : aead_detail::undeclaredNeighbours(tags, [](std::size_t m) { return M::acceptsTag(m); })) {
        if (!throws([&] { (void)key->tag(message, n); })) {
            failures += "tag took a length of " + std::to_string(n) + " bytes; ";
        }
        if (!throws([&] { (void)key->tag(ChunkedByteString::fromStrict(message), n); })) {
            failures += "tag (chunked) took a length of " + std::to_string(n) + " bytes; ";
        }
    }
    if (!failures.empty()) {
        throw AssertionFailure("lengths the type does not declare must be refused: " + failures);
    }
}

}  // namespace zelkor::tests::mac_detail
