// The CCM, GCM and CMAC rows over Camellia, ARIA, SM4 and SEED are read
// from Wycheproof files that mix key sizes: a row takes its own and skips the
// rest, and its vectors kill a wrong block function under the construction
// (a Camellia with FL and FL^-1 exchanged, under CCM), while the same code
// the right way round passes them.

#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/CamelliaFlSwapped.hpp"
#include "support/DataDir.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/Ccm.hpp"
#include "zelkor/tests/Algorithms.hpp"
#include "zelkor/tests/detail/aead/AeadKnownAnswers.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;

struct Tally {
    std::size_t cases = 0, passed = 0, failed = 0;
    std::string firstFailure;
};

template <class A>
Tally wycheproofOf(tests::Algorithm algorithm) {
    const testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    const std::vector<tests::Test> cases = tests::aead_detail::wycheproofTests<A>(tests::algorithmRow(algorithm).wycheproof);
    Tally tally;
    for (const auto& leaf : testsupport::leaves(cases)) {
        const Outcome outcome = testsupport::run(*leaf.test);
        ++tally.cases;
        if (outcome.kind == Outcome::Kind::Passed) ++tally.passed;
        if (outcome.kind == Outcome::Kind::AssertionFailed) {
            if (tally.failed++ == 0) tally.firstFailure = leaf.path + ": " + outcome.message.substr(0, 300);
        }
    }
    return tally;
}

TEST(CipherConstructions, CamelliaCcmVectorsKillFlAndItsInverseExchanged) {
    const Tally good = wycheproofOf<CcmAead<testsupport::SmallCamellia128<false>>>(tests::Algorithm::Camellia128_CCM);
    // Only the 128-bit-key tests of the file: a third of its 552, a few of
    // them of nonce lengths CCM does not take (skipped).
    EXPECT_GT(good.cases, 150u);
    EXPECT_LT(good.cases, 200u);
    EXPECT_EQ(good.failed, 0u) << good.firstFailure;
    EXPECT_GT(good.passed, 150u);

    const Tally bad = wycheproofOf<CcmAead<testsupport::mutants::CamelliaFlSwapped>>(tests::Algorithm::Camellia128_CCM);
    EXPECT_EQ(bad.cases, good.cases);
    // Every test with a ciphertext to match fails; the tests to refuse are
    // refused under any cipher, so the mutant fails fewer than all.
    EXPECT_GT(bad.failed, 100u) << bad.firstFailure;
    EXPECT_LT(bad.failed, bad.cases);
}

}  // namespace
