// makeAllTests: one subgroup per kind of check, the builders' output inside
// unchanged, and a refusal for an algorithm the type cannot be.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ReferenceTrees.hpp"
#include "support/DataDir.hpp"
#include "zelkor/tests/All.hpp"

namespace {

using namespace zelkor::tests;
namespace ref = zelkor::reference;
// Inside a TEST body, plain `Test` is GoogleTest's fixture class.
using Node = zelkor::tests::Test;

std::vector<std::string> namesOf(const std::vector<Node>& tests) {
    std::vector<std::string> names;
    for (const Node& test : tests) names.push_back(test.name());
    return names;
}

std::size_t sizeOf(const Node& group) { return std::get<TestGroup>(group.node).tests.size(); }

// Every leaf's path, "group/.../name", in tree order.
void collectPaths(const std::vector<Node>& tests, const std::string& prefix, std::vector<std::string>& out) {
    for (const Node& test : tests) {
        if (const auto* group = std::get_if<TestGroup>(&test.node)) {
            collectPaths(group->tests, prefix + group->name + "/", out);
        } else {
            out.push_back(prefix + test.name());
        }
    }
}

std::vector<std::string> pathsOf(const std::vector<Node>& tests) {
    std::vector<std::string> out;
    collectPaths(tests, "", out);
    return out;
}

using Builders = std::vector<std::vector<Node> (*)()>;
using KindBuilders = std::vector<std::pair<std::string, Builders>>;

// The tree the per-algorithm builders give, one group per kind, as
// makeAllTests gave it before the algorithms became rows of a table.
std::vector<Node> byHand(const KindBuilders& kinds) {
    std::vector<Node> groups;
    for (const auto& [kind, builders] : kinds) {
        std::vector<Node> tests;
        for (const auto& build : builders) {
            for (Node& test : build()) tests.push_back(std::move(test));
        }
        groups.push_back(testGroup(kind, std::move(tests)));
    }
    return groups;
}

template <class D>
KindBuilders shaKinds(Builders knownAnswers, Builders monte, Builders hmac, Builders longMessages) {
    KindBuilders kinds{{"Known answers", std::move(knownAnswers)}};
    if (!monte.empty()) kinds.emplace_back("Monte Carlo", std::move(monte));
    kinds.emplace_back("HMAC", std::move(hmac));
    kinds.emplace_back("Properties", Builders{&makeMacPropertyTests<zelkor::HmacMac<D>>});
    kinds.emplace_back("Conformance", Builders{&makeHashConformanceTests<D>});
    kinds.emplace_back("Buffer safety", Builders{&makeHashBufferSafetyTests<D>});
    kinds.emplace_back("Long messages", std::move(longMessages));
    kinds.emplace_back("Constant time", Builders{&makeHashConstantTimeTests<D>});
    return kinds;
}

// The AES row of K's key size: its CFB8, CFB1, XTS and CBC-PKCS#7 vectors.
template <class K>
std::vector<Node> aesModeVectors() {
    const Algorithm algorithm = K::keyLength == 128 ? Algorithm::AES128
                                : K::keyLength == 192 ? Algorithm::AES192
                                                      : Algorithm::AES256;
    return zelkor::tests::mode_detail::modeVectorTests<K>(algorithmRow(algorithm));
}

template <class K>
KindBuilders cipherKinds(Builders knownAnswers, bool aes) {
    KindBuilders kinds{{"Known answers", std::move(knownAnswers)}};
    if (aes) {
        kinds.emplace_back("CTR", Builders{&makeAESCTRTests<K>});
        kinds.emplace_back("GCM", Builders{&makeAESGCMTests<K>, &makeAESGCMWycheproofTests<K>,
                                           &makeGCMConformanceTests<K>});
    }
    kinds.emplace_back("Conformance", Builders{&makeBlockCipherConformanceTests<K>});
    kinds.emplace_back("Buffer safety", Builders{&makeBlockCipherBufferSafetyTests<K>});
    Builders constantTime{&makeBlockCipherConstantTimeTests<K>};
    if constexpr (zelkor::GcmBlockCipher<K>) {
        if (aes) constantTime.push_back(&makeGCMConstantTimeTests<K>);
    }
    kinds.emplace_back("Constant time", std::move(constantTime));
    if (aes) kinds.emplace_back("Mode known answers", Builders{&aesModeVectors<K>});
    return kinds;
}

// The per-algorithm builders of every row, by hand: the table must give
// exactly these trees, leaf for leaf.
std::vector<std::pair<Algorithm, std::function<std::vector<Node>()>>> everyAlgorithm() {
    using namespace ref;
    std::vector<std::pair<Algorithm, std::function<std::vector<Node>()>>> rows;
    const auto add = [&rows](Algorithm algorithm, KindBuilders kinds) {
        rows.emplace_back(algorithm, [kinds = std::move(kinds)] { return byHand(kinds); });
    };
    add(Algorithm::MD5, {{"Known answers", {&makeMD5Tests<MD5>, &makeMD5LengthTests<MD5>}},
                         {"HMAC", {&makeMD5RFCHMACTests<MD5>}},
                         {"Properties", {&makeMacPropertyTests<zelkor::HmacMac<MD5>>}},
                         {"Conformance", {&makeHashConformanceTests<MD5>}},
                         {"Buffer safety", {&makeHashBufferSafetyTests<MD5>}},
                         {"Long messages", {&makeMD5LongMessageTests<MD5>}},
                         {"Constant time", {&makeHashConstantTimeTests<MD5>}}});
#define ZELKOR_SHA2_ROW(ALG)                                                                                        \
    add(Algorithm::ALG, shaKinds<ALG>({&make##ALG##Tests<ALG>}, {&make##ALG##MonteTests<ALG>},                     \
                                      {&make##ALG##HMACTests<ALG>, &make##ALG##RFCHMACTests<ALG>,                  \
                                       &make##ALG##WycheproofHMACTests<ALG>},                                      \
                                      {&make##ALG##LongMessageTests<ALG>}))
#define ZELKOR_WYCHEPROOF_HMAC_ROW(ALG)                                                                             \
    add(Algorithm::ALG, shaKinds<ALG>({&make##ALG##Tests<ALG>}, {&make##ALG##MonteTests<ALG>},                     \
                                      {&make##ALG##WycheproofHMACTests<ALG>}, {&make##ALG##LongMessageTests<ALG>}))
    ZELKOR_SHA2_ROW(SHA1);
    ZELKOR_SHA2_ROW(SHA224);
    ZELKOR_SHA2_ROW(SHA256);
    ZELKOR_SHA2_ROW(SHA384);
    ZELKOR_SHA2_ROW(SHA512);
    ZELKOR_WYCHEPROOF_HMAC_ROW(SHA512_224);
    ZELKOR_WYCHEPROOF_HMAC_ROW(SHA512_256);
    ZELKOR_WYCHEPROOF_HMAC_ROW(SHA3_224);
    ZELKOR_WYCHEPROOF_HMAC_ROW(SHA3_256);
    ZELKOR_WYCHEPROOF_HMAC_ROW(SHA3_384);
    ZELKOR_WYCHEPROOF_HMAC_ROW(SHA3_512);
#undef ZELKOR_SHA2_ROW
#undef ZELKOR_WYCHEPROOF_HMAC_ROW
    add(Algorithm::AES128, cipherKinds<AES128>({&makeAESTests<AES128>}, true));
    add(Algorithm::AES192, cipherKinds<AES192>({&makeAESTests<AES192>}, true));
    add(Algorithm::AES256, cipherKinds<AES256>({&makeAESTests<AES256>}, true));
    add(Algorithm::Twofish, cipherKinds<Twofish>({&makeTwoFishTests<Twofish>}, false));
    return rows;
}

constexpr auto kKw = zelkor::KeyWrapPadding::None, kKwp = zelkor::KeyWrapPadding::Padded;
constexpr auto kInverse = zelkor::KeyWrapDirection::Inverse;

// makeAllTests for the reference type of each algorithm.
std::vector<Node> fromTable(Algorithm algorithm) {
    using namespace ref;
    switch (algorithm) {
    case Algorithm::MD5: return makeAllTests<MD5>(algorithm);
    case Algorithm::SHA1: return makeAllTests<SHA1>(algorithm);
    case Algorithm::SHA224: return makeAllTests<SHA224>(algorithm);
    case Algorithm::SHA256: return makeAllTests<SHA256>(algorithm);
    case Algorithm::SHA384: return makeAllTests<SHA384>(algorithm);
    case Algorithm::SHA512: return makeAllTests<SHA512>(algorithm);
    case Algorithm::SHA512_224: return makeAllTests<SHA512_224>(algorithm);
    case Algorithm::SHA512_256: return makeAllTests<SHA512_256>(algorithm);
    case Algorithm::SHA3_224: return makeAllTests<SHA3_224>(algorithm);
    case Algorithm::SHA3_256: return makeAllTests<SHA3_256>(algorithm);
    case Algorithm::SHA3_384: return makeAllTests<SHA3_384>(algorithm);
    case Algorithm::SHA3_512: return makeAllTests<SHA3_512>(algorithm);
    case Algorithm::AES128: return makeAllTests<AES128>(algorithm);
    case Algorithm::AES192: return makeAllTests<AES192>(algorithm);
    case Algorithm::AES256: return makeAllTests<AES256>(algorithm);
    case Algorithm::Twofish: return makeAllTests<Twofish>(algorithm);
    case Algorithm::ChaCha20Poly1305: return makeAllTests<OpenSSLChaCha20Poly1305>(algorithm);
    case Algorithm::XChaCha20Poly1305: return makeAllTests<SodiumXChaCha20Poly1305>(algorithm);
    case Algorithm::AES128_GCM: return makeAllTests<zelkor::GcmAead<AES128>>(algorithm);
    case Algorithm::AES192_GCM: return makeAllTests<zelkor::GcmAead<AES192>>(algorithm);
    case Algorithm::AES256_GCM: return makeAllTests<zelkor::GcmAead<AES256>>(algorithm);
    case Algorithm::AES128_CCM: return makeAllTests<OpenSSLAes128Ccm>(algorithm);
    case Algorithm::AES192_CCM: return makeAllTests<OpenSSLAes192Ccm>(algorithm);
    case Algorithm::AES256_CCM: return makeAllTests<OpenSSLAes256Ccm>(algorithm);
    case Algorithm::ChaCha20: return makeAllTests<OpenSSLChaCha20>(algorithm);
    case Algorithm::XChaCha20: return makeAllTests<SodiumXChaCha20>(algorithm);
    case Algorithm::AES128_KW: return makeAllTests<OpenSSLKeyWrap<128, kKw>>(algorithm);
    case Algorithm::AES192_KW: return makeAllTests<OpenSSLKeyWrap<192, kKw>>(algorithm);
    case Algorithm::AES256_KW: return makeAllTests<OpenSSLKeyWrap<256, kKw>>(algorithm);
    case Algorithm::AES128_KWP: return makeAllTests<OpenSSLKeyWrap<128, kKwp>>(algorithm);
    case Algorithm::AES192_KWP: return makeAllTests<OpenSSLKeyWrap<192, kKwp>>(algorithm);
    case Algorithm::AES256_KWP: return makeAllTests<OpenSSLKeyWrap<256, kKwp>>(algorithm);
    case Algorithm::AES128_KW_INV: return makeAllTests<OpenSSLKeyWrap<128, kKw, kInverse>>(algorithm);
    case Algorithm::AES192_KW_INV: return makeAllTests<OpenSSLKeyWrap<192, kKw, kInverse>>(algorithm);
    case Algorithm::AES256_KW_INV: return makeAllTests<OpenSSLKeyWrap<256, kKw, kInverse>>(algorithm);
    case Algorithm::AES128_KWP_INV: return makeAllTests<OpenSSLKeyWrap<128, kKwp, kInverse>>(algorithm);
    case Algorithm::AES192_KWP_INV: return makeAllTests<OpenSSLKeyWrap<192, kKwp, kInverse>>(algorithm);
    case Algorithm::AES256_KWP_INV: return makeAllTests<OpenSSLKeyWrap<256, kKwp, kInverse>>(algorithm);
    case Algorithm::SHAKE128: return makeAllTests<OpenSSLShake128>(algorithm);
    case Algorithm::SHAKE256: return makeAllTests<OpenSSLShake256>(algorithm);
    case Algorithm::AES128_CMAC: return makeAllTests<OpenSSLCmacAes128>(algorithm);
    case Algorithm::AES192_CMAC: return makeAllTests<OpenSSLCmacAes192>(algorithm);
    case Algorithm::AES256_CMAC: return makeAllTests<OpenSSLCmacAes256>(algorithm);
    case Algorithm::HKDF_SHA1: return makeAllTests<OpenSSLHkdfSha1>(algorithm);
    case Algorithm::HKDF_SHA256: return makeAllTests<OpenSSLHkdfSha256>(algorithm);
    case Algorithm::HKDF_SHA384: return makeAllTests<OpenSSLHkdfSha384>(algorithm);
    case Algorithm::HKDF_SHA512: return makeAllTests<OpenSSLHkdfSha512>(algorithm);
    case Algorithm::PBKDF2_SHA1: return makeAllTests<OpenSSLPbkdf2Sha1>(algorithm);
    case Algorithm::PBKDF2_SHA224: return makeAllTests<OpenSSLPbkdf2Sha224>(algorithm);
    case Algorithm::PBKDF2_SHA256: return makeAllTests<OpenSSLPbkdf2Sha256>(algorithm);
    case Algorithm::PBKDF2_SHA384: return makeAllTests<OpenSSLPbkdf2Sha384>(algorithm);
    case Algorithm::PBKDF2_SHA512: return makeAllTests<OpenSSLPbkdf2Sha512>(algorithm);
    case Algorithm::Poly1305: return makeAllTests<OpenSSLPoly1305>(algorithm);
    case Algorithm::SipHash24: return makeAllTests<OpenSSLSipHash24>(algorithm);
    case Algorithm::KMAC128: return makeAllTests<OpenSSLKmac128>(algorithm);
    case Algorithm::KMAC256: return makeAllTests<OpenSSLKmac256>(algorithm);
    case Algorithm::TDES: return makeAllTests<TDES3>(algorithm);
    case Algorithm::TDES_CMAC: return makeAllTests<OpenSSLCmacTdes>(algorithm);
    case Algorithm::AES128_SIV: return makeAllTests<GcryptAes128Siv>(algorithm);
    case Algorithm::AES192_SIV: return makeAllTests<GcryptAes192Siv>(algorithm);
    case Algorithm::AES256_SIV: return makeAllTests<GcryptAes256Siv>(algorithm);
    case Algorithm::AES128_GCM_SIV: return makeAllTests<GcryptAes128GcmSiv>(algorithm);
    case Algorithm::AES256_GCM_SIV: return makeAllTests<GcryptAes256GcmSiv>(algorithm);
    case Algorithm::AES128_EAX: return makeAllTests<GcryptAes128Eax>(algorithm);
    case Algorithm::AES192_EAX: return makeAllTests<GcryptAes192Eax>(algorithm);
    case Algorithm::AES256_EAX: return makeAllTests<GcryptAes256Eax>(algorithm);
    case Algorithm::AES128_OCB: return makeAllTests<OpenSSLAes128Ocb>(algorithm);
    case Algorithm::Camellia: return makeAllTests<Camellia256>(algorithm);
    case Algorithm::ARIA: return makeAllTests<ARIA256>(algorithm);
    case Algorithm::SM4: return makeAllTests<zelkor::reference::SM4>(algorithm);
    case Algorithm::SEED: return makeAllTests<zelkor::reference::SEED>(algorithm);
    case Algorithm::CAST5: return makeAllTests<zelkor::reference::CAST5>(algorithm);
    case Algorithm::Blowfish: return makeAllTests<zelkor::reference::Blowfish>(algorithm);
    case Algorithm::IDEA: return makeAllTests<zelkor::reference::IDEA>(algorithm);
    case Algorithm::AES192_OCB: return makeAllTests<OpenSSLAes192Ocb>(algorithm);
    case Algorithm::AES256_OCB: return makeAllTests<OpenSSLAes256Ocb>(algorithm);
    case Algorithm::Camellia128_CCM: return makeAllTests<Camellia128Ccm>(algorithm);
    case Algorithm::Camellia192_CCM: return makeAllTests<Camellia192Ccm>(algorithm);
    case Algorithm::Camellia256_CCM: return makeAllTests<Camellia256Ccm>(algorithm);
    case Algorithm::ARIA128_CCM: return makeAllTests<ARIA128Ccm>(algorithm);
    case Algorithm::ARIA192_CCM: return makeAllTests<ARIA192Ccm>(algorithm);
    case Algorithm::ARIA256_CCM: return makeAllTests<ARIA256Ccm>(algorithm);
    case Algorithm::ARIA128_GCM: return makeAllTests<ARIA128Gcm>(algorithm);
    case Algorithm::ARIA192_GCM: return makeAllTests<ARIA192Gcm>(algorithm);
    case Algorithm::ARIA256_GCM: return makeAllTests<ARIA256Gcm>(algorithm);
    case Algorithm::SM4_CCM: return makeAllTests<SM4Ccm>(algorithm);
    case Algorithm::SM4_GCM: return makeAllTests<SM4Gcm>(algorithm);
    case Algorithm::SEED_CCM: return makeAllTests<SEEDCcm>(algorithm);
    case Algorithm::SEED_GCM: return makeAllTests<SEEDGcm>(algorithm);
    case Algorithm::Camellia128_CMAC: return makeAllTests<Camellia128Cmac>(algorithm);
    case Algorithm::Camellia192_CMAC: return makeAllTests<Camellia192Cmac>(algorithm);
    case Algorithm::Camellia256_CMAC: return makeAllTests<Camellia256Cmac>(algorithm);
    case Algorithm::ARIA128_CMAC: return makeAllTests<ARIA128Cmac>(algorithm);
    case Algorithm::ARIA192_CMAC: return makeAllTests<ARIA192Cmac>(algorithm);
    case Algorithm::ARIA256_CMAC: return makeAllTests<ARIA256Cmac>(algorithm);
    }
    return {};
}

TEST(AlgorithmTable, EveryAlgorithmHasOneRowAndTheTreeOfItsBuilders) {
    const zelkor::testsupport::ScopedDataDir data(zelkor::testsupport::sourceDataDir());
    const auto rows = everyAlgorithm();
    for (const AlgorithmRow& row : algorithmTable()) {
        const std::vector<Node> table = fromTable(row.algorithm);
        std::vector<std::string> kinds;
        for (CheckKind kind : row.checks()) kinds.emplace_back(checkKindName(kind));
        EXPECT_EQ(namesOf(table), kinds) << row.algorithm;
        for (const Node& group : table) EXPECT_GT(sizeOf(group), 0u) << row.algorithm << "/" << group.name();
    }
    // The algorithms that had per-algorithm builders before the table: the
    // same trees, leaf for leaf.
    ASSERT_EQ(rows.size(), 16u);
    for (const auto& [algorithm, builders] : rows) {
        const AlgorithmRow& row = algorithmRow(algorithm);
        EXPECT_EQ(row.algorithm, algorithm);
        const std::vector<Node> table = fromTable(algorithm);
        std::vector<std::string> kinds;
        for (CheckKind kind : row.checks()) kinds.emplace_back(checkKindName(kind));
        EXPECT_EQ(namesOf(table), kinds) << algorithm;
        EXPECT_EQ(pathsOf(table), pathsOf(builders())) << algorithm;
    }
}

TEST(AlgorithmTable, AeadMustTakeTheAlgorithmsNonceLength) {
    try {
        makeAllTests<ref::SodiumXChaCha20Poly1305>(Algorithm::ChaCha20Poly1305);
        ADD_FAILURE() << "an XChaCha20-Poly1305 type was accepted as ChaCha20-Poly1305";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(),
                     "makeAllTests: ChaCha20Poly1305 needs an AEAD of 256-bit keys taking 12-byte nonces and "
                     "16-byte tags, but the type given is an AEAD of 256-bit keys that does not take 12-byte nonces");
    }
}

TEST(AlgorithmTable, OneKindOfCheckAloneAndOneThatDoesNotApply) {
    const zelkor::testsupport::ScopedDataDir data(zelkor::testsupport::sourceDataDir());
    EXPECT_EQ(pathsOf(makeCheckTests<ref::SHA512_256>(CheckKind::MonteCarlo, Algorithm::SHA512_256)),
              pathsOf(makeSHA512_256MonteTests<ref::SHA512_256>()));
    try {
        makeCheckTests<ref::MD5>(CheckKind::MonteCarlo, Algorithm::MD5);
        ADD_FAILURE() << "MD5 has no Monte Carlo file, yet its Monte Carlo checks were built";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "makeCheckTests: MD5 has no Monte Carlo checks");
    }
}

TEST(AllTests, DigestAndCipherGetEveryKindThatApplies) {
    const zelkor::testsupport::ScopedDataDir data(zelkor::testsupport::sourceDataDir());
    const std::vector<Node> sha = makeAllTests<ref::SHA256>(Algorithm::SHA256);
    EXPECT_EQ(namesOf(sha), (std::vector<std::string>{"Known answers", "Monte Carlo", "HMAC", "Properties", "Conformance", "Buffer safety", "Long messages", "Constant time"}));
    EXPECT_EQ(sizeOf(sha[0]), makeSHA256Tests<ref::SHA256>().size());
    EXPECT_EQ(sizeOf(sha[2]), makeSHA256HMACTests<ref::SHA256>().size() + makeSHA256RFCHMACTests<ref::SHA256>().size() +
                                  makeSHA256WycheproofHMACTests<ref::SHA256>().size());

    const std::vector<Node> aes = makeAllTests(*ref::AES128::buildKey(zelkor::ByteString(std::vector<std::uint8_t>(16))),
                                               Algorithm::AES128);
    EXPECT_EQ(namesOf(aes), (std::vector<std::string>{"Known answers", "CTR", "GCM", "Conformance", "Buffer safety", "Constant time",
                                                      "Mode known answers"}));
    EXPECT_EQ(sizeOf(aes[0]), makeAESTests<ref::AES128>().size());
}

TEST(AllTests, AlgorithmThatDoesNotFitIsRefusedNamingBoth) {
    const auto refusal = [](auto build) -> std::string {
        try {
            build();
        } catch (const std::invalid_argument& error) {
            return error.what();
        }
        return "(accepted)";
    };
    const std::string digest = refusal([] { makeAllTests<ref::SHA256>(Algorithm::SHA3_256); });
    EXPECT_NE(digest.find("SHA3_256 needs a digest of 256-bit output and 1088-bit blocks"), std::string::npos) << digest;
    EXPECT_NE(digest.find("256-bit output and 512-bit blocks"), std::string::npos) << digest;
    const std::string cipher = refusal([] { makeAllTests<ref::AES128>(Algorithm::AES256); });
    EXPECT_NE(cipher.find("AES256 needs a block cipher of 128-bit blocks and 256-bit keys"), std::string::npos) << cipher;
    EXPECT_NE(refusal([] { makeAllTests<ref::SHA256>(Algorithm::Twofish); }).find("Twofish needs a block cipher"),
              std::string::npos);
}

}  // namespace
