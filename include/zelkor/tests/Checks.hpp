#pragma once
// One builder per kind of check, reading the algorithm table:
// makeCheckTests<MySHA256>(CheckKind::Hmac, Algorithm::SHA256) gives the
// HMAC cases of every HMAC source that the SHA256 row names. The output is
// the same, case for case, as the per-algorithm builders give
// (makeSHA256HMACTests, makeSHA256RFCHMACTests, ...), which stay available.

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "zelkor/Aead.hpp"
#include "zelkor/BlockCipher.hpp"
#include "zelkor/Cmac.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/KeyWrap.hpp"
#include "zelkor/StreamCipher.hpp"
#include "zelkor/Xof.hpp"
#include "zelkor/HmacMac.hpp"
#include "zelkor/Kdf.hpp"
#include "zelkor/Mac.hpp"
#include "zelkor/tests/AEAD.hpp"
#include "zelkor/tests/AES.hpp"
#include "zelkor/tests/AeadBufferSafety.hpp"
#include "zelkor/tests/AeadConstantTime.hpp"
#include "zelkor/tests/Algorithms.hpp"
#include "zelkor/tests/BufferSafety.hpp"
#include "zelkor/tests/CCM.hpp"
#include "zelkor/tests/CMAC.hpp"
#include "zelkor/tests/Conformance.hpp"
#include "zelkor/tests/ConstantTime.hpp"
#include "zelkor/tests/GCM.hpp"
#include "zelkor/tests/HMAC.hpp"
#include "zelkor/tests/KeyWraps.hpp"
#include "zelkor/tests/KDF.hpp"
#include "zelkor/tests/MAC.hpp"
#include "zelkor/tests/MD5.hpp"
#include "zelkor/tests/MacBufferSafety.hpp"
#include "zelkor/tests/SHA.hpp"
#include "zelkor/tests/StreamCiphers.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/TwoFish.hpp"
#include "zelkor/tests/Xofs.hpp"
#include "zelkor/tests/detail/aead/AeadKnownAnswers.hpp"
#include "zelkor/tests/detail/aead/IteratedKnownAnswers.hpp"
#include "zelkor/tests/detail/cipher/ModeKnownAnswers.hpp"
#include "zelkor/tests/detail/digest/LongMessages.hpp"
#include "zelkor/tests/detail/digest/MonteChain.hpp"
#include "zelkor/tests/detail/kdf/KdfKnownAnswers.hpp"
#include "zelkor/tests/detail/mac/MacKnownAnswers.hpp"

