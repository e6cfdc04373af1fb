#pragma once
// The generic property groups for any block cipher: in each of the five modes,
// decryption undoes encryption, and the chunked operations give the same bytes
// and next IV as the contiguous ones.

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Modes.hpp"
#include "zelkor/Padding.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropHelpers.hpp"
#include "zelkor/tests/detail/checks/Generators.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests {

namespace detail {

// buildKey on the key bytes made from the material; none when it refuses them.
template <BlockCipher K>
std::optional<K> buildKeyFromBytes(const ByteString& material) {
    return K::buildKey(keyBytesFromMaterial(material, static_cast<long>(K::keyLength) >> 3));
}

// Each property builds its key first, then its IV, and discards the case when
// either is refused.
template <BlockCipher K>
K keyOrDiscard(const ByteString& material) {
    std::optional<K> key = buildKeyFromBytes<K>(material);
    RC_PRE(key.has_value());
    return std::move(*key);
}

template <BlockCipher K>
IV<K> ivOrDiscard(const ByteString& material) {
    std::optional<IV<K>> iv = IV<K>::decode(material);
    RC_PRE(iv.has_value());
    return std::move(*iv);
}

template <BlockCipher K>
ChunkedByteString wholeBlocksOf(const ChunkedByteString& plaintext) {
    return takeWholeBlocks(plaintext, blockBytes<K>());
}

// Encryption and decryption of one mode with an IV, contiguous and chunked.
struct CbcOps {
    static auto enc(const auto& k, const auto& iv, const auto& s) { return zelkor::cbc(k, iv, s); }
    static auto dec(const auto& k, const auto& iv, const auto& s) { return zelkor::unCbc(k, iv, s); }
    static auto encLazy(const auto& k, const auto& iv, const auto& q) { return zelkor::cbcLazy(k, iv, q); }
    static auto decLazy(const auto& k, const auto& iv, const auto& q) { return zelkor::unCbcLazy(k, iv, q); }
};
struct CfbOps {
    static auto enc(const auto& k, const auto& iv, const auto& s) { return zelkor::cfb(k, iv, s); }
    static auto dec(const auto& k, const auto& iv, const auto& s) { return zelkor::unCfb(k, iv, s); }
    static auto encLazy(const auto& k, const auto& iv, const auto& q) { return zelkor::cfbLazy(k, iv, q); }
    static auto decLazy(const auto& k, const auto& iv, const auto& q) { return zelkor::unCfbLazy(k, iv, q); }
};
struct OfbOps {
    static auto enc(const auto& k, const auto& iv, const auto& s) { return zelkor::ofb(k, iv, s); }
    static auto dec(const auto& k, const auto& iv, const auto& s) { return zelkor::unOfb(k, iv, s); }
    static auto encLazy(const auto& k, const auto& iv, const auto& q) { return zelkor::ofbLazy(k, iv, q); }
    static auto decLazy(const auto& k, const auto& iv, const auto& q) { return zelkor::unOfbLazy(k, iv, q); }
};
struct CtrOps {
    static auto enc(const auto& k, const auto& iv, const auto& s) { return zelkor::ctr(k, iv, s); }
    static auto dec(const auto& k, const auto& iv, const auto& s) { return zelkor::unCtr(k, iv, s); }
    static auto encLazy(const auto& k, const auto& iv, const auto& q) { return zelkor::ctrLazy(k, iv, q); }
    static auto decLazy(const auto& k, const auto& iv, const auto& q) { return zelkor::unCtrLazy(k, iv, q); }
};

template <BlockCipher K>
void ecbEncDecId(const ByteString& keyMaterial, const ByteString& plaintext) {
    const K key = keyOrDiscard<K>(keyMaterial);
    const ByteString padded = zelkor::padESPBlockSize<K>(plaintext);
    const std::optional<ByteString> back = zelkor::unpadESP(zelkor::unEcb(key, zelkor::ecb(key, padded)));
    RC_ASSERT(back.has_value());
    requireSameBytes("ECB decryption of the encryption, unpadded == the plaintext", *back, plaintext);
}

template <BlockCipher K, class Ops>
void ivModeEncDecId(const ByteString& keyMaterial, const ByteString& ivMaterial,
                    const ByteString& plaintext) {
    const K key = keyOrDiscard<K>(keyMaterial);
    const IV<K> iv = ivOrDiscard<K>(ivMaterial);
    const ByteString padded = zelkor::padESPBlockSize<K>(plaintext);
    const auto [ciphertext, ivAfterEnc] = Ops::enc(key, iv, padded);
    const auto [decrypted, ivAfterDec] = Ops::dec(key, iv, ciphertext);
    requireSameBytes("decryption of the encryption == the padded plaintext", decrypted, padded);
    RC_ASSERT(ivAfterDec == ivAfterEnc);
}

template <BlockCipher K>
void ecbStringLazyEq(const ByteString& keyMaterial, const ChunkedByteString& plaintext) {
    const K key = keyOrDiscard<K>(keyMaterial);
    const ChunkedByteString chunked = wholeBlocksOf<K>(plaintext);
    const ByteString strict = chunked.toStrict();
    requireSameBytes("ecb == ecbLazy", zelkor::ecb(key, strict), zelkor::ecbLazy(key, chunked).toStrict());
    requireSameBytes("unEcb == unEcbLazy", zelkor::unEcb(key, strict), zelkor::unEcbLazy(key, chunked).toStrict());
}

template <BlockCipher K, class Ops>
void ivModeStrictLazyEq(const ByteString& keyMaterial, const ByteString& ivMaterial,
                        const ChunkedByteString& plaintext) {
    const K key = keyOrDiscard<K>(keyMaterial);
    const IV<K> iv = ivOrDiscard<K>(ivMaterial);
    const ChunkedByteString chunked = wholeBlocksOf<K>(plaintext);
    const ByteString strict = chunked.toStrict();

    const auto [encStrict, ivEncStrict] = Ops::enc(key, iv, strict);
    const auto [encChunked, ivEncChunked] = Ops::encLazy(key, iv, chunked);
    requireSameBytes("encryption: contiguous == chunked", encStrict, encChunked.toStrict());
    RC_ASSERT(ivEncStrict == ivEncChunked);

    const auto [decStrict, ivDecStrict] = Ops::dec(key, iv, strict);
    const auto [decChunked, ivDecChunked] = Ops::decLazy(key, iv, chunked);
    requireSameBytes("decryption: contiguous == chunked", decStrict, decChunked.toStrict());
    RC_ASSERT(ivDecStrict == ivDecChunked);
}

}  // namespace detail

