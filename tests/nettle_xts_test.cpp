// nettle's XTS, an implementation independent of OpenSSL's (the AES
// reference's own XTS), holds to the AES rows' XTS vectors: NIST's files of
// both tweak forms and Wycheproof's tests of the row's key size. (That it
// agrees with OpenSSL's on random units is checked with the modes.)

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/DataDir.hpp"
#include "support/NettleXts.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/ExtraModes.hpp"
#include "zelkor/tests/detail/cipher/ModeKnownAnswers.hpp"

namespace {

using namespace zelkor;
using tests::Algorithm;
using testsupport::NettleXtsAES;
using testsupport::notPassed;
using testsupport::Outcome;

static_assert(zelkor::detail::UsesOwn_xts<NettleXtsAES<128>> && zelkor::detail::UsesOwn_unXts<NettleXtsAES<128>>,
              "the XTS under test is nettle's, not the library's generic one");

// Path -> outcome of the XTS vectors of `algorithm`'s row for K.
template <class K>
std::map<std::string, Outcome> xtsAnswers(Algorithm algorithm) {
    const testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    const tests::AlgorithmRow& aes = tests::algorithmRow(algorithm);
    tests::AlgorithmRow row = aes;
    row.modeVectors = {};
    row.modeVectors.xts = aes.modeVectors.xts;
    row.modeVectors.xtsWycheproof = aes.modeVectors.xtsWycheproof;
    const auto cases = tests::mode_detail::modeVectorTests<K>(row);
    return testsupport::outcomesByPath(cases);
}

std::size_t nistCases(const std::map<std::string, Outcome>& all) {
    std::size_t n = 0;
    for (const auto& entry : all) n += entry.first.find(".json-") == std::string::npos ? 1 : 0;
    return n;
}

TEST(NettleXts, PassesTheAesRowsXtsVectors) {
    const auto aes128 = xtsAnswers<NettleXtsAES<128>>(Algorithm::AES128);
    const auto aes192 = xtsAnswers<NettleXtsAES<192>>(Algorithm::AES192);
    const auto aes256 = xtsAnswers<NettleXtsAES<256>>(Algorithm::AES256);
    for (const auto* all : {&aes128, &aes192, &aes256}) {
        EXPECT_GT(all->size() - nistCases(*all), 20u) << "Wycheproof's tests of the key size";
        EXPECT_EQ(notPassed(*all), std::set<std::string>{});
    }
    // NIST's files: XTS-AES-128 and -256, both tweak forms, each direction.
    EXPECT_GE(nistCases(aes128), 4u);
    EXPECT_GE(nistCases(aes256), 4u);
    EXPECT_EQ(nistCases(aes192), 0u);
}

TEST(NettleXts, RefusesDataUnitsUnderOneBlock) {
    const auto key = *NettleXtsAES<128>::buildKey(ByteString(std::vector<std::uint8_t>(16, 1)));
    const ByteString tweak(std::vector<std::uint8_t>(16, 2));
    EXPECT_THROW((void)xts(key, key, tweak, ByteString(std::vector<std::uint8_t>(15, 3))), std::invalid_argument);
    EXPECT_THROW((void)unXts(key, key, ByteString(std::vector<std::uint8_t>(15, 2)),
                             ByteString(std::vector<std::uint8_t>(32, 3))),
                 std::invalid_argument);
}

}  // namespace