namespace zelkor::tests {

namespace checks_detail {

inline constexpr std::string_view kCaller = "makeCheckTests";

[[noreturn]] inline void noBuilder(const AlgorithmRow& row, CheckKind kind) {
    throw std::logic_error(std::string(kCaller) + ": no " + std::string(checkKindName(kind)) + " builder for " +
                           std::string(row.name));
}

inline void append(std::vector<Test>& out, std::vector<Test> more) {
    for (Test& test : more) out.push_back(std::move(test));
}

template <Hash D>
std::vector<Test> digestChecks(const AlgorithmRow& row, CheckKind kind) {
    switch (kind) {
    case CheckKind::KnownAnswers:
        if (row.knownAnswers == KnownAnswerFormat::NistDigest) {
            return sha_detail::makeTests<D>(row.knownAnswerDirectory, row.knownAnswerPrefix);
        }
        if (row.knownAnswers == KnownAnswerFormat::Md5) {
            std::vector<Test> out = makeMD5Tests<D>();
            append(out, md5_detail::lengthTests<D>(row.knownAnswerDirectory));
            return out;
        }
        break;
    case CheckKind::MonteCarlo:
        return sha_detail::makeMonteTests<D>(
            "KAT_SHA_MONTE", row.monteFile,
            row.monteChain == MonteChainRule::LastDigest ? sha_detail::lastDigest : sha_detail::lastThreeDigests);
    case CheckKind::Hmac: {
        std::vector<Test> out;
        if (!row.hmacNist.empty()) append(out, hmac_detail::getTests<D>(row.hmacNist));
        if (!row.hmacRfc.empty()) append(out, hmac_detail::getRfcTests<D>(row.hmacRfc));
        if (!row.hmacWycheproof.empty()) append(out, hmac_detail::getWycheproofTests<D>(row.hmacWycheproof));
        return out;
    }
    case CheckKind::Properties: return makeMacPropertyTests<HmacMac<D>>();
    case CheckKind::Conformance: return makeHashConformanceTests<D>();
    case CheckKind::BufferSafety: return makeHashBufferSafetyTests<D>();
    case CheckKind::LongMessages: return long_detail::makeLongMessageTests<D>(row.longMessages);
    case CheckKind::ConstantTime: return makeHashConstantTimeTests<D>();
    default: break;
    }
    noBuilder(row, kind);
}

template <BlockCipher K>
std::vector<Test> cipherChecks(const AlgorithmRow& row, CheckKind kind) {
    switch (kind) {
    case CheckKind::KnownAnswers:
        if (row.knownAnswers == KnownAnswerFormat::NistAes) {
            return aes_detail::knownAnswerTests<K>(row.knownAnswerDirectory);
        }
        if (row.knownAnswers == KnownAnswerFormat::TwofishTables) {
            return twofish_detail::knownAnswerTests<K>(row.knownAnswerDirectory);
        }
        break;
    case CheckKind::Ctr: return aes_detail::ctrTests<K>(row.ctrDirectory);
    case CheckKind::Gcm:
        if constexpr (GcmBlockCipher<K>) {
            std::vector<Test> out = makeAESGCMTests<K>();
            append(out, makeAESGCMWycheproofTests<K>());
            append(out, makeGCMConformanceTests<K>());
            return out;
        }
        break;
    case CheckKind::Conformance: return makeBlockCipherConformanceTests<K>();
    case CheckKind::BufferSafety: return makeBlockCipherBufferSafetyTests<K>();
    case CheckKind::ModeVectors: return mode_detail::modeVectorTests<K>(row);
    case CheckKind::ConstantTime: {
        std::vector<Test> out = makeBlockCipherConstantTimeTests<K>();
        if constexpr (GcmBlockCipher<K>) {
            if (row.has(CheckKind::Gcm)) append(out, makeGCMConstantTimeTests<K>());
        }
        return out;
    }
    default: break;
    }
    noBuilder(row, kind);
}

template <Aead A>
std::vector<Test> aeadChecks(const AlgorithmRow& row, CheckKind kind) {
    switch (kind) {
    case CheckKind::KnownAnswers:
        if (!row.aeadVectors.iterated.empty()) return aead_detail::knownAnswersWithIterated<A>(row);
        if (row.knownAnswers == KnownAnswerFormat::AeadRecords) {
            return aead_detail::knownAnswerTests<A>(row.knownAnswerDirectory, row.tagBytes);
        }
        if (row.knownAnswers == KnownAnswerFormat::NistGcm) return gcm_detail::nistCategoryTests<A>();
        if (row.knownAnswers == KnownAnswerFormat::NistCcm) return ccm_detail::nistTests<A>(row.knownAnswerDirectory);
        break;
    case CheckKind::Wycheproof: {
        std::vector<Test> out = aead_detail::wycheproofTests<A>(row.wycheproof);
        if (!row.aeadVectors.moreWycheproof.empty()) {
            append(out, aead_detail::wycheproofTests<A>(row.aeadVectors.moreWycheproof));
        }
        return out;
    }
    case CheckKind::Properties: {
        std::vector<Test> out = makeAeadPropertyTests<A>();
        // CCM over a block cipher with CCM members of its own: those against the generic CCM.
        if constexpr (requires { typename A::BlockCipherType; }) {
            using K = typename A::BlockCipherType;
            if constexpr (std::same_as<A, CcmAead<K>> &&
                          (zelkor::detail::UsesOwn_ccmEncrypt<K> || zelkor::detail::UsesOwn_ccmDecrypt<K>)) {
                append(out, makeCCMConformanceTests<K>());
            }
        }
        return out;
    }
    case CheckKind::BufferSafety: return makeAeadBufferSafetyTests<A>();
    case CheckKind::ConstantTime: return makeAeadConstantTimeTests<A>();
    default: break;
    }
    noBuilder(row, kind);
}

template <StreamCipher S>
std::vector<Test> streamChecks(const AlgorithmRow& row, CheckKind kind) {
    switch (kind) {
    case CheckKind::KnownAnswers: return makeStreamCipherKnownAnswerTests<S>(row.knownAnswerDirectory);
    case CheckKind::Properties: return makeStreamCipherPropertyTests<S>();
    case CheckKind::BufferSafety: return makeStreamCipherBufferSafetyTests<S>();
    default: break;
    }
    noBuilder(row, kind);
}

template <KeyWrap W>
std::vector<Test> keyWrapChecks(const AlgorithmRow& row, CheckKind kind) {
    const keywrap_detail::KeyWrapVariant variant{table_detail::keyWrapPadded(row), table_detail::keyWrapInverse(row)};
    switch (kind) {
    case CheckKind::KnownAnswers:
        return keywrap_detail::nistTests(keywrap_detail::keyWrapShape<W>(), row.knownAnswerDirectory, variant);
    case CheckKind::Wycheproof: return keywrap_detail::wycheproofTests(keywrap_detail::keyWrapShape<W>(), row.wycheproof);
    case CheckKind::Properties: return makeKeyWrapPropertyTests<W>();
    case CheckKind::Conformance: return makeKeyWrapConformanceTests<W>(variant);
    case CheckKind::BufferSafety: return makeKeyWrapBufferSafetyTests<W>();
    default: break;
    }
    noBuilder(row, kind);
}

// The MAC a type is tested as on a MAC row: itself, or the MAC built over it.
template <class P>
struct MacOf {};
template <Mac P>
struct MacOf<P> {
    using type = P;
};
template <class P>
    requires(!Mac<P> && CmacBlockCipher<P>)
struct MacOf<P> {
    using type = CmacMac<P>;
};
template <class P>
concept TestableAsMac = requires { typename MacOf<P>::type; };

// The block cipher under a CMAC given as the MAC itself.
template <class P>
struct CmacBlockOf {};
template <class K>
struct CmacBlockOf<CmacMac<K>> {
    using type = K;
};

template <class P>
std::vector<Test> macChecks(const AlgorithmRow& row, CheckKind kind) {
    using M = typename MacOf<P>::type;
    switch (kind) {
    case CheckKind::KnownAnswers:
        if (row.knownAnswers == KnownAnswerFormat::MacRecords) {
            return mac_detail::knownAnswerTests<M>(row.knownAnswerDirectory, row.knownAnswerPrefix);
        }
        break;
    case CheckKind::Wycheproof: return mac_detail::wycheproofTests<M>(row.wycheproof);
    case CheckKind::Properties: return makeMacPropertyTests<M>();
    case CheckKind::Conformance:
        if constexpr (!Mac<P> && CmacBlockCipher<P>) {
            return makeCMACConformanceTests<P>();
        } else if constexpr (requires { typename CmacBlockOf<P>::type; }) {
            return makeCMACConformanceTests<typename CmacBlockOf<P>::type>();
        } else {
            return {testCase("a MAC of its own, built over no primitive of this library: nothing to conform to",
                             [] {})};
        }
    case CheckKind::BufferSafety: return makeMacBufferSafetyTests<M>();
    default: break;
    }
    noBuilder(row, kind);
}

template <Xof X>
std::vector<Test> xofChecks(const AlgorithmRow& row, CheckKind kind) {
    switch (kind) {
    case CheckKind::KnownAnswers:
        return xof_detail::knownAnswerTests(xof_detail::xofShape<X>(), row.knownAnswerDirectory,
                                            row.knownAnswerPrefix);
    case CheckKind::MonteCarlo:
        return xof_detail::monteTests(xof_detail::xofShape<X>(), row.knownAnswerDirectory, row.knownAnswerPrefix);
    case CheckKind::Properties: return makeXofPropertyTests<X>();
    case CheckKind::BufferSafety: return makeXofBufferSafetyTests<X>();
    case CheckKind::LongMessages: return long_detail::makeLongMessageTests<X>(row.longMessages);
    default: break;
    }
    noBuilder(row, kind);
}

// The HKDF and PBKDF2 a type is tested as on a KDF row: itself, or the one
// built over it.
template <class P>
struct HkdfOf {};
template <Hkdf P>
struct HkdfOf<P> {
    using type = P;
};
template <class P>
    requires(!Hkdf<P> && Hash<P>)
struct HkdfOf<P> {
    using type = HkdfOver<P>;
};
template <class P>
struct Pbkdf2Of {};
template <Pbkdf2 P>
struct Pbkdf2Of<P> {
    using type = P;
};
template <class P>
    requires(!Pbkdf2<P> && Hash<P>)
struct Pbkdf2Of<P> {
    using type = Pbkdf2Over<P>;
};

inline std::vector<Test> ownConstructionCase() {
    return {testCase("a KDF of its own, built over no primitive of this library: nothing to conform to", [] {})};
}

template <class P>
std::vector<Test> hkdfChecks(const AlgorithmRow& row, CheckKind kind) {
    using H = typename HkdfOf<P>::type;
    switch (kind) {
    case CheckKind::KnownAnswers: return kdf_detail::hkdfKnownAnswerTests<H>(row.knownAnswerDirectory, row.kdf.recordHash);
    case CheckKind::Wycheproof: return kdf_detail::hkdfWycheproofTests<H>(row.wycheproof);
    case CheckKind::Properties: return makeHkdfPropertyTests<H>();
    case CheckKind::Conformance:
        if constexpr (Hash<P>) return makeHKDFConformanceTests<P>();
        else return ownConstructionCase();
    case CheckKind::BufferSafety: return makeKdfBufferSafetyTests<H>();
    default: break;
    }
    noBuilder(row, kind);
}

template <class P>
std::vector<Test> pbkdf2Checks(const AlgorithmRow& row, CheckKind kind) {
    using K = typename Pbkdf2Of<P>::type;
    switch (kind) {
    case CheckKind::KnownAnswers:
        return kdf_detail::pbkdf2KnownAnswerTests<K>(row.knownAnswerDirectory, row.knownAnswerPrefix);
    case CheckKind::Wycheproof: return kdf_detail::pbkdf2WycheproofTests<K>(row.wycheproof);
    case CheckKind::Properties: return makePbkdf2PropertyTests<K>();
    case CheckKind::Conformance:
        if constexpr (Hash<P>) return makePBKDF2ConformanceTests<P>();
        else return ownConstructionCase();
    case CheckKind::BufferSafety: return makeKdfBufferSafetyTests<K>();
    default: break;
    }
    noBuilder(row, kind);
}

// A digest counts by its block length too; a KDF type has none (0).
template <class P>
constexpr int blockLengthOf() {
    if constexpr (Hash<P>) return P::blockLength;
    else return 0;
}

// The row of `algorithm`, once P is known to fit it.
template <class P>
const AlgorithmRow& rowFor(std::string_view caller, Algorithm algorithm) {
    if (algorithmRow(algorithm).kind == PrimitiveKind::Hkdf || Hkdf<P>) {
        const bool fits = algorithmRow(algorithm).kind == PrimitiveKind::Hkdf;
        if constexpr (requires { typename HkdfOf<P>::type; }) {
            table_detail::requireKdfShape(caller, algorithm, fits, HkdfOf<P>::type::hashLength, blockLengthOf<P>());
        } else {
            table_detail::requireKdfShape(caller, algorithm, false, 0, 0);
        }
        return algorithmRow(algorithm);
    }
    if (algorithmRow(algorithm).kind == PrimitiveKind::Pbkdf2 || Pbkdf2<P>) {
        const bool fits = algorithmRow(algorithm).kind == PrimitiveKind::Pbkdf2;
        if constexpr (requires { typename Pbkdf2Of<P>::type; }) {
            table_detail::requireKdfShape(caller, algorithm, fits, Pbkdf2Of<P>::type::hashLength, blockLengthOf<P>());
        } else {
            table_detail::requireKdfShape(caller, algorithm, false, 0, 0);
        }
        return algorithmRow(algorithm);
    }
    if (algorithmRow(algorithm).kind == PrimitiveKind::Mac || Mac<P>) {
        const AlgorithmRow& row = algorithmRow(algorithm);
        if constexpr (TestableAsMac<P>) {
            using M = typename MacOf<P>::type;
            table_detail::requireMacShape(caller, algorithm, true, M::tagLength,
                                          M::acceptsKey(static_cast<std::size_t>(row.keyBits[0]) / 8),
                                          M::acceptsTag(row.tagBytes));
        } else {
            table_detail::requireMacShape(caller, algorithm, false, 0, false, false);
        }
        return row;
    }
    if constexpr (Hash<P>) {
        table_detail::requireDigestShape(caller, algorithm, P::outputLength, P::blockLength);
    } else if constexpr (BlockCipher<P>) {
        table_detail::requireCipherShape(caller, algorithm, P::blockSize, P::keyLength);
    } else if constexpr (StreamCipher<P>) {
        table_detail::requireStreamShape(caller, algorithm, P::keyLength, P::blockLength,
                                         P::acceptsNonce(algorithmRow(algorithm).nonceBytes));
    } else if constexpr (Xof<P>) {
        table_detail::requireXofShape(caller, algorithm, P::rateLength);
    } else if constexpr (KeyWrap<P>) {
        table_detail::requireKeyWrapShape(caller, algorithm, P::keyLength,
                                          [](std::size_t n) { return P::acceptsLength(n); });
    } else if constexpr (Aead<P>) {
        const AlgorithmRow& row = algorithmRow(algorithm);
        table_detail::requireAeadShape(caller, algorithm, P::keyLength, P::acceptsNonce(row.nonceBytes),
                                       P::acceptsTag(row.tagBytes));
    }
    return algorithmRow(algorithm);
}

template <class P>
std::vector<Test> checksFor(const AlgorithmRow& row, CheckKind kind) {
    if (row.kind == PrimitiveKind::Mac) {
        if constexpr (TestableAsMac<P>) return macChecks<P>(row, kind);
        noBuilder(row, kind);
    }
    if (row.kind == PrimitiveKind::Hkdf) {
        if constexpr (requires { typename HkdfOf<P>::type; }) return hkdfChecks<P>(row, kind);
        noBuilder(row, kind);
    }
    if (row.kind == PrimitiveKind::Pbkdf2) {
        if constexpr (requires { typename Pbkdf2Of<P>::type; }) return pbkdf2Checks<P>(row, kind);
        noBuilder(row, kind);
    }
    if constexpr (Hash<P>) {
        return digestChecks<P>(row, kind);
    } else if constexpr (BlockCipher<P>) {
        return cipherChecks<P>(row, kind);
    } else if constexpr (StreamCipher<P>) {
        return streamChecks<P>(row, kind);
    } else if constexpr (Xof<P>) {
        return xofChecks<P>(row, kind);
    } else if constexpr (KeyWrap<P>) {
        return keyWrapChecks<P>(row, kind);
    } else if constexpr (Aead<P>) {
        return aeadChecks<P>(row, kind);
    } else {
        noBuilder(row, kind);
    }
}

}  // namespace checks_detail

// The checks of one kind for the digest, block cipher, AEAD, MAC or KDF P tested as
// `algorithm`, read from the sources its row names. std::invalid_argument
// when P cannot be that algorithm or the kind does not apply to it.
template <class P>
    requires Hash<P> || BlockCipher<P> || Aead<P> || StreamCipher<P> || KeyWrap<P> || Xof<P> || Mac<P> || Hkdf<P> ||
             Pbkdf2<P>
std::vector<Test> makeCheckTests(CheckKind kind, Algorithm algorithm) {
    const AlgorithmRow& row = checks_detail::rowFor<P>(checks_detail::kCaller, algorithm);
    table_detail::requireCheck(checks_detail::kCaller, algorithm, kind);
    return checks_detail::checksFor<P>(row, kind);
}

// The witness only selects the type.
template <class P>
    requires Hash<P> || BlockCipher<P> || Aead<P> || StreamCipher<P> || KeyWrap<P> || Xof<P> || Mac<P> || Hkdf<P> ||
             Pbkdf2<P>
std::vector<Test> makeCheckTests(const P&, CheckKind kind, Algorithm algorithm) {
    return makeCheckTests<P>(kind, algorithm);
}

}  // namespace zelkor::tests