// Two groups of five properties each; building does no cryptographic work.
template <BlockCipher K>
std::vector<Test> makeBlockCipherPropTests() {
    using namespace detail;
    std::vector<Test> out;
    out.push_back(testGroup("Block Cipher tests (ident)",
                            {testProperty("ECBEncDecID", &ecbEncDecId<K>),
                             testProperty("CBCEncDecID", &ivModeEncDecId<K, CbcOps>),
                             testProperty("CFBEncDecID", &ivModeEncDecId<K, CfbOps>),
                             testProperty("OFBEncDecID", &ivModeEncDecId<K, OfbOps>),
                             testProperty("CTREncDecID", &ivModeEncDecId<K, CtrOps>)}));
    out.push_back(testGroup("Block Cipher tests (lazy/string bytestring equality)",
                            {testProperty("ECBStringLazyEq", &ecbStringLazyEq<K>),
                             testProperty("CBCStrictLazyEq", &ivModeStrictLazyEq<K, CbcOps>),
                             testProperty("CFBStrictLazyEq", &ivModeStrictLazyEq<K, CfbOps>),
                             testProperty("OFBStrictLazyEq", &ivModeStrictLazyEq<K, OfbOps>),
                             testProperty("CTRStrictLazyEq", &ivModeStrictLazyEq<K, CtrOps>)}));
    return out;
}

// The witness only selects the cipher type.
template <BlockCipher K>
std::vector<Test> makeBlockCipherPropTests(const K&) {
    return makeBlockCipherPropTests<K>();
}

}  // namespace zelkor::tests
