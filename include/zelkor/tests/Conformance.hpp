#pragma once
// Conformance groups: the mode operations of a cipher and the hashing, HMAC
// and encoding of a digest, checked against independent compositions rather
// than against themselves, so a fault that is the same in both directions
// (a wrong counter, a wrong next IV, a dropped partial block) is caught.

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/Modes.hpp"
#include "zelkor/detail/OwnMembers.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/checks/ConformanceFailures.hpp"
#include "zelkor/tests/detail/checks/ConformanceInputs.hpp"
#include "zelkor/tests/detail/cipher/TextbookModes.hpp"
#include "zelkor/tests/detail/cipher/ExtraModeConformance.hpp"

namespace zelkor::tests {

namespace detail {

using zelkor::detail::requireBlockBytes;

// A mode with an IV: the operations under test and their textbook form.
struct CbcMode : CbcOps {
    static constexpr const char* name = "CBC";
    static constexpr bool wholeBlocks = true;
    template <class K>
    static TextbookResult textbook(const K& k, bool encrypt, const ByteString& iv, const ByteString& b) {
        return textbookCbc(k, encrypt, iv, b);
    }
};
struct CfbMode : CfbOps {
    static constexpr const char* name = "CFB";
    static constexpr bool wholeBlocks = false;
    template <class K>
    static TextbookResult textbook(const K& k, bool encrypt, const ByteString& iv, const ByteString& b) {
        return textbookCfb(k, encrypt, iv, b);
    }
};
struct OfbMode : OfbOps {
    static constexpr const char* name = "OFB";
    static constexpr bool wholeBlocks = false;
    template <class K>
    static TextbookResult textbook(const K& k, bool, const ByteString& iv, const ByteString& b) {
        return textbookOfb(k, iv, b);
    }
};
struct CtrMode : CtrOps {
    static constexpr const char* name = "CTR";
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

inline std::string direction(const char* mode, bool encrypt) {
    return std::string(mode) + (encrypt ? " encryption" : " decryption");
}

// Both directions, contiguous and cut by the plan: bytes and next IV equal
// the textbook ones. `ivOnes` > 0 says the IV ends in that many 0xff bytes.
template <BlockCipher K, class Mode>
void checkAgainstTextbook(const K& key, std::size_t keyBytes, const IV<K>& iv, const ByteString& message,
                          const std::vector<std::size_t>& plan, std::size_t ivOnes = 0) {
    const ChunkedByteString chunked = chunkByPlan(message, plan);
    for (const bool encrypt : {true, false}) {
        const TextbookResult want = Mode::textbook(key, encrypt, iv.bytes(), message);
        const auto [bytes, next] = encrypt ? Mode::enc(key, iv, message) : Mode::dec(key, iv, message);
        const auto at = [&](const char* what, const ChunkedByteString* chunks = nullptr) {
            return [&, what, chunks] {
                Context context(direction(Mode::name, encrypt) + ", " + what);
                context.key(keyBytes).message(message.size());
                if (chunks) context.chunks(*chunks);
                if (ivOnes > 0) context.part("IV ending in " + std::to_string(ivOnes) + " bytes of ff");
                return context;
            };
        };
        requireBytes(at("contiguous, bytes"), bytes, want.bytes);
        requireBytes(at("contiguous, next IV"), next.bytes(), want.nextIV);
        const auto [lazyBytes, lazyNext] = encrypt ? Mode::encLazy(key, iv, chunked) : Mode::decLazy(key, iv, chunked);
        requireBytes(at("chunked, bytes", &chunked), lazyBytes.toStrict(), want.bytes);
        requireBytes(at("chunked, next IV", &chunked), lazyNext.bytes(), want.nextIV);
    }
}

template <BlockCipher K>
void ecbMatchesTextbook(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    for (const ByteString& message : messagesOf(c, true)) {
        const ChunkedByteString chunked = chunkByPlan(message, c.plan);
        for (const bool encrypt : {true, false}) {
            const ByteString want = textbookEcb(key, encrypt, message);
            const auto at = [&](const char* what, const ChunkedByteString* chunks = nullptr) {
                return [&, what, chunks] {
                    Context context(direction("ECB", encrypt) + ", " + what);
                    context.key(c.key.size()).message(message.size());
                    if (chunks) context.chunks(*chunks);
                    return context;
                };
            };
            requireBytes(at("contiguous"), encrypt ? zelkor::ecb(key, message) : zelkor::unEcb(key, message), want);
            requireBytes(at("chunked", &chunked),
                         (encrypt ? zelkor::ecbLazy(key, chunked) : zelkor::unEcbLazy(key, chunked)).toStrict(), want);
        }
    }
}

template <BlockCipher K, class Mode>
void ivModeMatchesTextbook(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const IV<K> iv = ivFrom<K>(c.iv);
    for (const ByteString& message : messagesOf(c, Mode::wholeBlocks)) {
        checkAgainstTextbook<K, Mode>(key, c.key.size(), iv, message, c.plan);
    }
}

// Operating on a||b equals operating on a, then on b from the IV returned.
inline auto cutContext(const char* mode, bool encrypt, const char* what, std::size_t keyBytes, std::size_t total,
                       std::size_t cut) {
    return [=] {
        Context context(direction(mode, encrypt) + " in two parts, " + what);
        return context.key(keyBytes).message(total).part("cut after byte " + std::to_string(cut));
    };
}

template <BlockCipher K, class Mode>
void continuesFromNextIV(const K& key, std::size_t keyBytes, const IV<K>& iv, const ByteString& whole,
                         std::size_t cut) {
    const ByteString a = whole.take(cut);
    const ByteString b = whole.drop(cut);
    for (const bool encrypt : {true, false}) {
        const auto op = [&](const IV<K>& from, const ByteString& m) {
            return encrypt ? Mode::enc(key, from, m) : Mode::dec(key, from, m);
        };
        const auto [allBytes, allNext] = op(iv, whole);
        const auto [aBytes, aNext] = op(iv, a);
        const auto [bBytes, bNext] = op(aNext, b);
        requireBytes(cutContext(Mode::name, encrypt, "bytes", keyBytes, whole.size(), cut), aBytes + bBytes, allBytes);
        requireBytes(cutContext(Mode::name, encrypt, "next IV", keyBytes, whole.size(), cut), bNext.bytes(),
                     allNext.bytes());
    }
}

template <BlockCipher K>
void continuation(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const IV<K> iv = ivFrom<K>(c.iv);
    const ByteString whole = wholeBlocksOf<K>(c.message);
    const std::size_t cut = wholeBlocksOf<K>(whole.take(c.shortLength)).size();
    const std::size_t keyBytes = c.key.size();
    requireBytes(cutContext("ECB", true, "bytes", keyBytes, whole.size(), cut),
                 zelkor::ecb(key, whole.take(cut)) + zelkor::ecb(key, whole.drop(cut)), zelkor::ecb(key, whole));
    requireBytes(cutContext("ECB", false, "bytes", keyBytes, whole.size(), cut),
                 zelkor::unEcb(key, whole.take(cut)) + zelkor::unEcb(key, whole.drop(cut)), zelkor::unEcb(key, whole));
    continuesFromNextIV<K, CbcMode>(key, keyBytes, iv, whole, cut);
    continuesFromNextIV<K, CfbMode>(key, keyBytes, iv, whole, cut);
    continuesFromNextIV<K, OfbMode>(key, keyBytes, iv, whole, cut);
    continuesFromNextIV<K, CtrMode>(key, keyBytes, iv, whole, cut);
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
        checkAgainstTextbook<K, CtrMode>(key, c.key.size(), iv, c.message, c.plan, ones);
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
        require(other->encryptBlock(block) != encrypted, [&] {
            Context context("changing key byte " + std::to_string(i) + " left the encryption of a block unchanged");
            return context.key(c.key.size()).message(block.size());
        });
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
    const auto unchanged = [&](const char* mode) {
        return [&, mode] {
            Context context(std::string("changing IV byte ") + std::to_string(c.ivPosition) + " left the " + mode +
                            " encryption of a block unchanged");
            return context.key(c.key.size()).message(block.size());
        };
    };
    require(zelkor::cbc(key, iv, block).first != zelkor::cbc(key, other, block).first, unchanged("CBC"));
    require(zelkor::cfb(key, iv, block).first != zelkor::cfb(key, other, block).first, unchanged("CFB"));
    require(zelkor::ofb(key, iv, block).first != zelkor::ofb(key, other, block).first, unchanged("OFB"));
    require(zelkor::ctr(key, iv, block).first != zelkor::ctr(key, other, block).first, unchanged("CTR"));
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
        const auto of = [&](const char* what) {
            return [&, what] {
                Context context(what);
                return context.bytes("input", length).bytes("digest", n);
            };
        };
        if (length < n) require(!decoded.has_value(), of("decode accepted too few bytes"));
        if (length == n) require(decoded.has_value(), of("decode refused a whole digest"));
        if (decoded) requireBytes(of("encode after decode"), decoded->encode(), bytes.take(n));
    }
}

// Two digests whose encodings differ in any one byte are unequal.
template <Hash D>
void equalityUsesEveryByte(const DigestCaseOf<D>& c) {
    const D digest = D::hash(c.message);
    const ByteString encoded = digest.encode();
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        std::vector<std::uint8_t> changed(encoded.begin(), encoded.end());
        changed[i] ^= c.mask;
        const std::optional<D> other = D::decode(ByteString(std::move(changed)));
        const auto at = [&](const char* what) {
            return [&, what] {
                Context context(std::string(what) + " with byte " + std::to_string(i) + " changed");
                return context.bytes("digest", encoded.size()).message(c.message.size());
            };
        };
        require(other.has_value(), at("decode refused a digest"));
        require(!(*other == digest), at("== holds for a digest"));
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
        const ChunkedByteString chunked = chunkByPlan(message, c.plan);
        requireSameDigest(
            [&] { return Context("hash of chunks != hash of the contiguous message").message(length).chunks(chunked); },
            D::hash(chunked), D::hash(message));
    }
}

// The digest's own hmac against RFC 2104 over its hash, for keys at and
// around the block length and a random one. An exception from the own hmac
// (an implementation refusing some key) fails the case with the lengths too.
template <Hash D>
void ownHmacMatchesGeneric(const DigestCaseOf<D>& c) {
    const std::size_t b = hashBlockBytes<D>();
    const std::size_t keyLengths[] = {0, 1, b > 0 ? b - 1 : 0, b, b + 1, 3 * b, c.keyLength};
    const ByteString message = c.message.take(c.hmacMessageLength);
    const ChunkedByteString chunked = chunkByPlan(message, c.plan);
    for (const std::size_t keyLength : keyLengths) {
        const ByteString key = c.key.take(keyLength);
        const D generic = zelkor::detail::genericHmac<D>(key, {message});
        const auto contiguous = [&] {
            return Context("own hmac != RFC 2104 hmac, contiguous").key(keyLength).message(message.size());
        };
        const auto lazy = [&] {
            return Context("own hmac != RFC 2104 hmac, chunked").key(keyLength).message(message.size()).chunks(chunked);
        };
        requireSameDigest(contiguous, callOrFail([&] { return zelkor::detail::ownHmac<D>(key, message); }, contiguous),
                          generic);
        requireSameDigest(lazy, callOrFail([&] { return zelkor::detail::ownHmac<D>(key, chunked); }, lazy), generic);
    }
}

}  // namespace detail

