#pragma once
// The five block-cipher modes, for contiguous and chunked input.
//
// Every operation has a generic implementation over the cipher's
// encryptBlock / decryptBlock. A cipher type with a member of the same name
// (k.ecb(bytes), k.cbc(iv, bytes), k.cbcLazy(iv, chunked), ...) gets that
// member called instead, so an implementation's own modes are what gets used.
//
// Rules of the generic implementations:
// - The chunked (...Lazy) forms process the input chunk by chunk, also when a
//   chunk boundary falls inside a block, and give the same bytes and the same
//   next IV as the contiguous forms.
// - ECB and CBC need a whole number of blocks; other input throws
//   std::invalid_argument naming its length and the block size.
// - CFB, OFB and CTR are stream modes: any length is accepted, and a trailing
//   partial block is XORed with a prefix of its keystream block.
// - The next IV: CBC and CFB give the last whole ciphertext block (for
//   decryption, of the ciphertext input); OFB gives the last keystream block
//   made; CTR gives the counter after the last block used, the IV being read
//   as a big-endian integer that wraps from all-FF to 0. A trailing partial
//   block counts as a block for OFB and CTR (its keystream block was made and
//   its counter used) but not for CFB, whose next IV stays the last whole
//   ciphertext block, or the IV when there is none. Empty input gives the IV
//   back unchanged.
// - A cipher whose block size is less than one byte is refused with
//   std::invalid_argument.

#include <utility>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/detail/ModeEngines.hpp"

