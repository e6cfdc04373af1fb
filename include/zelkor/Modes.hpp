#pragma once
// The five block-cipher modes, for contiguous and chunked input.
//
// Every operation has a generic implementation over the cipher's
// encryptBlock / decryptBlock. A cipher type with a member of the same name
// (k.ecb(bytes), k.cbc(iv, bytes), k.cbcLazy(iv, chunked), ...) gets that
// member called instead, so an implementation's own modes are what gets used.
// Such a member must be callable on a const key with the operation's
// arguments and return exactly its type (e.g.
// std::pair<ByteString, IV<K>> cbc(const IV<K>&, const ByteString&) const);
// one that is not is a compile error naming it, never passed over.
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

#include <concepts>
#include <utility>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/detail/ModeEngines.hpp"
#include "zelkor/detail/OwnMembers.hpp"

namespace zelkor {

namespace detail {

// Whether K's own member can stand in for the generic operation: callable on
// a const K with the same arguments, returning exactly the same type.
// Whether the operation calls K's own member: one that fits, or one that is
// there for this K but does not fit (a compile error then).
#define ZELKOR_DETAIL_OWN_ECB(name, Bytes)                                                        \
    template <class K>                                                                            \
    concept OwnFits_##name = requires(const K& k, const Bytes& b) {                               \
        { k.name(b) } -> std::same_as<Bytes>;                                                     \
    };                                                                                            \
    template <class K>                                                                            \
    concept UsesOwn_##name =                                                                      \
        OwnFits_##name<K> || HasMemberNamed_##name<K> || requires(K& k, const Bytes& b) { k.name(b); };
#define ZELKOR_DETAIL_OWN_IV_MODE(name, Bytes)                                                    \
    template <class K>                                                                            \
    concept OwnFits_##name = requires(const K& k, const IV<K>& iv, const Bytes& b) {              \
        { k.name(iv, b) } -> std::same_as<std::pair<Bytes, IV<K>>>;                               \
    };                                                                                            \
    template <class K>                                                                            \
    concept UsesOwn_##name = OwnFits_##name<K> || HasMemberNamed_##name<K> ||                     \
                             requires(K& k, const IV<K>& iv, const Bytes& b) { k.name(iv, b); };

ZELKOR_DETAIL_OWN_ECB(ecb, ByteString)
ZELKOR_DETAIL_OWN_ECB(unEcb, ByteString)
ZELKOR_DETAIL_OWN_ECB(ecbLazy, ChunkedByteString)
ZELKOR_DETAIL_OWN_ECB(unEcbLazy, ChunkedByteString)
ZELKOR_DETAIL_OWN_IV_MODE(cbc, ByteString)
ZELKOR_DETAIL_OWN_IV_MODE(unCbc, ByteString)
ZELKOR_DETAIL_OWN_IV_MODE(cbcLazy, ChunkedByteString)
ZELKOR_DETAIL_OWN_IV_MODE(unCbcLazy, ChunkedByteString)
ZELKOR_DETAIL_OWN_IV_MODE(cfb, ByteString)
ZELKOR_DETAIL_OWN_IV_MODE(unCfb, ByteString)
ZELKOR_DETAIL_OWN_IV_MODE(cfbLazy, ChunkedByteString)
ZELKOR_DETAIL_OWN_IV_MODE(unCfbLazy, ChunkedByteString)
ZELKOR_DETAIL_OWN_IV_MODE(ofb, ByteString)
ZELKOR_DETAIL_OWN_IV_MODE(unOfb, ByteString)
ZELKOR_DETAIL_OWN_IV_MODE(ofbLazy, ChunkedByteString)
ZELKOR_DETAIL_OWN_IV_MODE(unOfbLazy, ChunkedByteString)
ZELKOR_DETAIL_OWN_IV_MODE(ctr, ByteString)
ZELKOR_DETAIL_OWN_IV_MODE(unCtr, ByteString)
ZELKOR_DETAIL_OWN_IV_MODE(ctrLazy, ChunkedByteString)
ZELKOR_DETAIL_OWN_IV_MODE(unCtrLazy, ChunkedByteString)

#undef ZELKOR_DETAIL_OWN_ECB
#undef ZELKOR_DETAIL_OWN_IV_MODE

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
    if constexpr (detail::UsesOwn_ecb<K>) {
        static_assert(detail::OwnFits_ecb<K>,
                      "K::ecb must be callable as: ByteString ecb(const ByteString&) const");
        return key.ecb(bytes);
    } else {
        return detail::genericEcb<K, true>(key, bytes);
    }
}

