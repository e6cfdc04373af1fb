// The vectors of the later AEAD rows: GMAC's tests on the GCM rows, AES-SIV's
// known answers and two Wycheproof files, GCM-SIV's known answers. Each
// catches a fault no property sees, and passes the reference.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "ReferenceTrees.hpp"
#include "support/DataDir.hpp"
#include "support/GcmMutants.hpp"
#include "support/GcmSivMutants.hpp"
#include "support/OpenSSLSiv.hpp"
#include "support/SivMutants.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/All.hpp"
#include "zelkor/tests/detail/aead/AeadKnownAnswers.hpp"

namespace {

using namespace zelkor;
using tests::Algorithm;
using testsupport::Outcome;

struct Counts {
    std::size_t passed = 0, failed = 0;
};

// Passed and failed cases of `tree` whose path holds `file`.
Counts countsOf(const std::vector<tests::Test>& tree, const std::string& file) {
    Counts counts;
    for (const auto& report : testsupport::runAll(tree)) {
        if (report.path.find(file) == std::string::npos) continue;
        if (report.outcome.kind == Outcome::Kind::Passed) ++counts.passed;
        else if (report.outcome.kind != Outcome::Kind::Skipped) ++counts.failed;
    }
    return counts;
}

template <class A>
Counts wycheproofCounts(std::string_view file) {
    return countsOf(tests::aead_detail::wycheproofTests<A>(file), "");
}

template <class A>
Counts knownAnswerCounts(std::string_view directory) {
    return countsOf(tests::aead_detail::knownAnswerTests<A>(directory), "");
}

std::vector<tests::Test> groupOf(const std::vector<tests::Test>& all, std::string_view name) {
    for (const tests::Test& test : all) {
        if (test.name() == name) return {test};
    }
    return {};
}

// Only the builders of the vectors are instantiated for the mutants: their
// whole trees would cost compile time and show nothing more.
TEST(AeadWycheproof, GmacTestsCatchGhashFaults) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    // 138 tests per key size: 12- and 16-byte IVs, each the generic GCM takes.
    const Counts reference = wycheproofCounts<reference::GcmAES128>("aes_gmac_test.json");
    EXPECT_EQ(reference.passed, 138u);
    EXPECT_EQ(reference.failed, 0u);
    using testsupport::mutants::FaultyGcm;
    using enum testsupport::mutants::GcmFault;
    EXPECT_GT(wycheproofCounts<GcmAead<FaultyGcm<LengthsInBytes>>>("aes_gmac_test.json").failed, 0u);
    EXPECT_GT(wycheproofCounts<GcmAead<FaultyGcm<LongIvAsCounterPrefix>>>("aes_gmac_test.json").failed, 0u);
}

TEST(AeadKnownAnswers, SivCountingFromTheTagItselfIsCaught) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const std::vector<tests::Test> all = tests::makeAllTests<reference::GcryptAes128Siv>(Algorithm::AES128_SIV);
    // The deterministic file and the nonce-based one, every test of 256-bit keys.
    const Counts deterministic = countsOf(groupOf(all, "Wycheproof"), "/aes_siv_cmac_test.json-");
    const Counts withNonce = countsOf(groupOf(all, "Wycheproof"), "aead_aes_siv_cmac_test.json");
    const Counts known = countsOf(groupOf(all, "Known answers"), "rfc5297.txt");
    EXPECT_EQ(deterministic.failed + withNonce.failed + known.failed, 0u);
    EXPECT_EQ(deterministic.passed, 148u);
    EXPECT_EQ(withNonce.passed, 300u);
    EXPECT_EQ(known.passed, 2u);  // without a nonce, and with two AAD strings and a nonce

    using Mutant = testsupport::mutants::SivCounterBitsKept;
    EXPECT_EQ(knownAnswerCounts<Mutant>("KAT_AES_SIV").failed, 1u);
    EXPECT_GT(wycheproofCounts<Mutant>("aes_siv_cmac_test.json").failed, 20u);
}

// OpenSSL's SIV, independent of libgcrypt's, gives the same on non-empty
// messages (OpenSSL 3.0 cannot take an empty one) with and without a nonce.
TEST(AeadReference, SivOfOpenSSLAndLibgcryptAgree) {
    std::mt19937 random(7);
    const auto bytes = [&](std::size_t n) {
        std::vector<std::uint8_t> out(n);
        for (auto& b : out) b = static_cast<std::uint8_t>(random());
        return ByteString(std::move(out));
    };
    const ByteString keyBytes = bytes(32);
    const auto gcrypt = reference::GcryptAes128Siv::buildKey(keyBytes);
    const auto openssl = testsupport::OpenSSLAesSiv<256>::buildKey(keyBytes);
    ASSERT_TRUE(gcrypt && openssl);
    for (std::size_t length : {1u, 15u, 16u, 17u, 64u, 1000u}) {
        for (std::size_t nonceBytes : {0u, 1u, 12u, 40u}) {
            const ByteString nonce = bytes(nonceBytes), aad = bytes(length % 23), plaintext = bytes(length);
            const AeadSealed sealed = gcrypt->seal(nonce, aad, plaintext, 16);
            EXPECT_EQ(openssl->seal(nonce, aad, plaintext, 16), sealed) << length << " bytes, nonce " << nonceBytes;
            EXPECT_EQ(openssl->open(nonce, aad, sealed.ciphertext, sealed.tag), plaintext);
        }
    }
}

TEST(AeadKnownAnswers, GcmSivWithoutPolyvalByteReversalIsCaught) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    using testsupport::mutants::GcmSivFromPieces;
    using enum testsupport::mutants::GcmSivFault;
    // The construction without the fault matches the published answers.
    const Counts sound = knownAnswerCounts<GcmSivFromPieces<128, None>>("KAT_AES_GCM_SIV");
    EXPECT_EQ(sound.failed, 0u);
    EXPECT_EQ(sound.passed, 24u);  // Appendix C.1
    const Counts faulty = knownAnswerCounts<GcmSivFromPieces<128, PolyvalWithoutByteReversal>>("KAT_AES_GCM_SIV");
    // Nearly all: the empty message with no AAD has a POLYVAL of zero either way.
    EXPECT_GE(faulty.failed, 20u);
}

}  // namespace
