#pragma once
// Constant-time groups: each call of a primitive runs with its secrets marked
// for valgrind's memcheck (zelkor/ConstantTime.hpp), which reports every
// conditional jump and every memory address computed from them. A call with
// any report fails its case, naming the call and the count: "encryptBlock:
// 160 secret-dependent branches or memory indexes in one call (memcheck
// printed each with its stack above)". Each call's result is made public and
// compared with the same call on unmarked inputs, so the answers are checked
// too.
//
// Secret: for ciphers the key (in buildKey, and in every call through the key
// it built) and the data of encryptBlock and decryptBlock and the plaintext of
// every mode (contiguous and chunked, both directions; IVs and ciphertexts
// are public); for digests the message of hash (its length public) and the key
// and message of hmac; for GCM the key and the plaintext (IV, AAD, ciphertext
// and tag public). Opening must branch on whether the tag matched, so
// gcmDecrypt is checked by a rule that a constant-time comparison passes: the
// count must not depend on where a forged tag differs.
//
// The inputs are fixed and few (a few calls per operation): memcheck makes a
// program 20 to 50 times slower. Outside memcheck each group is one skipped
// case giving the reason and the command that runs it.
//
// A new kind of primitive gets a builder of its own here: a case per
// operation, its secrets made with SecretCalls::secret and each call run
// through SecretCalls::check (see detail/ConstantTimeChecks.hpp).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/ConstantTime.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/Modes.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/checks/ConstantTimeChecks.hpp"