// One group, "Block Cipher conformance"; building does no cryptographic work.
template <BlockCipher K>
std::vector<Test> makeBlockCipherConformanceTests() {
    using namespace detail;
    std::vector<Test> groups = {testGroup("Block Cipher conformance",
                      {testProperty("ECBMatchesTextbook", &ecbMatchesTextbook<K>),
                       testProperty("CBCMatchesTextbook", &ivModeMatchesTextbook<K, CbcMode>),
                       testProperty("CFBMatchesTextbook", &ivModeMatchesTextbook<K, CfbMode>),
                       testProperty("OFBMatchesTextbook", &ivModeMatchesTextbook<K, OfbMode>),
                       testProperty("CTRMatchesTextbook", &ivModeMatchesTextbook<K, CtrMode>),
                       testProperty("CTRCounterEdges", &ctrCounterEdges<K>),
                       testProperty("ContinuationFromNextIV", &continuation<K>),
                       testProperty("KeySensitivity", &keySensitivity<K>),
                       testProperty("IVSensitivity", &ivSensitivity<K>)})};
    std::vector<Test>& tests = std::get<TestGroup>(groups.front().node).tests;
    tests.push_back(testProperty("CFB8MatchesTextbook", &cfb8MatchesTextbook<K>));
    tests.push_back(testProperty("CFB1MatchesTextbook", &cfb1MatchesTextbook<K>));
    tests.push_back(testProperty("CBCPKCS7MatchesTextbook", &cbcPkcs7MatchesTextbook<K>));
    if constexpr (XtsBlockCipher<K>) {
        tests.push_back(testProperty("XTSMatchesTextbook", &xtsMatchesTextbook<K>));
        tests.push_back(testProperty("XTSRoundTrip", &xtsRoundTrip<K>));
    }
    return groups;
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
