#pragma once
// Buffer-safety groups: every byte string a primitive receives is placed
// where an access outside it faults (its last byte right before an
// inaccessible page, or its first byte right after one, at offsets 0..15
// from a 64-byte boundary) and is read-only while the call runs. A call that
// reads past its input or before it, or writes into it, fails its check with
// the operation, the argument, its length and placement and what it did; a
// call that faults elsewhere (an aligned-only vector load, a wild pointer) is
// reported as a crash with the same details. Every placed call must also give
// the result the same call gives on ordinary storage, so an over-read that
// stays inside a page and changes the answer is caught too.
//
// Placed: for ciphers the key given to buildKey, the input of encryptBlock and
// decryptBlock (one and several blocks), the input and IV of every mode in both
// directions, contiguous and chunked (each chunk on its own), the input and
// IV or tweak of CFB8, CFB1, CBC with PKCS#7 padding and XTS (contiguous), and
// the bytes given to IV::decode; for digests the message of hash in both forms, the key
// and message of hmac in both forms, and the bytes given to decode. Lengths
// are 0, 1, b-1, b, b+1, 2b+3 and random ones up to 4b (b the block length).
//
// An adapter must hand the library's bytes to the implementation without
// copying them: the checks see only the bytes they placed. Where pages cannot
// be placed, each group is one skipped case that says why.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/ExtraModes.hpp"
#include "zelkor/Modes.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/checks/BufferSafetyChecks.hpp"
#include "zelkor/tests/detail/checks/ConformanceInputs.hpp"

