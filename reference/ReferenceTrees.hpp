#pragma once
// makeAllTests over each reference primitive is compiled once, in the
// zelkor_reference_trees library (reference/trees/), rather than again in
// every program that builds these trees: one instantiation holds every suite
// of its primitive and is most of such a program's compile time. A program
// that includes this header and links that library gets them ready-made; a
// type missing from the lists below is still instantiated where it is used.

#include <vector>

#include "ReferencePrimitives.hpp"
#include "zelkor/Ccm.hpp"
#include "zelkor/Cmac.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/tests/All.hpp"

namespace zelkor::reference {
using GcmAES128 = GcmAead<AES128>;
using GcmAES192 = GcmAead<AES192>;
using GcmAES256 = GcmAead<AES256>;
using AES128KW = OpenSSLKeyWrap<128, KeyWrapPadding::None>;
using AES192KW = OpenSSLKeyWrap<192, KeyWrapPadding::None>;
using AES256KW = OpenSSLKeyWrap<256, KeyWrapPadding::None>;
using AES128KWP = OpenSSLKeyWrap<128, KeyWrapPadding::Padded>;
using AES192KWP = OpenSSLKeyWrap<192, KeyWrapPadding::Padded>;
using AES256KWP = OpenSSLKeyWrap<256, KeyWrapPadding::Padded>;
using AES128KWInverse = OpenSSLKeyWrap<128, KeyWrapPadding::None, KeyWrapDirection::Inverse>;
using AES192KWInverse = OpenSSLKeyWrap<192, KeyWrapPadding::None, KeyWrapDirection::Inverse>;
using AES256KWInverse = OpenSSLKeyWrap<256, KeyWrapPadding::None, KeyWrapDirection::Inverse>;
using AES128KWPInverse = OpenSSLKeyWrap<128, KeyWrapPadding::Padded, KeyWrapDirection::Inverse>;
using AES192KWPInverse = OpenSSLKeyWrap<192, KeyWrapPadding::Padded, KeyWrapDirection::Inverse>;
using AES256KWPInverse = OpenSSLKeyWrap<256, KeyWrapPadding::Padded, KeyWrapDirection::Inverse>;
// The library's CCM, GCM and CMAC over OpenSSL's block functions.
using Camellia128Ccm = CcmAead<Camellia128>;
using Camellia192Ccm = CcmAead<Camellia192>;
using Camellia256Ccm = CcmAead<Camellia256>;
using ARIA128Ccm = CcmAead<ARIA128>;
using ARIA192Ccm = CcmAead<ARIA192>;
using ARIA256Ccm = CcmAead<ARIA256>;
using ARIA128Gcm = GcmAead<ARIA128>;
using ARIA192Gcm = GcmAead<ARIA192>;
using ARIA256Gcm = GcmAead<ARIA256>;
using SM4Ccm = CcmAead<SM4>;
using SM4Gcm = GcmAead<SM4>;
using SEEDCcm = CcmAead<SEED>;
using SEEDGcm = GcmAead<SEED>;
using Camellia128Cmac = CmacMac<Camellia128>;
using Camellia192Cmac = CmacMac<Camellia192>;
using Camellia256Cmac = CmacMac<Camellia256>;
using ARIA128Cmac = CmacMac<ARIA128>;
using ARIA192Cmac = CmacMac<ARIA192>;
using ARIA256Cmac = CmacMac<ARIA256>;
}  // namespace zelkor::reference

// The reference types, by the file of reference/trees/ that instantiates them.
#define ZELKOR_REFERENCE_DIGESTS(X)                                                                               \
    X(MD5) X(SHA1) X(SHA224) X(SHA256) X(SHA384) X(SHA512) X(SHA512_224) X(SHA512_256) X(SHA3_224) X(SHA3_256) \
    X(SHA3_384) X(SHA3_512)
#define ZELKOR_REFERENCE_CIPHERS(X) X(AES128) X(AES192) X(AES256) X(Twofish) X(TDES3)
#define ZELKOR_REFERENCE_MORE_CIPHERS(X) X(Camellia256) X(ARIA256) X(SM4) X(SEED) X(CAST5) X(Blowfish) X(IDEA)
#define ZELKOR_REFERENCE_AEADS(X)                                                                                \
    X(OpenSSLChaCha20Poly1305) X(SodiumChaCha20Poly1305) X(SodiumXChaCha20Poly1305) X(SodiumAES256GCM)          \
    X(GcmAES128) X(GcmAES192) X(GcmAES256) X(OpenSSLAes128Ccm) X(OpenSSLAes192Ccm) X(OpenSSLAes256Ccm)