template <BlockCipher K>
ByteString unEcb(const K& key, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_unEcb<K>) {
        static_assert(detail::OwnFits_unEcb<K>,
                      "K::unEcb must be callable as: ByteString unEcb(const ByteString&) const");
        return key.unEcb(bytes);
    } else {
        return detail::genericEcb<K, false>(key, bytes);
    }
}

template <BlockCipher K>
ChunkedByteString ecbLazy(const K& key, const ChunkedByteString& bytes) {
    if constexpr (detail::UsesOwn_ecbLazy<K>) {
        static_assert(detail::OwnFits_ecbLazy<K>,
                      "K::ecbLazy must be callable as: "
                      "ChunkedByteString ecbLazy(const ChunkedByteString&) const");
        return key.ecbLazy(bytes);
    } else {
        return detail::genericEcbLazy<K, true>(key, bytes);
    }
}

template <BlockCipher K>
ChunkedByteString unEcbLazy(const K& key, const ChunkedByteString& bytes) {
    if constexpr (detail::UsesOwn_unEcbLazy<K>) {
        static_assert(detail::OwnFits_unEcbLazy<K>,
                      "K::unEcbLazy must be callable as: "
                      "ChunkedByteString unEcbLazy(const ChunkedByteString&) const");
        return key.unEcbLazy(bytes);
    } else {
        return detail::genericEcbLazy<K, false>(key, bytes);
    }
}

// CBC