namespace zelkor::tests {

namespace detail {

template <BlockCipher K>
inline constexpr std::size_t kKeyBytes = K::keyLength > 0 ? static_cast<std::size_t>(K::keyLength) / 8 : 0;

template <BlockCipher K>
using CipherSafetyCase = SafetyCaseOf<blockBytes<K>(), kKeyBytes<K>>;

template <Hash D>
using DigestSafetyCase = SafetyCaseOf<(D::blockLength > 0 ? static_cast<std::size_t>(D::blockLength) / 8 : 0), 0>;

inline std::string chunkedForm(const ChunkedByteString& chunks) {
    const std::size_t n = chunks.chunks().size();
    return " (chunked, " + std::to_string(n) + (n == 1 ? " chunk)" : " chunks)");
}

template <BlockCipher K>
ByteString wholeBlocks(const ByteString& bytes) {
    const std::size_t b = blockBytes<K>();
    return b == 0 ? bytes : bytes.take(bytes.size() - bytes.size() % b);
}

// The IV of `bytes`; an exception (reported as the call's result) when refused.
template <BlockCipher K>
IV<K> ivOf(const ByteString& bytes) {
    std::optional<IV<K>> iv = IV<K>::decode(bytes);
    if (!iv) throw std::invalid_argument("IV::decode refused " + std::to_string(bytes.size()) + " bytes");
    return std::move(*iv);
}

// buildKey on a key of keyLength/8 bytes and on one of a drawn length; a
// built key is compared by its encryption of a block.
template <BlockCipher K>
void placedKey(const CipherSafetyCase<K>& c) {
    Placer placer(c.placements);
    for (const ByteString& material : {c.key, c.message}) {
        placer.newCall();
        const ByteString placed = placer.place("key", material);
        requireSafeCall("buildKey", placer.arguments(), [&](bool onPlaced) {
            const std::optional<K> key = K::buildKey(onPlaced ? placed : material);
            return key ? std::optional<ByteString>(key->encryptBlock(c.iv)) : std::nullopt;
        });
    }
}

template <BlockCipher K>
void placedBlocks(const CipherSafetyCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    Placer placer(c.placements);
    const ByteString oneBlock = c.blocks.take(blockBytes<K>());
    for (const ByteString& blocks : {oneBlock, c.blocks}) {
        const std::size_t count = blocks.size() / blockBytes<K>();
        const std::string form = count == 1 ? " (one block)" : " (" + std::to_string(count) + " blocks)";
        for (const bool encrypt : {true, false}) {
            placer.newCall();
            const ByteString placed = placer.place("input", blocks);
            requireSafeCall((encrypt ? "encryptBlock" : "decryptBlock") + form, placer.arguments(), [&](bool p) {
                return encrypt ? key.encryptBlock(p ? placed : blocks) : key.decryptBlock(p ? placed : blocks);
            });
        }
        if (count == 1) break;
    }
}

// IV::decode of b bytes and of a drawn length.
template <BlockCipher K>
void placedIV(const CipherSafetyCase<K>& c) {
    Placer placer(c.placements);
    for (const ByteString& bytes : {c.iv, c.message}) {
        placer.newCall();
        const ByteString placed = placer.place("input", bytes);
        requireSafeCall("IV::decode", placer.arguments(), [&](bool p) { return IV<K>::decode(p ? placed : bytes); });
    }
}

template <BlockCipher K>
void placedECB(const CipherSafetyCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const ByteString message = wholeBlocks<K>(c.message);
    const ChunkedByteString chunked = chunkByPlan(message, c.plan);
    Placer placer(c.placements);
    for (const bool encrypt : {true, false}) {
        placer.newCall();
        const ByteString placed = placer.place("input", message);
        requireSafeCall(std::string(encrypt ? "ecb" : "unEcb") + " (contiguous)", placer.arguments(), [&](bool p) {
            return encrypt ? zelkor::ecb(key, p ? placed : message) : zelkor::unEcb(key, p ? placed : message);
        });
        placer.newCall();
        const ChunkedByteString placedChunks = placer.placeChunks("input", chunked);
        requireSafeCall(std::string(encrypt ? "ecbLazy" : "unEcbLazy") + chunkedForm(chunked), placer.arguments(),
                        [&](bool p) {
                            const ChunkedByteString& in = p ? placedChunks : chunked;
                            return encrypt ? zelkor::ecbLazy(key, in) : zelkor::unEcbLazy(key, in);
                        });
    }
}

// The modes with an IV, by name.
struct CbcSafety : CbcOps {
    static constexpr bool wholeBlocks = true;
    static constexpr const char* names[2][2] = {{"cbc", "unCbc"}, {"cbcLazy", "unCbcLazy"}};
};
struct CfbSafety : CfbOps {
    static constexpr bool wholeBlocks = false;
    static constexpr const char* names[2][2] = {{"cfb", "unCfb"}, {"cfbLazy", "unCfbLazy"}};
};
struct OfbSafety : OfbOps {
    static constexpr bool wholeBlocks = false;
    static constexpr const char* names[2][2] = {{"ofb", "unOfb"}, {"ofbLazy", "unOfbLazy"}};
};
struct CtrSafety : CtrOps {
    static constexpr bool wholeBlocks = false;
    static constexpr const char* names[2][2] = {{"ctr", "unCtr"}, {"ctrLazy", "unCtrLazy"}};
};

// Both directions, contiguous and chunked, with the IV placed as well (the
// IV object is decoded from the placed bytes inside the call).
template <BlockCipher K, class Mode>
void placedIVMode(const CipherSafetyCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const ByteString message = Mode::wholeBlocks ? wholeBlocks<K>(c.message) : c.message;
    const ChunkedByteString chunked = chunkByPlan(message, c.plan);
    Placer placer(c.placements);
    for (const bool encrypt : {true, false}) {
        const std::size_t direction = encrypt ? 0 : 1;
        placer.newCall();
        const ByteString placedIV = placer.place("IV", c.iv);
        const ByteString placed = placer.place("input", message);
        requireSafeCall(std::string(Mode::names[0][direction]) + " (contiguous)", placer.arguments(), [&](bool p) {
            const IV<K> iv = ivOf<K>(p ? placedIV : c.iv);
            const ByteString& in = p ? placed : message;
            return encrypt ? Mode::enc(key, iv, in) : Mode::dec(key, iv, in);
        });
        placer.newCall();
        const ByteString placedLazyIV = placer.place("IV", c.iv);
        const ChunkedByteString placedChunks = placer.placeChunks("input", chunked);
        requireSafeCall(Mode::names[1][direction] + chunkedForm(chunked), placer.arguments(), [&](bool p) {
            const IV<K> iv = ivOf<K>(p ? placedLazyIV : c.iv);
            const ChunkedByteString& in = p ? placedChunks : chunked;
            return encrypt ? Mode::encLazy(key, iv, in) : Mode::decLazy(key, iv, in);
        });
    }
}

// CFB8, CFB1 (up to three bytes but the last three bits),
// CBC with PKCS#7 padding and XTS (the tweak key made from the case's key), contiguous,
// with the IV or tweak placed as well. Units under 16 bytes are refused the
// same way on placed and on ordinary storage.
template <BlockCipher K>
void placedExtraModes(const CipherSafetyCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const ByteString feedback = c.message.take(blockBytes<K>() + 1);
    const ByteString bitInput = feedback.take(3);
    const std::size_t bits = bitInput.empty() ? 0 : 8 * bitInput.size() - 3;
    Placer placer(c.placements);
    const auto withIV = [&](const std::string& name, const ByteString& in, auto&& op) {
        placer.newCall();
        const ByteString placedIV = placer.place("IV", c.iv);
        const ByteString placed = placer.place("input", in);
        requireSafeCall(name, placer.arguments(),
                        [&](bool p) { return op(ivOf<K>(p ? placedIV : c.iv), p ? placed : in); });
    };
    for (const bool encrypt : {true, false}) {
        withIV(encrypt ? "cfb8" : "unCfb8", feedback, [&](const IV<K>& iv, const ByteString& in) {
            return encrypt ? zelkor::cfb8(key, iv, in) : zelkor::unCfb8(key, iv, in);
        });
        withIV(std::string(encrypt ? "cfb1" : "unCfb1") + " (" + std::to_string(bits) + " bits)", bitInput,
               [&](const IV<K>& iv, const ByteString& bytes) {
                   return encrypt ? zelkor::cfb1(key, iv, bytes, bits) : zelkor::unCfb1(key, iv, bytes, bits);
               });
    }
    withIV("cbcPKCS7", c.message,
           [&](const IV<K>& iv, const ByteString& in) { return zelkor::cbcPKCS7(key, iv, in); });
    withIV("unCbcPKCS7", wholeBlocks<K>(c.message),
           [&](const IV<K>& iv, const ByteString& in) { return zelkor::unCbcPKCS7(key, iv, in); });
    if constexpr (XtsBlockCipher<K>) {
        std::vector<std::uint8_t> other = c.key.vector();
        for (std::uint8_t& byte : other) byte ^= 0xa5;
        const K tweakKey = keyOrDiscard<K>(ByteString(std::move(other)));
        for (const bool encrypt : {true, false}) {
            placer.newCall();
            const ByteString placedTweak = placer.place("tweak", c.iv);
            const ByteString placed = placer.place("input", c.message);
            requireSafeCall(encrypt ? "xts" : "unXts", placer.arguments(), [&](bool p) {
                const ByteString& tweak = p ? placedTweak : c.iv;
                const ByteString& in = p ? placed : c.message;
                return encrypt ? zelkor::xts(key, tweakKey, tweak, in) : zelkor::unXts(key, tweakKey, tweak, in);
            });
        }
    }
}

template <Hash D>
void placedHash(const DigestSafetyCase<D>& c) {
    const ChunkedByteString chunked = chunkByPlan(c.message, c.plan);
    Placer placer(c.placements);
    placer.newCall();
    const ByteString placed = placer.place("message", c.message);
    requireSafeCall("hash (contiguous)", placer.arguments(), [&](bool p) { return D::hash(p ? placed : c.message); });
    placer.newCall();
    const ChunkedByteString placedChunks = placer.placeChunks("message", chunked);
    requireSafeCall("hash" + chunkedForm(chunked), placer.arguments(),
                    [&](bool p) { return D::hash(p ? placedChunks : chunked); });
}

template <Hash D>
void placedHmac(const DigestSafetyCase<D>& c) {
    const ChunkedByteString chunked = chunkByPlan(c.message, c.plan);
    Placer placer(c.placements);
    placer.newCall();
    const ByteString key = placer.place("key", c.key);
    const ByteString placed = placer.place("message", c.message);
    requireSafeCall("hmac (contiguous)", placer.arguments(), [&](bool p) {
        return p ? zelkor::hmac<D>(key, placed) : zelkor::hmac<D>(c.key, c.message);
    });
    placer.newCall();
    const ByteString chunkedKey = placer.place("key", c.key);
    const ChunkedByteString placedChunks = placer.placeChunks("message", chunked);
    requireSafeCall("hmac" + chunkedForm(chunked), placer.arguments(), [&](bool p) {
        return p ? zelkor::hmac<D>(chunkedKey, placedChunks) : zelkor::hmac<D>(c.key, chunked);
    });
}

// decode of one byte less than a digest, of a digest, and of a digest
// followed by the message.
template <Hash D>
void placedDecode(const DigestSafetyCase<D>& c) {
    const ByteString bytes = D::hash(c.message).encode() + c.message;
    const std::size_t n = D::outputLength > 0 ? static_cast<std::size_t>(D::outputLength) / 8 : 0;
    Placer placer(c.placements);
    for (const std::size_t length : {n > 0 ? n - 1 : 0, n, bytes.size()}) {
        const ByteString input = bytes.take(length);
        placer.newCall();
        const ByteString placed = placer.place("input", input);
        requireSafeCall("decode", placer.arguments(), [&](bool p) { return D::decode(p ? placed : input); });
    }
}

}  // namespace detail

// One group, "Block Cipher buffer safety"; building does no cryptographic work.
template <BlockCipher K>
std::vector<Test> makeBlockCipherBufferSafetyTests() {
    using namespace detail;
    const char* const name = "Block Cipher buffer safety";
    if (!placementAvailable() || !faultGuardAvailable()) return {testGroup(name, {placementUnavailableCase()})};
    return {testGroup(name, {testProperty("PlacedKey", &placedKey<K>),
                             testProperty("PlacedBlocks", &placedBlocks<K>),
                             testProperty("PlacedIV", &placedIV<K>),
                             testProperty("PlacedECB", &placedECB<K>),
                             testProperty("PlacedCBC", &placedIVMode<K, CbcSafety>),
                             testProperty("PlacedCFB", &placedIVMode<K, CfbSafety>),
                             testProperty("PlacedOFB", &placedIVMode<K, OfbSafety>),
                             testProperty("PlacedCTR", &placedIVMode<K, CtrSafety>),
                             testProperty("PlacedCFB8CFB1PKCS7XTS", &placedExtraModes<K>)})};
}

// The witness only selects the cipher type.
template <BlockCipher K>
std::vector<Test> makeBlockCipherBufferSafetyTests(const K&) {
    return makeBlockCipherBufferSafetyTests<K>();
}

// One group, "Digest buffer safety".
template <Hash D>
std::vector<Test> makeHashBufferSafetyTests() {
    using namespace detail;
    const char* const name = "Digest buffer safety";
    if (!placementAvailable() || !faultGuardAvailable()) return {testGroup(name, {placementUnavailableCase()})};
    return {testGroup(name, {testProperty("PlacedHash", &placedHash<D>),
                             testProperty("PlacedHMAC", &placedHmac<D>),
                             testProperty("PlacedDecode", &placedDecode<D>)})};
}

// The witness only selects the digest type.
template <Hash D>
std::vector<Test> makeHashBufferSafetyTests(const D&) {
    return makeHashBufferSafetyTests<D>();
}

}  // namespace zelkor::tests
