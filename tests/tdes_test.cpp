// Triple DES: OpenSSL's block function against nettle's, both (three keys and
// two) against NIST's files of every mode, and a mutant that reuses the
// first key as the third.

#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "OpenSSLTDES.hpp"
#include "support/DataDir.hpp"
#include "support/ExtraModeMutants.hpp"
#include "support/IndependentInputs.hpp"
#include "support/NettleTdes.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/Checks.hpp"

namespace {

using namespace zelkor;
using testsupport::bytesOfLength;
using testsupport::notPassed;
using testsupport::Outcome;
using testsupport::sizeBetween;

template <int Bits>
void blocksAgree() {
    const ByteString key = *bytesOfLength(Bits / 8);
    const ByteString blocks = *bytesOfLength(8 * *sizeBetween(0, 6));
    const auto openssl = *reference::OpenSSLTDES<Bits>::buildKey(key);
    const auto nettle = *testsupport::NettleTDES<Bits>::buildKey(key);
    RC_ASSERT(openssl.encryptBlock(blocks) == nettle.encryptBlock(blocks));
    RC_ASSERT(openssl.decryptBlock(blocks) == nettle.decryptBlock(blocks));
}

RC_GTEST_PROP(TDES, OpenSSLAgreesWithNettle, ()) {
    blocksAgree<192>();
    blocksAgree<128>();
}

// Leaf path -> outcome of the TDES row's mode vectors for K.
template <class K>
std::map<std::string, Outcome> knownAnswers() {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    const auto tree = tests::makeCheckTests<K>(tests::CheckKind::ModeVectors, tests::Algorithm::TDES);
    return testsupport::outcomesByPath(tree);
}

TEST(TDES, BothImplementationsPassEveryModeOfNIST) {
    for (const auto& all : {knownAnswers<reference::TDES3>(), knownAnswers<reference::TDES2>(),
                            knownAnswers<testsupport::NettleTDES<192>>(), knownAnswers<testsupport::NettleTDES<128>>()}) {
        EXPECT_GE(all.size(), 84u);  // 48 files of two cases, less those of three keys for two-key TDES
        EXPECT_EQ(notPassed(all), std::set<std::string>{});
    }
}

TEST(TDES, FirstKeyAsThirdIsKilled) {
    const std::set<std::string> failed = notPassed(knownAnswers<testsupport::mutants::TdesFirstKeyAsThird>());
    EXPECT_FALSE(failed.empty());
    // Only the files with three different keys.
    for (const std::string& path : failed) EXPECT_NE(path.find("MMT3.rsp"), std::string::npos) << path.substr(0, 200);
}

TEST(TDES, ConformancePassesOnSixtyFourBitBlocks) {
    const auto tree = tests::makeBlockCipherConformanceTests<reference::TDES3>();
    EXPECT_EQ(testsupport::leaves(tree).size(), 12u);  // no XTS for 64-bit blocks
    for (const auto& report : testsupport::runAll(tree, true)) ADD_FAILURE() << report.path << ": " << report.outcome.message;
}

}  // namespace
