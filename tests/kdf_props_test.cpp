// HKDF and PBKDF2: the rows pass on OpenSSL's KDFs and on the generic ones
// over OpenSSL's digests, the long cases stay skipped by default, and each
// classic fault of an own member fails them.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/DataDir.hpp"
#include "support/KdfMutants.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/Kdf.hpp"
#include "zelkor/tests/All.hpp"
#include "zelkor/tests/KDF.hpp"

namespace {

using namespace zelkor;
using testsupport::mutants::FaultyHkdfDigest;
using testsupport::mutants::FaultyPbkdf2Digest;
using testsupport::mutants::KdfFault;
using tests::Algorithm;

std::vector<std::string> failuresOf(const std::vector<tests::Test>& tree) {
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(tree, true)) {
        if (report.outcome.kind == testsupport::Outcome::Kind::Skipped) continue;
        out.push_back(report.path + ": " + report.outcome.message.substr(0, 300));
    }
    return out;
}

// Failing leaves by top-level group; "skipped" counts the skipped ones.
std::map<std::string, int> outcomes(const std::vector<tests::Test>& tree) {
    std::map<std::string, int> out;
    for (const auto& report : testsupport::runAll(tree, true)) {
        if (report.outcome.kind == testsupport::Outcome::Kind::Skipped) ++out["skipped"];
        else ++out[report.path.substr(0, report.path.find('/'))];
    }
    return out;
}

TEST(KdfRows, PassOnOpenSSLAndOnTheGenericConstructions) {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    EXPECT_EQ(failuresOf(tests::makeAllTests<reference::OpenSSLHkdfSha1>(Algorithm::HKDF_SHA1)),
              std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeAllTests<reference::SHA512>(Algorithm::HKDF_SHA512)), std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeAllTests<reference::OpenSSLPbkdf2Sha256>(Algorithm::PBKDF2_SHA256)),
              std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeAllTests<reference::SHA1>(Algorithm::PBKDF2_SHA1)), std::vector<std::string>{});
}

TEST(KdfRows, ManyIterationsAreLongCasesSkippedByDefault) {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    testsupport::ScopedEnvVariable notLong("zelkor_tests_long", "0");
    const auto tree = tests::makeCheckTests<reference::OpenSSLPbkdf2Sha1>(tests::CheckKind::KnownAnswers,
                                                                           Algorithm::PBKDF2_SHA1);
    std::vector<std::string> skipped;
    for (const auto& report : testsupport::runAll(tree, true)) {
        EXPECT_EQ(report.outcome.kind, testsupport::Outcome::Kind::Skipped) << report.path;
        skipped.push_back(report.path);
    }
    // RFC 6070: 1, 2 and the first 4096-iteration case run; 16,777,216 and the
    // two other 4096-iteration cases are long.
    EXPECT_EQ(skipped, (std::vector<std::string>{"rfc-6070-PBKDF2-SHA1.txt-3", "rfc-6070-PBKDF2-SHA1.txt-4",
                                                  "rfc-6070-PBKDF2-SHA1.txt-5"}));
}

TEST(KdfRows, EachFaultIsCaught) {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    const auto clamps = outcomes(tests::makeAllTests<FaultyHkdfDigest<KdfFault::HkdfClampsLongOutput>>(Algorithm::HKDF_SHA256));
    EXPECT_GT(clamps.count("Wycheproof"), 0u);  // its three over-long outputs
    EXPECT_GT(clamps.count("Properties"), 0u);  // OverLongOutputRefused
    EXPECT_EQ(clamps.count("Known answers"), 0u);
    const auto fromZero = outcomes(tests::makeAllTests<FaultyHkdfDigest<KdfFault::HkdfCounterFromZero>>(Algorithm::HKDF_SHA256));
    EXPECT_GT(fromZero.count("Known answers"), 0u);
    EXPECT_GT(fromZero.count("Conformance"), 0u);
    for (const auto& failing :
         {outcomes(tests::makeAllTests<FaultyPbkdf2Digest<KdfFault::Pbkdf2LittleEndianIndex>>(Algorithm::PBKDF2_SHA256)),
          outcomes(tests::makeAllTests<FaultyPbkdf2Digest<KdfFault::Pbkdf2OneIterationTooFew>>(Algorithm::PBKDF2_SHA256))}) {
        EXPECT_GT(failing.count("Wycheproof"), 0u);
        EXPECT_GT(failing.count("Conformance"), 0u);
    }
}

TEST(KdfRows, TypeThatDoesNotFitIsRefused) {
    const auto refusal = [](auto build) -> std::string {
        try {
            build();
        } catch (const std::invalid_argument& error) {
            return error.what();
        }
        return "(accepted)";
    };
    const std::string block = refusal([] { tests::makeAllTests<reference::SHA512_256>(Algorithm::HKDF_SHA256); });
    EXPECT_NE(block.find("HKDF_SHA256 needs an HKDF of a 256-bit hash"), std::string::npos) << block;
    EXPECT_NE(block.find("1024-bit blocks"), std::string::npos) << block;
    const std::string kind =
        refusal([] { tests::makeAllTests<reference::OpenSSLHkdfSha256>(Algorithm::PBKDF2_SHA256); });
    EXPECT_NE(kind.find("PBKDF2_SHA256 needs a PBKDF2"), std::string::npos) << kind;
}

}  // namespace