namespace zelkor {

namespace detail {

template <class K, bool Encrypt>
ByteString genericEcb(const K& key, const ByteString& bytes) {
    const char* name = Encrypt ? "ecb" : "unEcb";
    const std::size_t n = requireBlockBytes<K>(name);
    requireWholeBlocks(name, bytes.size(), n);
    EcbEngine<K, Encrypt> engine(key, n);
    return runContiguous(engine, bytes);
}

template <class K, bool Encrypt>
ChunkedByteString genericEcbLazy(const K& key, const ChunkedByteString& bytes) {
    const char* name = Encrypt ? "ecbLazy" : "unEcbLazy";
    const std::size_t n = requireBlockBytes<K>(name);
    requireWholeBlocks(name, bytes.size(), n);
    EcbEngine<K, Encrypt> engine(key, n);
    return runChunked(engine, bytes);
}

// A mode with an IV over contiguous input; `Engine` is one of the engines
// of ModeEngines.hpp.
template <class Engine, class K>
std::pair<ByteString, IV<K>> withIV(const char* name, bool wholeBlocksOnly, const K& key, const IV<K>& iv,
                                    const ByteString& bytes) {
    const std::size_t n = requireBlockBytes<K>(name);
    if (wholeBlocksOnly) requireWholeBlocks(name, bytes.size(), n);
    Engine engine(key, iv, n);
    ByteString out = runContiguous(engine, bytes);
    return {std::move(out), engine.nextIV()};
}

template <class Engine, class K>
std::pair<ChunkedByteString, IV<K>> withIVLazy(const char* name, bool wholeBlocksOnly, const K& key,
                                               const IV<K>& iv, const ChunkedByteString& bytes) {
    const std::size_t n = requireBlockBytes<K>(name);
    if (wholeBlocksOnly) requireWholeBlocks(name, bytes.size(), n);
    Engine engine(key, iv, n);
    ChunkedByteString out = runChunked(engine, bytes);
    return {std::move(out), engine.nextIV()};
}

}  // namespace detail

// ECB

template <BlockCipher K>
ByteString ecb(const K& key, const ByteString& bytes) {
    if constexpr (requires { key.ecb(bytes); }) return key.ecb(bytes);
    else return detail::genericEcb<K, true>(key, bytes);
}

template <BlockCipher K>
ByteString unEcb(const K& key, const ByteString& bytes) {
    if constexpr (requires { key.unEcb(bytes); }) return key.unEcb(bytes);
    else return detail::genericEcb<K, false>(key, bytes);
}

template <BlockCipher K>
ChunkedByteString ecbLazy(const K& key, const ChunkedByteString& bytes) {
    if constexpr (requires { key.ecbLazy(bytes); }) return key.ecbLazy(bytes);
    else return detail::genericEcbLazy<K, true>(key, bytes);
}

template <BlockCipher K>
ChunkedByteString unEcbLazy(const K& key, const ChunkedByteString& bytes) {
    if constexpr (requires { key.unEcbLazy(bytes); }) return key.unEcbLazy(bytes);
    else return detail::genericEcbLazy<K, false>(key, bytes);
}

// CBC

template <BlockCipher K>
std::pair<ByteString, IV<K>> cbc(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (requires { key.cbc(iv, bytes); }) return key.cbc(iv, bytes);
    else return detail::withIV<detail::CbcEncryptEngine<K>>("cbc", true, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unCbc(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (requires { key.unCbc(iv, bytes); }) return key.unCbc(iv, bytes);
    else return detail::withIV<detail::CbcDecryptEngine<K>>("unCbc", true, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> cbcLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (requires { key.cbcLazy(iv, bytes); }) return key.cbcLazy(iv, bytes);
    else return detail::withIVLazy<detail::CbcEncryptEngine<K>>("cbcLazy", true, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> unCbcLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (requires { key.unCbcLazy(iv, bytes); }) return key.unCbcLazy(iv, bytes);
    else return detail::withIVLazy<detail::CbcDecryptEngine<K>>("unCbcLazy", true, key, iv, bytes);
}

// CFB

template <BlockCipher K>
std::pair<ByteString, IV<K>> cfb(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (requires { key.cfb(iv, bytes); }) return key.cfb(iv, bytes);
    else return detail::withIV<detail::CfbEngine<K, true>>("cfb", false, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unCfb(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (requires { key.unCfb(iv, bytes); }) return key.unCfb(iv, bytes);
    else return detail::withIV<detail::CfbEngine<K, false>>("unCfb", false, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> cfbLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (requires { key.cfbLazy(iv, bytes); }) return key.cfbLazy(iv, bytes);
    else return detail::withIVLazy<detail::CfbEngine<K, true>>("cfbLazy", false, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> unCfbLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (requires { key.unCfbLazy(iv, bytes); }) return key.unCfbLazy(iv, bytes);
    else return detail::withIVLazy<detail::CfbEngine<K, false>>("unCfbLazy", false, key, iv, bytes);
}

// OFB

template <BlockCipher K>
std::pair<ByteString, IV<K>> ofb(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (requires { key.ofb(iv, bytes); }) return key.ofb(iv, bytes);
    else return detail::withIV<detail::OfbEngine<K>>("ofb", false, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unOfb(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (requires { key.unOfb(iv, bytes); }) return key.unOfb(iv, bytes);
    else return detail::withIV<detail::OfbEngine<K>>("unOfb", false, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> ofbLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (requires { key.ofbLazy(iv, bytes); }) return key.ofbLazy(iv, bytes);
    else return detail::withIVLazy<detail::OfbEngine<K>>("ofbLazy", false, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> unOfbLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (requires { key.unOfbLazy(iv, bytes); }) return key.unOfbLazy(iv, bytes);
    else return detail::withIVLazy<detail::OfbEngine<K>>("unOfbLazy", false, key, iv, bytes);
}

// CTR

template <BlockCipher K>
std::pair<ByteString, IV<K>> ctr(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (requires { key.ctr(iv, bytes); }) return key.ctr(iv, bytes);
    else return detail::withIV<detail::CtrEngine<K>>("ctr", false, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unCtr(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (requires { key.unCtr(iv, bytes); }) return key.unCtr(iv, bytes);
    else return detail::withIV<detail::CtrEngine<K>>("unCtr", false, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> ctrLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (requires { key.ctrLazy(iv, bytes); }) return key.ctrLazy(iv, bytes);
    else return detail::withIVLazy<detail::CtrEngine<K>>("ctrLazy", false, key, iv, bytes);
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> unCtrLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (requires { key.unCtrLazy(iv, bytes); }) return key.unCtrLazy(iv, bytes);
    else return detail::withIVLazy<detail::CtrEngine<K>>("unCtrLazy", false, key, iv, bytes);
}

}  // namespace zelkor