// SIV, GCM-SIV, EAX and OCB: a file of their own, compiled beside the one above.
#define ZELKOR_REFERENCE_MORE_AEADS(X)                                                                           \
    X(GcryptAes128Siv) X(GcryptAes192Siv) X(GcryptAes256Siv) X(GcryptAes128GcmSiv) X(GcryptAes256GcmSiv)      \
    X(GcryptAes128Eax) X(GcryptAes192Eax) X(GcryptAes256Eax) X(OpenSSLAes128Ocb)                               \
    X(OpenSSLAes192Ocb) X(OpenSSLAes256Ocb)

// Stream ciphers and XOFs.
#define ZELKOR_REFERENCE_STREAMS(X)                                                                              \
    X(OpenSSLChaCha20) X(SodiumChaCha20) X(SodiumXChaCha20) X(OpenSSLShake128) X(OpenSSLShake256)
#define ZELKOR_REFERENCE_KEY_WRAPS(X)                                                                            \
    X(AES128KW) X(AES192KW) X(AES256KW) X(AES128KWP) X(AES192KWP) X(AES256KWP) X(AES128KWInverse)               \
    X(AES192KWInverse) X(AES256KWInverse) X(AES128KWPInverse) X(AES192KWPInverse) X(AES256KWPInverse)

#define ZELKOR_REFERENCE_MACS(X)                                                                                 \
    X(OpenSSLCmacAes128) X(OpenSSLCmacAes192) X(OpenSSLCmacAes256) X(OpenSSLKmac128) X(OpenSSLKmac256)          \
    X(OpenSSLPoly1305) X(OpenSSLSipHash24) X(OpenSSLCmacTdes)
// CCM and GCM over Camellia, ARIA, SM4 and SEED, and CMAC over Camellia and
// ARIA: a file of each kind.
#define ZELKOR_REFERENCE_CIPHER_CCMS(X)                                                                          \
    X(Camellia128Ccm) X(Camellia192Ccm) X(Camellia256Ccm) X(ARIA128Ccm) X(ARIA192Ccm) X(ARIA256Ccm) X(SM4Ccm)   \
    X(SEEDCcm)
#define ZELKOR_REFERENCE_CIPHER_GCMS(X) X(ARIA128Gcm) X(ARIA192Gcm) X(ARIA256Gcm) X(SM4Gcm) X(SEEDGcm)
#define ZELKOR_REFERENCE_CIPHER_CMACS(X)                                                                         \
    X(Camellia128Cmac) X(Camellia192Cmac) X(Camellia256Cmac) X(ARIA128Cmac) X(ARIA192Cmac) X(ARIA256Cmac)
#define ZELKOR_REFERENCE_KDFS(X)                                                                                 \
    X(OpenSSLHkdfSha1) X(OpenSSLHkdfSha256) X(OpenSSLHkdfSha384) X(OpenSSLHkdfSha512) X(OpenSSLPbkdf2Sha1)      \
    X(OpenSSLPbkdf2Sha224) X(OpenSSLPbkdf2Sha256) X(OpenSSLPbkdf2Sha384) X(OpenSSLPbkdf2Sha512)

#define ZELKOR_REFERENCE_TREE(T)                                                                                 \
    template std::vector<zelkor::tests::Test> zelkor::tests::makeAllTests<zelkor::reference::T>(                 \
        zelkor::tests::Algorithm);
#define ZELKOR_EXTERN_REFERENCE_TREE(T) extern ZELKOR_REFERENCE_TREE(T)

ZELKOR_REFERENCE_DIGESTS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_CIPHERS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_MORE_CIPHERS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_AEADS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_MORE_AEADS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_STREAMS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_KEY_WRAPS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_MACS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_KDFS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_CIPHER_CCMS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_CIPHER_GCMS(ZELKOR_EXTERN_REFERENCE_TREE)
ZELKOR_REFERENCE_CIPHER_CMACS(ZELKOR_EXTERN_REFERENCE_TREE)
