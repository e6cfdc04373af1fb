#pragma once
// Conformance groups: the mode operations of a cipher and the hashing, HMAC
// and encoding of a digest, checked against independent compositions rather
// than against themselves, so a fault that is the same in both directions
// (a wrong counter, a wrong next IV, a dropped partial block) is caught.

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
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
#include "zelkor/tests/detail/Report.hpp"
#include "zelkor/tests/detail/TextbookModes.hpp"

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

// Failures name the lengths a check used: a drawn case covers several
// messages, keys and cuts, and its printed form does not say which one failed.
// A context reads "<what>: key of K bytes, message of M bytes, chunk sizes
// [a, b, ...]", with the parts that apply.
class Context {
public:
    explicit Context(std::string what) : text_(std::move(what)) {}
    Context& part(const std::string& text) {
        text_ += (first_ ? ": " : ", ") + text;
        first_ = false;
        return *this;
    }
    Context& bytes(const char* what, std::size_t count) {
        return part(std::string(what) + " of " + std::to_string(count) + " bytes");
    }
    Context& key(std::size_t count) { return bytes("key", count); }
    Context& message(std::size_t count) { return bytes("message", count); }
    Context& chunks(const ChunkedByteString& chunked) {
        std::string sizes = "chunk sizes [";
        const char* sep = "";
        for (const ByteString& chunk : chunked.chunks()) {
            sizes += sep + std::to_string(chunk.size());
            sep = ", ";
        }
        return part(sizes + "]");
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
    bool first_ = true;
};

[[noreturn]] inline void failCase(const std::string& text) {
    throw rc::detail::CaseResult(rc::detail::CaseResult::Type::Failure, text);
}

inline void require(bool holds, const Context& context) {
    if (!holds) failCase(context.text());
}

inline void requireBytes(const Context& context, const ByteString& actual, const ByteString& expected) {
    requireSameBytes(context.text(), actual, expected);
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
// the textbook ones. `iv` says which IV it is, when that matters.
template <BlockCipher K, class Mode>
void checkAgainstTextbook(const K& key, std::size_t keyBytes, const IV<K>& iv, const ByteString& message,
                          const std::vector<std::size_t>& plan, const std::string& ivNote = "") {
    const ChunkedByteString chunked = chunkByPlan(message, plan);
    for (const bool encrypt : {true, false}) {
        const TextbookResult want = Mode::textbook(key, encrypt, iv.bytes(), message);
        const auto [bytes, next] = encrypt ? Mode::enc(key, iv, message) : Mode::dec(key, iv, message);
        const auto at = [&](const char* what) {
            Context context(direction(Mode::name, encrypt) + ", " + what);
            context.key(keyBytes).message(message.size());
            if (!ivNote.empty()) context.part(ivNote);
            return context;
        };
        requireBytes(at("contiguous, bytes"), bytes, want.bytes);
        requireBytes(at("contiguous, next IV"), next.bytes(), want.nextIV);
        const auto [lazyBytes, lazyNext] = encrypt ? Mode::encLazy(key, iv, chunked) : Mode::decLazy(key, iv, chunked);
        requireBytes(at("chunked, bytes").chunks(chunked), lazyBytes.toStrict(), want.bytes);
        requireBytes(at("chunked, next IV").chunks(chunked), lazyNext.bytes(), want.nextIV);
    }
}

template <BlockCipher K>
void ecbMatchesTextbook(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    for (const ByteString& message : messagesOf(c, true)) {
        const ChunkedByteString chunked = chunkByPlan(message, c.plan);
        for (const bool encrypt : {true, false}) {
            const ByteString want = textbookEcb(key, encrypt, message);
            Context contiguous(direction("ECB", encrypt) + ", contiguous");
            requireBytes(contiguous.key(c.key.size()).message(message.size()),
                         encrypt ? zelkor::ecb(key, message) : zelkor::unEcb(key, message), want);
            Context lazy(direction("ECB", encrypt) + ", chunked");
            requireBytes(lazy.key(c.key.size()).message(message.size()).chunks(chunked),
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
inline Context cutContext(const std::string& what, std::size_t keyBytes, std::size_t total, std::size_t cut) {
    Context context(what);
    context.key(keyBytes).message(total).part("cut after byte " + std::to_string(cut));
    return context;
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
        const std::string what = direction(Mode::name, encrypt);
        requireBytes(cutContext(what + " in two parts, bytes", keyBytes, whole.size(), cut), aBytes + bBytes,
                     allBytes);
        requireBytes(cutContext(what + " in two parts, next IV", keyBytes, whole.size(), cut), bNext.bytes(),
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
    requireBytes(cutContext("ECB encryption in two parts", keyBytes, whole.size(), cut),
                 zelkor::ecb(key, whole.take(cut)) + zelkor::ecb(key, whole.drop(cut)), zelkor::ecb(key, whole));
    requireBytes(cutContext("ECB decryption in two parts", keyBytes, whole.size(), cut),
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
        checkAgainstTextbook<K, CtrMode>(key, c.key.size(), iv, c.message, c.plan,
                                         "IV ending in " + std::to_string(ones) + " bytes of ff");
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
        Context context("changing key byte " + std::to_string(i) + " left the encryption of a block unchanged");
        require(other->encryptBlock(block) != encrypted, context.key(c.key.size()).message(block.size()));
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
        Context context(std::string("changing IV byte ") + std::to_string(c.ivPosition) + " left the " + mode +
                        " encryption of a block unchanged");
        context.key(c.key.size()).message(block.size());
        return context;
    };
    require(zelkor::cbc(key, iv, block).first != zelkor::cbc(key, other, block).first, unchanged("CBC"));
    require(zelkor::cfb(key, iv, block).first != zelkor::cfb(key, other, block).first, unchanged("CFB"));
    require(zelkor::ofb(key, iv, block).first != zelkor::ofb(key, other, block).first, unchanged("OFB"));
    require(zelkor::ctr(key, iv, block).first != zelkor::ctr(key, other, block).first, unchanged("CTR"));
}

// Digests are compared with their ==; a failure shows their encodings.
template <Hash D>
void requireSameDigest(const Context& context, const D& actual, const D& expected) {
    if (actual == expected) return;
    requireBytes(context, actual.encode(), expected.encode());
    failCase(context.text() + " (== fails although the encodings are equal)");
}

// The result of `call`, or a failed case naming the context and the exception.
template <class Call>
auto callOrFail(const Context& context, Call&& call) -> decltype(call()) {
    std::string error;
    try {
        return call();
    } catch (const std::exception& e) {
        error = e.what();
    }
    failCase(context.text() + ": threw " + error);
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
            Context context(what);
            context.bytes("input", length).bytes("digest", n);
            return context;
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
            Context context(std::string(what) + " with byte " + std::to_string(i) + " changed");
            context.bytes("digest", encoded.size()).message(c.message.size());
            return context;
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
        requireSameDigest(Context("hash of chunks != hash of the contiguous message").message(length).chunks(chunked),
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
        Context contiguous("own hmac != RFC 2104 hmac, contiguous");
        contiguous.key(keyLength).message(message.size());
        const D own = callOrFail(contiguous, [&] { return zelkor::detail::ownHmac<D>(key, message); });
        requireSameDigest(contiguous, own, generic);
        Context lazy("own hmac != RFC 2104 hmac, chunked");
        lazy.key(keyLength).message(message.size()).chunks(chunked);
        const D ownLazy = callOrFail(lazy, [&] { return zelkor::detail::ownHmac<D>(key, chunked); });
        requireSameDigest(lazy, ownLazy, generic);
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
    if constexpr (zelkor::detail::HasMemberNamed_hmac<D>) {
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