namespace zelkor::tests {

namespace detail {

template <BlockCipher K>
std::size_t ctKeyBytes() {
    return K::keyLength > 0 ? static_cast<std::size_t>(K::keyLength) / 8 : 16;
}

// The key every case uses, built from `bytes` (ordinary or secret).
template <BlockCipher K>
K ctKey(const ByteString& bytes) {
    std::optional<K> key = K::buildKey(bytes);
    if (!key) throw AssertionFailure("buildKey refused a key of " + std::to_string(bytes.size()) + " bytes");
    return std::move(*key);
}

// The ordinary key and the same key built from secret bytes.
template <BlockCipher K>
std::pair<K, K> ctKeys(SecretCalls& calls) {
    const ByteString bytes = patternBytes(ctKeyBytes<K>(), 1);
    return {ctKey<K>(bytes), ctKey<K>(calls.secret(bytes))};
}

template <BlockCipher K>
void ctBuildKey() {
    SecretCalls calls;
    const ByteString bytes = patternBytes(ctKeyBytes<K>(), 1);
    const ByteString secretBytes = calls.secret(bytes);
    // A built key is compared by its encryption of a block, made after the count.
    const ByteString block = patternBytes(blockBytes<K>(), 2);
    const auto encryption = [&](const std::optional<K>& key) {
        return key ? std::optional<ByteString>(key->encryptBlock(block)) : std::nullopt;
    };
    calls.check(
        "buildKey", [&] { return K::buildKey(secretBytes); }, [&] { return K::buildKey(bytes); }, encryption);
    calls.requireNone();
}

// One block and three, secret data under the secret key.
template <BlockCipher K>
void ctBlocks() {
    SecretCalls calls;
    const std::pair<K, K> keys = ctKeys<K>(calls);
    const K& key = keys.first;
    const K& secretKey = keys.second;
    for (const std::size_t count : {1, 3}) {
        const ByteString data = patternBytes(count * blockBytes<K>(), 3);
        const ByteString secretData = calls.secret(data);
        const std::string form = count == 1 ? "" : " (" + std::to_string(count) + " blocks)";
        calls.check(
            "encryptBlock" + form, [&] { return secretKey.encryptBlock(secretData); },
            [&] { return key.encryptBlock(data); });
        calls.check(
            "decryptBlock" + form, [&] { return secretKey.decryptBlock(secretData); },
            [&] { return key.decryptBlock(data); });
    }
    calls.requireNone();
}

// The message of a mode: two whole blocks, or two and a partial one for the
// stream modes.
template <BlockCipher K>
ByteString ctMessage(bool wholeBlocks) {
    return patternBytes(2 * blockBytes<K>() + (wholeBlocks ? 0 : 3), 4);
}

template <BlockCipher K>
void ctECB() {
    SecretCalls calls;
    const std::pair<K, K> keys = ctKeys<K>(calls);
    const K& key = keys.first;
    const K& secretKey = keys.second;
    const ByteString message = ctMessage<K>(true);
    const ChunkedByteString chunked = unevenChunks(message, blockBytes<K>());
    const ByteString secretMessage = calls.secret(message);
    const ChunkedByteString secretChunked = calls.secret(chunked);
    calls.check(
        "ecb (contiguous)", [&] { return zelkor::ecb(secretKey, secretMessage); },
        [&] { return zelkor::ecb(key, message); });
    calls.check(
        "ecbLazy " + chunkedNote(chunked), [&] { return zelkor::ecbLazy(secretKey, secretChunked); },
        [&] { return zelkor::ecbLazy(key, chunked); });
    calls.check(
        "unEcb (contiguous)", [&] { return zelkor::unEcb(secretKey, message); },
        [&] { return zelkor::unEcb(key, message); });
    calls.check(
        "unEcbLazy " + chunkedNote(chunked), [&] { return zelkor::unEcbLazy(secretKey, chunked); },
        [&] { return zelkor::unEcbLazy(key, chunked); });
    calls.requireNone();
}

struct CbcTimed : CbcOps {
    static constexpr bool wholeBlocks = true;
    static constexpr const char* names[2][2] = {{"cbc", "cbcLazy"}, {"unCbc", "unCbcLazy"}};
};
struct CfbTimed : CfbOps {
    static constexpr bool wholeBlocks = false;
    static constexpr const char* names[2][2] = {{"cfb", "cfbLazy"}, {"unCfb", "unCfbLazy"}};
};
struct OfbTimed : OfbOps {
    static constexpr bool wholeBlocks = false;
    static constexpr const char* names[2][2] = {{"ofb", "ofbLazy"}, {"unOfb", "unOfbLazy"}};
};
struct CtrTimed : CtrOps {
    static constexpr bool wholeBlocks = false;
    static constexpr const char* names[2][2] = {{"ctr", "ctrLazy"}, {"unCtr", "unCtrLazy"}};
};

// Encryption of a secret plaintext and decryption of a public ciphertext, both
// under the secret key, contiguous and chunked; the IV is public.
template <BlockCipher K, class Mode>
void ctIVMode() {
    SecretCalls calls;
    const std::pair<K, K> keys = ctKeys<K>(calls);
    const K& key = keys.first;
    const K& secretKey = keys.second;
    const IV<K> iv = *IV<K>::decode(patternBytes(blockBytes<K>(), 5));
    const ByteString message = ctMessage<K>(Mode::wholeBlocks);
    const ChunkedByteString chunked = unevenChunks(message, blockBytes<K>());
    const ByteString secretMessage = calls.secret(message);
    const ChunkedByteString secretChunked = calls.secret(chunked);
    calls.check(
        std::string(Mode::names[0][0]) + " (contiguous)", [&] { return Mode::enc(secretKey, iv, secretMessage); },
        [&] { return Mode::enc(key, iv, message); });
    calls.check(
        std::string(Mode::names[0][1]) + " " + chunkedNote(chunked),
        [&] { return Mode::encLazy(secretKey, iv, secretChunked); }, [&] { return Mode::encLazy(key, iv, chunked); });
    calls.check(
        std::string(Mode::names[1][0]) + " (contiguous)", [&] { return Mode::dec(secretKey, iv, message); },
        [&] { return Mode::dec(key, iv, message); });
    calls.check(
        std::string(Mode::names[1][1]) + " " + chunkedNote(chunked), [&] { return Mode::decLazy(secretKey, iv, chunked); },
        [&] { return Mode::decLazy(key, iv, chunked); });
    calls.requireNone();
}

template <Hash D>
std::size_t ctBlockBytes() {
    return D::blockLength >= 8 ? static_cast<std::size_t>(D::blockLength) / 8 : 1;
}

// A message of a block and 3 bytes, contiguous and chunked.
template <Hash D>
void ctHash() {
    SecretCalls calls;
    const ByteString message = patternBytes(ctBlockBytes<D>() + 3, 6);
    const ChunkedByteString chunked = unevenChunks(message, ctBlockBytes<D>());
    const ByteString secretMessage = calls.secret(message);
    const ChunkedByteString secretChunked = calls.secret(chunked);
    calls.check(
        "hash (contiguous)", [&] { return D::hash(secretMessage); }, [&] { return D::hash(message); });
    calls.check(
        "hash " + chunkedNote(chunked), [&] { return D::hash(secretChunked); }, [&] { return D::hash(chunked); });
    calls.requireNone();
}

// A key shorter than a block and one longer (hashed first), each with the
// message contiguous and chunked.
template <Hash D>
void ctHmac() {
    SecretCalls calls;
    const std::size_t b = ctBlockBytes<D>();
    const ByteString message = patternBytes(b + 3, 7);
    const ChunkedByteString chunked = unevenChunks(message, b);
    const ByteString secretMessage = calls.secret(message);
    const ChunkedByteString secretChunked = calls.secret(chunked);
    for (const std::size_t keyBytes : {b / 2, b + 5}) {
        const ByteString key = patternBytes(keyBytes, 8);
        const ByteString secretKey = calls.secret(key);
        const std::string form = " (" + std::to_string(keyBytes) + "-byte key, ";
        calls.check(
            "hmac" + form + "contiguous)", [&] { return zelkor::hmac<D>(secretKey, secretMessage); },
            [&] { return zelkor::hmac<D>(key, message); });
        calls.check(
            "hmac" + form + chunkedNote(chunked).substr(1), [&] { return zelkor::hmac<D>(secretKey, secretChunked); },
            [&] { return zelkor::hmac<D>(key, chunked); });
    }
    calls.requireNone();
}

// Sealing a secret plaintext under the secret key, with a 12-byte IV and with
// a 16-byte one (whose counter block GHASH makes under the secret hash key).
template <GcmBlockCipher K>
void ctGcmEncrypt() {
    SecretCalls calls;
    const std::pair<K, K> keys = ctKeys<K>(calls);
    const K& key = keys.first;
    const K& secretKey = keys.second;
    const ByteString aad = patternBytes(5, 9);
    const ByteString plaintext = ctMessage<K>(false);
    const ByteString secretPlaintext = calls.secret(plaintext);
    for (const std::size_t ivBytes : {12, 16}) {
        const ByteString iv = patternBytes(ivBytes, 10);
        calls.check(
            "gcmEncrypt (" + std::to_string(ivBytes) + "-byte IV)",
            [&] { return zelkor::gcmEncrypt(secretKey, iv, aad, secretPlaintext); },
            [&] { return zelkor::gcmEncrypt(key, iv, aad, plaintext); });
    }
    calls.requireNone();
}

// Opening under the secret key: with the valid tag the result must be the
// plaintext; with a tag forged at its first byte and one forged at its last
// none. Deciding must branch on the comparison's outcome, so reports are
// allowed, but their number must not depend on where the forged tag differs:
// a comparison that stops at the first difference gives more for the last.
std::string openFinding(std::string_view operation, std::uint64_t valid, std::uint64_t forgedFirst,
                        std::uint64_t forgedLast);
std::string gcmOpenFinding(std::uint64_t valid, std::uint64_t forgedFirst, std::uint64_t forgedLast);
// Prints what a passing open was checked for, with its counts.
void noteOpen(std::string_view operation, std::uint64_t valid, std::uint64_t forgedFirst, std::uint64_t forgedLast);
void noteGcmOpen(std::uint64_t valid, std::uint64_t forgedFirst, std::uint64_t forgedLast);

template <GcmBlockCipher K>
void ctGcmDecrypt() {
    SecretCalls calls;
    const std::pair<K, K> keys = ctKeys<K>(calls);
    const K& key = keys.first;
    const K& secretKey = keys.second;
    const ByteString iv = patternBytes(12, 10);
    const ByteString aad = patternBytes(5, 9);
    const GcmSealed sealed = zelkor::gcmEncrypt(key, iv, aad, ctMessage<K>(false));
    const auto forged = [&](std::size_t at) {
        std::vector<std::uint8_t> tag = sealed.tag.vector();
        tag[at] ^= 0x01;
        return ByteString(std::move(tag));
    };
    const ByteString tags[3] = {sealed.tag, forged(0), forged(sealed.tag.size() - 1)};
    std::uint64_t counts[3] = {};
    for (int i = 0; i < 3; ++i) {
        const ByteString& tag = tags[i];
        counts[i] = calls.run(
            i == 0 ? "gcmDecrypt (valid tag)" : "gcmDecrypt (forged tag)",
            [&] { return zelkor::gcmDecrypt(secretKey, iv, aad, sealed.ciphertext, tag); },
            [&] { return zelkor::gcmDecrypt(key, iv, aad, sealed.ciphertext, tag); });
    }
    if (counts[1] != counts[2]) calls.problem(gcmOpenFinding(counts[0], counts[1], counts[2]));
    calls.requireNone();
    noteGcmOpen(counts[0], counts[1], counts[2]);
}

}  // namespace detail

// One group, "Block Cipher constant time": buildKey, the block functions and
// the five modes.
template <BlockCipher K>
std::vector<Test> makeBlockCipherConstantTimeTests() {
    using namespace detail;
    const char* const name = "Block Cipher constant time";
    if (!constantTimeCheckerActive()) return {testGroup(name, {constantTimeUnavailableCase(kConstantTimeCheckerBuilt)})};
    return {testGroup(name, {testCase("buildKey", &ctBuildKey<K>), testCase("encryptBlock and decryptBlock", &ctBlocks<K>),
                             testCase("ECB", &ctECB<K>), testCase("CBC", &ctIVMode<K, CbcTimed>),
                             testCase("CFB", &ctIVMode<K, CfbTimed>), testCase("OFB", &ctIVMode<K, OfbTimed>),
                             testCase("CTR", &ctIVMode<K, CtrTimed>)})};
}

template <BlockCipher K>
std::vector<Test> makeBlockCipherConstantTimeTests(const K&) {
    return makeBlockCipherConstantTimeTests<K>();
}

// One group, "Digest constant time": hash and hmac.
template <Hash D>
std::vector<Test> makeHashConstantTimeTests() {
    using namespace detail;
    const char* const name = "Digest constant time";
    if (!constantTimeCheckerActive()) return {testGroup(name, {constantTimeUnavailableCase(kConstantTimeCheckerBuilt)})};
    return {testGroup(name, {testCase("hash", &ctHash<D>), testCase("hmac", &ctHmac<D>)})};
}

template <Hash D>
std::vector<Test> makeHashConstantTimeTests(const D&) {
    return makeHashConstantTimeTests<D>();
}

// One group, "GCM constant time": gcmEncrypt and gcmDecrypt.
template <GcmBlockCipher K>
std::vector<Test> makeGCMConstantTimeTests() {
    using namespace detail;
    const char* const name = "GCM constant time";
    if (!constantTimeCheckerActive()) return {testGroup(name, {constantTimeUnavailableCase(kConstantTimeCheckerBuilt)})};
    return {testGroup(name, {testCase("gcmEncrypt", &ctGcmEncrypt<K>),
                             testCase("gcmDecrypt (count independent of the forged tag byte)", &ctGcmDecrypt<K>)})};
}

template <GcmBlockCipher K>
std::vector<Test> makeGCMConstantTimeTests(const K&) {
    return makeGCMConstantTimeTests<K>();
}

}  // namespace zelkor::tests

