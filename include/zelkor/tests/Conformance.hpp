#pragma once
// Conformance groups: the mode operations of a cipher and the hashing, HMAC
// and encoding of a digest, checked against independent compositions rather
// than against themselves, so a fault that is the same in both directions
// (a wrong counter, a wrong next IV, a dropped partial block) is caught.

#include <cstddef>
#include <optional>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/Modes.hpp"
#include "zelkor/detail/OwnMembers.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/ConformanceInputs.hpp"
#include "zelkor/tests/detail/TextbookModes.hpp"

namespace zelkor::tests {

namespace detail {

using zelkor::detail::requireBlockBytes;

// A mode with an IV: the operations under test and their textbook form.
struct CbcMode : CbcOps {
    static constexpr bool wholeBlocks = true;
    template <class K>
    static TextbookResult textbook(const K& k, bool encrypt, const ByteString& iv, const ByteString& b) {
        return textbookCbc(k, encrypt, iv, b);
    }
};
struct CfbMode : CfbOps {
    static constexpr bool wholeBlocks = false;
    template <class K>
    static TextbookResult textbook(const K& k, bool encrypt, const ByteString& iv, const ByteString& b) {
        return textbookCfb(k, encrypt, iv, b);
    }
};
struct OfbMode : OfbOps {
    static constexpr bool wholeBlocks = false;
    template <class K>
    static TextbookResult textbook(const K& k, bool, const ByteString& iv, const ByteString& b) {
        return textbookOfb(k, iv, b);
    }
};
struct CtrMode : CtrOps {
    static constexpr bool wholeBlocks = false;
    template <class K>
    static TextbookResult textbook(const K& k, bool, const ByteString& iv, const ByteString& b) {
        return textbookCtr(k, iv, b);
    }
};

template <BlockCipher K>
ByteString wholeBlocksOf(const ByteString& bytes) {
    return bytes.take(bytes.size() - bytes.size() % requireBlockBytes<K>("conformance"));
}

// The messages every mode is checked on: empty, a short prefix (a partial
// block alone, one block, ...) and the whole message; whole blocks only for
// ECB and CBC.
template <BlockCipher K>
std::vector<ByteString> messagesOf(const CipherCase<K>& c, bool wholeBlocks) {
    std::vector<ByteString> out = {ByteString(), c.message.take(c.shortLength), c.message};
    if (wholeBlocks) {
        for (auto& m : out) m = wholeBlocksOf<K>(m);
    }
    return out;
}

template <BlockCipher K>
IV<K> ivFrom(const ByteString& bytes) {
    std::optional<IV<K>> iv = IV<K>::decode(bytes);
    RC_ASSERT(iv.has_value());
    return std::move(*iv);
}

// Both directions, contiguous and cut by the plan: bytes and next IV equal
// the textbook ones.
template <BlockCipher K, class Mode>
void checkAgainstTextbook(const K& key, const IV<K>& iv, const ByteString& message,
                          const std::vector<std::size_t>& plan) {
    const ChunkedByteString chunked = chunkByPlan(message, plan);
    for (const bool encrypt : {true, false}) {
        const TextbookResult want = Mode::textbook(key, encrypt, iv.bytes(), message);
        const auto [bytes, next] = encrypt ? Mode::enc(key, iv, message) : Mode::dec(key, iv, message);
        RC_ASSERT(bytes == want.bytes);
        RC_ASSERT(next.bytes() == want.nextIV);
        const auto [lazyBytes, lazyNext] = encrypt ? Mode::encLazy(key, iv, chunked) : Mode::decLazy(key, iv, chunked);
        RC_ASSERT(lazyBytes.toStrict() == want.bytes);
        RC_ASSERT(lazyNext.bytes() == want.nextIV);
    }
}

template <BlockCipher K>
void ecbMatchesTextbook(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    for (const ByteString& message : messagesOf(c, true)) {
        const ChunkedByteString chunked = chunkByPlan(message, c.plan);
        for (const bool encrypt : {true, false}) {
            const ByteString want = textbookEcb(key, encrypt, message);
            RC_ASSERT((encrypt ? zelkor::ecb(key, message) : zelkor::unEcb(key, message)) == want);
            RC_ASSERT((encrypt ? zelkor::ecbLazy(key, chunked) : zelkor::unEcbLazy(key, chunked)).toStrict() == want);
        }
    }
}

template <BlockCipher K, class Mode>
void ivModeMatchesTextbook(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const IV<K> iv = ivFrom<K>(c.iv);
    for (const ByteString& message : messagesOf(c, Mode::wholeBlocks)) {
        checkAgainstTextbook<K, Mode>(key, iv, message, c.plan);
    }
}

// Operating on a||b equals operating on a, then on b from the IV returned.
template <BlockCipher K, class Mode>
void continuesFromNextIV(const K& key, const IV<K>& iv, const ByteString& whole, std::size_t cut) {
    const ByteString a = whole.take(cut);
    const ByteString b = whole.drop(cut);
    for (const bool encrypt : {true, false}) {
        const auto op = [&](const IV<K>& from, const ByteString& m) {
            return encrypt ? Mode::enc(key, from, m) : Mode::dec(key, from, m);
        };
        const auto [allBytes, allNext] = op(iv, whole);
        const auto [aBytes, aNext] = op(iv, a);
        const auto [bBytes, bNext] = op(aNext, b);
        RC_ASSERT(aBytes + bBytes == allBytes);
        RC_ASSERT(bNext == allNext);
    }
}

template <BlockCipher K>
void continuation(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const IV<K> iv = ivFrom<K>(c.iv);
    const ByteString whole = wholeBlocksOf<K>(c.message);
    const std::size_t cut = wholeBlocksOf<K>(whole.take(c.shortLength)).size();
    RC_ASSERT(zelkor::ecb(key, whole.take(cut)) + zelkor::ecb(key, whole.drop(cut)) == zelkor::ecb(key, whole));
    RC_ASSERT(zelkor::unEcb(key, whole.take(cut)) + zelkor::unEcb(key, whole.drop(cut)) == zelkor::unEcb(key, whole));
    continuesFromNextIV<K, CbcMode>(key, iv, whole, cut);
    continuesFromNextIV<K, CfbMode>(key, iv, whole, cut);
    continuesFromNextIV<K, OfbMode>(key, iv, whole, cut);
    continuesFromNextIV<K, CtrMode>(key, iv, whole, cut);
}

// IVs whose last byte, last 4 bytes, last 8 bytes or all bytes are 0xff:
// keystream block i is encryptBlock(IV + i) and the next IV is IV + n, with
// carries across bytes and the wrap from all-FF to 0.
template <BlockCipher K>
void ctrCounterEdges(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const std::size_t b = requireBlockBytes<K>("ctr");
    for (const std::size_t ones : {std::size_t{1}, std::size_t{4}, std::size_t{8}, b}) {
        std::vector<std::uint8_t> ivBytes = c.iv.vector();
        for (std::size_t i = b - (ones < b ? ones : b); i < b; ++i) ivBytes[i] = 0xff;
        const IV<K> iv = ivFrom<K>(ByteString(std::move(ivBytes)));
        checkAgainstTextbook<K, CtrMode>(key, iv, c.message, c.plan);
    }
}

// Changing a key byte (in its top seven bits) changes the encryption of a
// block; a changed key the cipher refuses is skipped. Some key schedules are
// slow, so a case changes the first and the last byte and every eighth one
// from a random start: a run of 100 cases misses a given byte with
// probability (7/8)^100, below 2e-6.
template <BlockCipher K>
void keySensitivity(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const ByteString block = c.message.take(requireBlockBytes<K>("encryptBlock"));
    const ByteString encrypted = key.encryptBlock(block);
    for (std::size_t i = 0; i < c.key.size(); ++i) {
        if (i != 0 && i + 1 != c.key.size() && i % kKeyByteStride != c.keyStart) continue;
        std::vector<std::uint8_t> changed = c.key.vector();
        changed[i] ^= c.keyMasks[i];
        const std::optional<K> other = K::buildKey(ByteString(std::move(changed)));
        if (!other) continue;
        RC_ASSERT(other->encryptBlock(block) != encrypted);
    }
}

// Changing one IV byte changes the first output block of encryption.
template <BlockCipher K>
void ivSensitivity(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const std::size_t b = requireBlockBytes<K>("conformance");
    std::vector<std::uint8_t> changed = c.iv.vector();
    changed[c.ivPosition] ^= c.ivMask;
    const IV<K> iv = ivFrom<K>(c.iv);
    const IV<K> other = ivFrom<K>(ByteString(std::move(changed)));
    const ByteString block = c.message.take(b);
    RC_ASSERT(zelkor::cbc(key, iv, block).first != zelkor::cbc(key, other, block).first);
    RC_ASSERT(zelkor::cfb(key, iv, block).first != zelkor::cfb(key, other, block).first);
    RC_ASSERT(zelkor::ofb(key, iv, block).first != zelkor::ofb(key, other, block).first);
    RC_ASSERT(zelkor::ctr(key, iv, block).first != zelkor::ctr(key, other, block).first);
}

template <Hash D>
std::size_t outputBytes() {
    return D::outputLength > 0 ? static_cast<std::size_t>(D::outputLength) / 8 : 0;
}

template <Hash D>
std::size_t hashBlockBytes() {
    return D::blockLength > 0 ? static_cast<std::size_t>(D::blockLength) / 8 : 0;
}

// decode refuses fewer than outputLength/8 bytes, accepts exactly that many,
// and of more either refuses them or reads the first outputLength/8 (the
// contract lets it ignore the rest).
template <Hash D>
void decodeNeedsOutputLength(const DigestCaseOf<D>& c) {
    const std::size_t n = outputBytes<D>();
    const ByteString bytes = D::hash(c.message).encode() + c.message.take(n);
    for (std::size_t length = 0; length <= 2 * n; ++length) {
        const std::optional<D> decoded = D::decode(bytes.take(length));
        if (length < n) RC_ASSERT(!decoded.has_value());
        if (length == n) RC_ASSERT(decoded.has_value());
        if (decoded) RC_ASSERT(decoded->encode() == bytes.take(n));
    }
}

// Two digests whose encodings differ in any one byte are unequal.
template <Hash D>
void equalityUsesEveryByte(const DigestCaseOf<D>& c) {
    const D digest = D::hash(c.message);
    const ByteString encoded = digest.encode();
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        std::vector<std::uint8_t> changed = encoded.vector();
        changed[i] ^= c.mask;
        const std::optional<D> other = D::decode(ByteString(std::move(changed)));
        RC_ASSERT(other.has_value());
        RC_ASSERT(!(*other == digest));
    }
}

// Messages of 0 to 3B+1 bytes, each cut by the plan: every length at a block
// boundary or one byte off it, and every eighth length from a random start
// (so a run of 100 cases misses a given length with probability below 2e-6).
template <Hash D>
void chunkedEqualsContiguous(const DigestCaseOf<D>& c) {
    const std::size_t b = hashBlockBytes<D>();
    for (std::size_t length = 0; length <= c.message.size(); ++length) {
        const std::size_t offset = b > 0 ? length % b : 0;
        if (offset > 1 && offset + 1 != b && length % kLengthStride != c.lengthStart) continue;
        const ByteString message = c.message.take(length);
        RC_ASSERT(D::hash(chunkByPlan(message, c.plan)) == D::hash(message));
    }
}

// The digest's own hmac against RFC 2104 over its hash, for keys at and
// around the block length and a random one.
template <Hash D>
void ownHmacMatchesGeneric(const DigestCaseOf<D>& c) {
    const std::size_t b = hashBlockBytes<D>();
    const std::size_t keyLengths[] = {0, 1, b > 0 ? b - 1 : 0, b, b + 1, 3 * b, c.keyLength};
    const ByteString message = c.message.take(c.hmacMessageLength);
    const ChunkedByteString chunked = chunkByPlan(message, c.plan);
    for (const std::size_t keyLength : keyLengths) {
        const ByteString key = c.key.take(keyLength);
        const D generic = zelkor::detail::genericHmac<D>(key, {message});
        RC_ASSERT(D::hmac(key, message) == generic);
        RC_ASSERT(D::hmac(key, chunked) == generic);
    }
}

}  // namespace detail

