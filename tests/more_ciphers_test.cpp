// The block-cipher rows read from each cipher's own files: Camellia's OpenSSL
// reference against nettle's at every key size, a Camellia with FL and FL^-1
// exchanged killed by the vectors, the other key lengths of each row, and
// every row's vectors refusing the other ciphers of its shape.

#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "ReferencePrimitives.hpp"
#include "support/CamelliaFlSwapped.hpp"
#include "support/DataDir.hpp"
#include "support/IndependentInputs.hpp"
#include "support/NettleCamellia.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/detail/cipher/ModeKnownAnswers.hpp"

namespace {

using namespace zelkor;
using tests::Algorithm;
using testsupport::bytesOfLength;
using testsupport::notPassed;
using testsupport::Outcome;
using testsupport::sizeBetween;

template <int Bits>
void camelliaBlocksAgree() {
    const ByteString key = *bytesOfLength(Bits / 8);
    const ByteString blocks = *bytesOfLength(16 * *sizeBetween(0, 4));
    const auto openssl = *reference::OpenSSLBlockCipher<reference::OpenSSLCipherFamily::Camellia, 128, Bits>::buildKey(key);
    const auto nettle = *testsupport::NettleCamellia<Bits>::buildKey(key);
    RC_ASSERT(openssl.encryptBlock(blocks) == nettle.encryptBlock(blocks));
    RC_ASSERT(openssl.decryptBlock(blocks) == nettle.decryptBlock(blocks));
}

RC_GTEST_PROP(Camellia, OpenSSLAgreesWithNettle, ()) {
    camelliaBlocksAgree<128>();
    camelliaBlocksAgree<192>();
    camelliaBlocksAgree<256>();
}

// Case name -> outcome of the row's mode vectors for K (only that kind of
// check is built, so no other tree is instantiated here).
template <class K>
std::map<std::string, Outcome> knownAnswers(Algorithm algorithm) {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    const auto cases = tests::mode_detail::modeVectorTests<K>(tests::algorithmRow(algorithm));
    return testsupport::outcomesByPath(cases);
}

// The cases of the cipher's own files, leaving out Wycheproof's CBC-PKCS#7
// tests, whose bad-pad ciphertexts are refused under any wrong cipher too.
std::map<std::string, Outcome> ownFiles(const std::map<std::string, Outcome>& all) {
    std::map<std::string, Outcome> out;
    for (const auto& [path, outcome] : all) {
        if (path.find(".json-") == std::string::npos) out.emplace(path, outcome);
    }
    return out;
}

TEST(Camellia, BothImplementationsPassEveryKeySize) {
    namespace ref = reference;
    for (const auto& all : {knownAnswers<ref::Camellia128>(Algorithm::Camellia),
                            knownAnswers<ref::Camellia192>(Algorithm::Camellia),
                            knownAnswers<ref::Camellia256>(Algorithm::Camellia),
                            knownAnswers<testsupport::NettleCamellia<128>>(Algorithm::Camellia),
                            knownAnswers<testsupport::NettleCamellia<192>>(Algorithm::Camellia),
                            knownAnswers<testsupport::NettleCamellia<256>>(Algorithm::Camellia)}) {
        // Both directions of the ECB tables, CBC, CFB and OFB, and Wycheproof's CBC-PKCS#7 tests.
        EXPECT_GE(all.size(), 6u);
        EXPECT_EQ(notPassed(all), std::set<std::string>{});
    }
}

TEST(Camellia, FlAndItsInverseExchangedIsKilled) {
    // The same code with the layers the right way round passes: the exchange alone is the fault.
    EXPECT_EQ(notPassed(knownAnswers<testsupport::SmallCamellia128<false>>(Algorithm::Camellia)),
              std::set<std::string>{});
    const auto mutant = knownAnswers<testsupport::mutants::CamelliaFlSwapped>(Algorithm::Camellia);
    const auto own = ownFiles(mutant);
    EXPECT_EQ(notPassed(own).size(), own.size()) << "every block goes through both FL layers";
    EXPECT_GT(notPassed(mutant).size(), own.size()) << "Wycheproof's good ciphertexts fail too";
    const auto key = *testsupport::mutants::CamelliaFlSwapped::buildKey(ByteString(std::vector<std::uint8_t>(16, 7)));
    const ByteString block(std::vector<std::uint8_t>(32, 0x5a));
    EXPECT_EQ(key.decryptBlock(key.encryptBlock(block)), block) << "the mutant is a cipher: its own inverse undoes it";
}

TEST(MoreCiphers, OtherKeyLengthsPassTheirRows) {
    namespace ref = reference;
    for (const auto& all : {knownAnswers<ref::ARIA128>(Algorithm::ARIA), knownAnswers<ref::ARIA192>(Algorithm::ARIA),
                            knownAnswers<ref::CAST5_80>(Algorithm::CAST5), knownAnswers<ref::CAST5_40>(Algorithm::CAST5),
                            knownAnswers<ref::Blowfish64>(Algorithm::Blowfish)}) {
        EXPECT_FALSE(all.empty());
        EXPECT_EQ(notPassed(all), std::set<std::string>{});
    }
}

// Each row's vectors pass its own cipher and fail every other cipher of the
// same block and key length: they are checked, not merely read.
template <class K>
void passesOnly(Algorithm own, const std::vector<Algorithm>& rows) {
    for (const Algorithm row : rows) {
        const auto all = knownAnswers<K>(row);
        const auto files = ownFiles(all);
        ASSERT_FALSE(files.empty()) << row;
        if (row == own) {
            EXPECT_EQ(notPassed(all), std::set<std::string>{}) << row;
        } else {
            EXPECT_EQ(notPassed(files).size(), files.size()) << tests::algorithmName(own) << " under the vectors of " << row;
        }
    }
}

TEST(MoreCiphers, EachRowPassesOnlyItsOwnCipher) {
    namespace ref = reference;
    const std::vector<Algorithm> wide = {Algorithm::Camellia, Algorithm::ARIA, Algorithm::SM4, Algorithm::SEED};
    passesOnly<ref::Camellia128>(Algorithm::Camellia, wide);
    passesOnly<ref::ARIA128>(Algorithm::ARIA, wide);
    passesOnly<ref::SM4>(Algorithm::SM4, wide);
    passesOnly<ref::SEED>(Algorithm::SEED, wide);
    const std::vector<Algorithm> narrow = {Algorithm::CAST5, Algorithm::Blowfish, Algorithm::IDEA};
    passesOnly<ref::CAST5>(Algorithm::CAST5, narrow);
    passesOnly<ref::Blowfish>(Algorithm::Blowfish, narrow);
    passesOnly<ref::IDEA>(Algorithm::IDEA, narrow);
}

}  // namespace