template <BlockCipher K>
std::pair<ByteString, IV<K>> cbc(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_cbc<K>) {
        static_assert(detail::OwnFits_cbc<K>,
                      "K::cbc must be callable as: "
                      "std::pair<ByteString, IV<K>> cbc(const IV<K>&, const ByteString&) const");
        return key.cbc(iv, bytes);
    } else {
        return detail::withIV<detail::CbcEncryptEngine<K>>("cbc", true, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unCbc(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_unCbc<K>) {
        static_assert(detail::OwnFits_unCbc<K>,
                      "K::unCbc must be callable as: "
                      "std::pair<ByteString, IV<K>> unCbc(const IV<K>&, const ByteString&) const");
        return key.unCbc(iv, bytes);
    } else {
        return detail::withIV<detail::CbcDecryptEngine<K>>("unCbc", true, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> cbcLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (detail::UsesOwn_cbcLazy<K>) {
        static_assert(detail::OwnFits_cbcLazy<K>,
                      "K::cbcLazy must be callable as: "
                      "std::pair<ChunkedByteString, IV<K>> cbcLazy(const IV<K>&, const ChunkedByteString&) const");
        return key.cbcLazy(iv, bytes);
    } else {
        return detail::withIVLazy<detail::CbcEncryptEngine<K>>("cbcLazy", true, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> unCbcLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (detail::UsesOwn_unCbcLazy<K>) {
        static_assert(detail::OwnFits_unCbcLazy<K>,
                      "K::unCbcLazy must be callable as: "
                      "std::pair<ChunkedByteString, IV<K>> unCbcLazy(const IV<K>&, const ChunkedByteString&) const");
        return key.unCbcLazy(iv, bytes);
    } else {
        return detail::withIVLazy<detail::CbcDecryptEngine<K>>("unCbcLazy", true, key, iv, bytes);
    }
}

// CFB

template <BlockCipher K>
std::pair<ByteString, IV<K>> cfb(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_cfb<K>) {
        static_assert(detail::OwnFits_cfb<K>,
                      "K::cfb must be callable as: "
                      "std::pair<ByteString, IV<K>> cfb(const IV<K>&, const ByteString&) const");
        return key.cfb(iv, bytes);
    } else {
        return detail::withIV<detail::CfbEngine<K, true>>("cfb", false, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unCfb(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_unCfb<K>) {
        static_assert(detail::OwnFits_unCfb<K>,
                      "K::unCfb must be callable as: "
                      "std::pair<ByteString, IV<K>> unCfb(const IV<K>&, const ByteString&) const");
        return key.unCfb(iv, bytes);
    } else {
        return detail::withIV<detail::CfbEngine<K, false>>("unCfb", false, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> cfbLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (detail::UsesOwn_cfbLazy<K>) {
        static_assert(detail::OwnFits_cfbLazy<K>,
                      "K::cfbLazy must be callable as: "
                      "std::pair<ChunkedByteString, IV<K>> cfbLazy(const IV<K>&, const ChunkedByteString&) const");
        return key.cfbLazy(iv, bytes);
    } else {
        return detail::withIVLazy<detail::CfbEngine<K, true>>("cfbLazy", false, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> unCfbLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (detail::UsesOwn_unCfbLazy<K>) {
        static_assert(detail::OwnFits_unCfbLazy<K>,
                      "K::unCfbLazy must be callable as: "
                      "std::pair<ChunkedByteString, IV<K>> unCfbLazy(const IV<K>&, const ChunkedByteString&) const");
        return key.unCfbLazy(iv, bytes);
    } else {
        return detail::withIVLazy<detail::CfbEngine<K, false>>("unCfbLazy", false, key, iv, bytes);
    }
}

// OFB

template <BlockCipher K>
std::pair<ByteString, IV<K>> ofb(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_ofb<K>) {
        static_assert(detail::OwnFits_ofb<K>,
                      "K::ofb must be callable as: "
                      "std::pair<ByteString, IV<K>> ofb(const IV<K>&, const ByteString&) const");
        return key.ofb(iv, bytes);
    } else {
        return detail::withIV<detail::OfbEngine<K>>("ofb", false, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unOfb(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_unOfb<K>) {
        static_assert(detail::OwnFits_unOfb<K>,
                      "K::unOfb must be callable as: "
                      "std::pair<ByteString, IV<K>> unOfb(const IV<K>&, const ByteString&) const");
        return key.unOfb(iv, bytes);
    } else {
        return detail::withIV<detail::OfbEngine<K>>("unOfb", false, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> ofbLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (detail::UsesOwn_ofbLazy<K>) {
        static_assert(detail::OwnFits_ofbLazy<K>,
                      "K::ofbLazy must be callable as: "
                      "std::pair<ChunkedByteString, IV<K>> ofbLazy(const IV<K>&, const ChunkedByteString&) const");
        return key.ofbLazy(iv, bytes);
    } else {
        return detail::withIVLazy<detail::OfbEngine<K>>("ofbLazy", false, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> unOfbLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (detail::UsesOwn_unOfbLazy<K>) {
        static_assert(detail::OwnFits_unOfbLazy<K>,
                      "K::unOfbLazy must be callable as: "
                      "std::pair<ChunkedByteString, IV<K>> unOfbLazy(const IV<K>&, const ChunkedByteString&) const");
        return key.unOfbLazy(iv, bytes);
    } else {
        return detail::withIVLazy<detail::OfbEngine<K>>("unOfbLazy", false, key, iv, bytes);
    }
}

// CTR

template <BlockCipher K>
std::pair<ByteString, IV<K>> ctr(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_ctr<K>) {
        static_assert(detail::OwnFits_ctr<K>,
                      "K::ctr must be callable as: "
                      "std::pair<ByteString, IV<K>> ctr(const IV<K>&, const ByteString&) const");
        return key.ctr(iv, bytes);
    } else {
        return detail::withIV<detail::CtrEngine<K>>("ctr", false, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ByteString, IV<K>> unCtr(const K& key, const IV<K>& iv, const ByteString& bytes) {
    if constexpr (detail::UsesOwn_unCtr<K>) {
        static_assert(detail::OwnFits_unCtr<K>,
                      "K::unCtr must be callable as: "
                      "std::pair<ByteString, IV<K>> unCtr(const IV<K>&, const ByteString&) const");
        return key.unCtr(iv, bytes);
    } else {
        return detail::withIV<detail::CtrEngine<K>>("unCtr", false, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> ctrLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (detail::UsesOwn_ctrLazy<K>) {
        static_assert(detail::OwnFits_ctrLazy<K>,
                      "K::ctrLazy must be callable as: "
                      "std::pair<ChunkedByteString, IV<K>> ctrLazy(const IV<K>&, const ChunkedByteString&) const");
        return key.ctrLazy(iv, bytes);
    } else {
        return detail::withIVLazy<detail::CtrEngine<K>>("ctrLazy", false, key, iv, bytes);
    }
}

template <BlockCipher K>
std::pair<ChunkedByteString, IV<K>> unCtrLazy(const K& key, const IV<K>& iv, const ChunkedByteString& bytes) {
    if constexpr (detail::UsesOwn_unCtrLazy<K>) {
        static_assert(detail::OwnFits_unCtrLazy<K>,
                      "K::unCtrLazy must be callable as: "
                      "std::pair<ChunkedByteString, IV<K>> unCtrLazy(const IV<K>&, const ChunkedByteString&) const");
        return key.unCtrLazy(iv, bytes);
    } else {
        return detail::withIVLazy<detail::CtrEngine<K>>("unCtrLazy", false, key, iv, bytes);
    }
}

}  // namespace zelkor