// One group, "Block Cipher conformance"; building does no cryptographic work.
template <BlockCipher K>
std::vector<Test> makeBlockCipherConformanceTests() {
    using namespace detail;
    return {testGroup("Block Cipher conformance",
                      {testProperty("ECBMatchesTextbook", &ecbMatchesTextbook<K>),
                       testProperty("CBCMatchesTextbook", &ivModeMatchesTextbook<K, CbcMode>),
                       testProperty("CFBMatchesTextbook", &ivModeMatchesTextbook<K, CfbMode>),
                       testProperty("OFBMatchesTextbook", &ivModeMatchesTextbook<K, OfbMode>),
                       testProperty("CTRMatchesTextbook", &ivModeMatchesTextbook<K, CtrMode>),
                       testProperty("CTRCounterEdges", &ctrCounterEdges<K>),
                       testProperty("ContinuationFromNextIV", &continuation<K>),
                       testProperty("KeySensitivity", &keySensitivity<K>),
                       testProperty("IVSensitivity", &ivSensitivity<K>)})};
}

// The witness only selects the cipher type.
template <BlockCipher K>
std::vector<Test> makeBlockCipherConformanceTests(const K&) {
    return makeBlockCipherConformanceTests<K>();
}

// One group, "Digest conformance"; "OwnHMACMatchesGeneric" only for a digest
// type with its own hmac.
template <Hash D>
std::vector<Test> makeHashConformanceTests() {
    using namespace detail;
    std::vector<Test> tests = {
        testProperty("DecodeNeedsOutputLength", &decodeNeedsOutputLength<D>),
        testProperty("EqualityUsesEveryByte", &equalityUsesEveryByte<D>),
        testProperty("ChunkedEqualsContiguous", &chunkedEqualsContiguous<D>),
    };
    if constexpr (zelkor::detail::UsesOwnHmac<D>) {
        tests.push_back(testProperty("OwnHMACMatchesGeneric", &ownHmacMatchesGeneric<D>));
    }
    return {testGroup("Digest conformance", std::move(tests))};
}

// The witness only selects the digest type.
template <Hash D>
std::vector<Test> makeHashConformanceTests(const D&) {
    return makeHashConformanceTests<D>();
}

}  // namespace zelkor::tests
