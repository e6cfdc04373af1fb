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
#include "zelkor/Gcm.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/tests/AEAD.hpp"
#include "zelkor/tests/AES.hpp"
#include "zelkor/tests/AeadBufferSafety.hpp"
#include "zelkor/tests/AeadConstantTime.hpp"
#include "zelkor/tests/Algorithms.hpp"
#include "zelkor/tests/BufferSafety.hpp"
#include "zelkor/tests/Conformance.hpp"
#include "zelkor/tests/ConstantTime.hpp"
#include "zelkor/tests/GCM.hpp"
#include "zelkor/tests/HMAC.hpp"
#include "zelkor/tests/MD5.hpp"
#include "zelkor/tests/SHA.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/TwoFish.hpp"
#include "zelkor/tests/detail/aead/AeadKnownAnswers.hpp"
#include "zelkor/tests/detail/cipher/ModeKnownAnswers.hpp"
#include "zelkor/tests/detail/digest/LongMessages.hpp"
#include "zelkor/tests/detail/digest/MonteChain.hpp"

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
        if (row.knownAnswers == KnownAnswerFormat::AeadRecords) {
            return aead_detail::knownAnswerTests<A>(row.knownAnswerDirectory);
        }
        if (row.knownAnswers == KnownAnswerFormat::NistGcm) return gcm_detail::nistCategoryTests<A>();
        break;
    case CheckKind::Wycheproof: return aead_detail::wycheproofTests<A>(row.wycheproof);
    case CheckKind::Properties: return makeAeadPropertyTests<A>();
    case CheckKind::BufferSafety: return makeAeadBufferSafetyTests<A>();
    case CheckKind::ConstantTime: return makeAeadConstantTimeTests<A>();
    default: break;
    }
    noBuilder(row, kind);
}

// The row of `algorithm`, once P is known to fit it.
template <class P>
const AlgorithmRow& rowFor(std::string_view caller, Algorithm algorithm) {
    if constexpr (Hash<P>) {
        table_detail::requireDigestShape(caller, algorithm, P::outputLength, P::blockLength);
    } else if constexpr (BlockCipher<P>) {
        table_detail::requireCipherShape(caller, algorithm, P::blockSize, P::keyLength);
    } else {
        const AlgorithmRow& row = algorithmRow(algorithm);
        table_detail::requireAeadShape(caller, algorithm, P::keyLength, P::acceptsNonce(row.nonceBytes),
                                       P::acceptsTag(row.tagBytes));
    }
    return algorithmRow(algorithm);
}

template <class P>
std::vector<Test> checksFor(const AlgorithmRow& row, CheckKind kind) {
    if constexpr (Hash<P>) {
        return digestChecks<P>(row, kind);
    } else if constexpr (BlockCipher<P>) {
        return cipherChecks<P>(row, kind);
    } else {
        return aeadChecks<P>(row, kind);
    }
}

}  // namespace checks_detail

// The checks of one kind for the digest, block cipher or AEAD P tested as
// `algorithm`, read from the sources its row names. std::invalid_argument
// when P cannot be that algorithm or the kind does not apply to it.
template <class P>
    requires Hash<P> || BlockCipher<P> || Aead<P>
std::vector<Test> makeCheckTests(CheckKind kind, Algorithm algorithm) {
    const AlgorithmRow& row = checks_detail::rowFor<P>(checks_detail::kCaller, algorithm);
    table_detail::requireCheck(checks_detail::kCaller, algorithm, kind);
    return checks_detail::checksFor<P>(row, kind);
}

// The witness only selects the type.
template <class P>
    requires Hash<P> || BlockCipher<P> || Aead<P>
std::vector<Test> makeCheckTests(const P&, CheckKind kind, Algorithm algorithm) {
    return makeCheckTests<P>(kind, algorithm);
}

}  // namespace zelkor::tests
