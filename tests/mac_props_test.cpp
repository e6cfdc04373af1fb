// MACs: the MAC properties and buffer safety pass on correct MACs and catch a
// MAC that takes what it does not declare; the CMAC rows pass on OpenSSL's
// CMAC and on the generic CMAC over OpenSSL's AES, and each classic CMAC fault
// fails them.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/DataDir.hpp"
#include "support/KmacMutants.hpp"
#include "support/MacMutants.hpp"
#include "support/OneTimeMacMutants.hpp"
#include "support/SodiumMacs.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/Cmac.hpp"
#include "zelkor/tests/All.hpp"
#include "zelkor/tests/MAC.hpp"
#include "zelkor/tests/MacBufferSafety.hpp"

namespace {

using namespace zelkor;
using testsupport::mutants::CmacFault;
using testsupport::mutants::FaultyCmac;

std::vector<std::string> failuresOf(const std::vector<tests::Test>& tree) {
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(tree, true)) {
        if (report.outcome.kind == testsupport::Outcome::Kind::Skipped) continue;
        out.push_back(report.path + ": " + report.outcome.message.substr(0, 300));
    }
    return out;
}

// Failures counted by the top-level group and the leaf's last name.
std::map<std::string, int> failingGroups(const std::vector<tests::Test>& tree) {
    std::map<std::string, int> out;
    for (const auto& report : testsupport::runAll(tree, true)) {
        if (report.outcome.kind == testsupport::Outcome::Kind::Skipped) continue;
        ++out[report.path.substr(0, report.path.find('/'))];
    }
    return out;
}

TEST(MacProperties, PassOnCorrectMacs) {
    EXPECT_EQ(failuresOf(tests::makeMacPropertyTests<reference::OpenSSLCmacAes128>()), std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeMacPropertyTests<reference::OpenSSLCmacAes256>()), std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeMacPropertyTests<CmacMac<reference::AES192>>()), std::vector<std::string>{});
}

TEST(MacProperties, UndeclaredTagLengthIsCaught) {
    const auto failures =
        failuresOf(tests::makeMacPropertyTests<testsupport::mutants::CmacTakingUndeclaredTags>());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures.front().find("UndeclaredLengthsAreRefused"), std::string::npos) << failures.front();
    EXPECT_NE(failures.front().find("tag took a length of 7 bytes"), std::string::npos) << failures.front();
}

TEST(MacBufferSafety, PassesOnCorrectMacs) {
    if (!tests::detail::placementAvailable() || !tests::detail::faultGuardAvailable())
        GTEST_SKIP() << "no placed storage here";
    EXPECT_EQ(failuresOf(tests::makeMacBufferSafetyTests<reference::OpenSSLCmacAes128>()), std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeMacBufferSafetyTests<CmacMac<reference::AES128>>()), std::vector<std::string>{});
}

// The generic CMAC over OpenSSL's AES equals OpenSSL's CMAC at every length
// from 0 to 70 bytes and for chunks cut at every byte of a 40-byte message.
TEST(Cmac, GenericMatchesOpenSSL) {
    std::vector<std::uint8_t> keyBytes(16);
    for (std::size_t i = 0; i < keyBytes.size(); ++i) keyBytes[i] = static_cast<std::uint8_t>(0xa5 ^ (i * 29));
    const ByteString key(keyBytes);
    const auto aes = reference::AES128::buildKey(key);
    const auto openssl = reference::OpenSSLCmacAes128::buildKey(key);
    ASSERT_TRUE(aes && openssl);
    std::vector<std::uint8_t> bytes;
    for (std::size_t n = 0; n <= 70; ++n) {
        const ByteString message(bytes);
        EXPECT_EQ(cmac(*aes, message), openssl->tag(message, 16)) << n << " bytes";
        bytes.push_back(static_cast<std::uint8_t>(n * 7 + 3));
    }
    const ByteString forty(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 40));
    for (std::size_t cut = 0; cut <= 40; ++cut) {
        const auto chunked = ChunkedByteString::fromChunks({forty.take(cut), forty.drop(cut)});
        EXPECT_EQ(cmac(*aes, chunked), openssl->tag(forty, 16)) << "cut at " << cut;
    }
}

TEST(CmacRows, PassOnOpenSSLAndOnTheGenericCmac) {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    EXPECT_EQ(failuresOf(tests::makeAllTests<reference::OpenSSLCmacAes192>(tests::Algorithm::AES192_CMAC)),
              std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeAllTests<reference::AES256>(tests::Algorithm::AES256_CMAC)),
              std::vector<std::string>{});
    // 64-bit blocks: the subkeys' constant is 0x1b, and the NIST TDES answers catch 0x87.
    EXPECT_EQ(failuresOf(tests::makeAllTests<reference::TDES3>(tests::Algorithm::TDES_CMAC)),
              std::vector<std::string>{});
}

TEST(CmacRows, EachFaultFailsKnownAnswersWycheproofAndConformance) {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    for (const auto& failing :
         {failingGroups(tests::makeAllTests<FaultyCmac<CmacFault::SubkeyWithoutConditionalXor>>(
              tests::Algorithm::AES128_CMAC)),
          failingGroups(tests::makeAllTests<FaultyCmac<CmacFault::PadsCompleteLastBlock>>(
              tests::Algorithm::AES128_CMAC))}) {
        EXPECT_GT(failing.count("Known answers"), 0u);
        EXPECT_GT(failing.count("Wycheproof"), 0u);
        EXPECT_GT(failing.count("Conformance"), 0u);
        EXPECT_EQ(failing.count("Properties"), 0u);  // each fault is consistent with itself
    }
}

TEST(CmacRows, TypeThatDoesNotFitIsRefused) {
    const auto refusal = [](auto build) -> std::string {
        try {
            build();
        } catch (const std::invalid_argument& error) {
            return error.what();
        }
        return "(accepted)";
    };
    const std::string key =
        refusal([] { tests::makeAllTests<reference::OpenSSLCmacAes128>(tests::Algorithm::AES256_CMAC); });
    EXPECT_NE(key.find("AES256_CMAC needs a MAC of 256-bit keys and 16-byte tags"), std::string::npos) << key;
    EXPECT_NE(key.find("does not take 256-bit keys"), std::string::npos) << key;
    const std::string digest = refusal([] { tests::makeAllTests<reference::SHA256>(tests::Algorithm::AES128_CMAC); });
    EXPECT_NE(digest.find("neither a MAC nor a block cipher"), std::string::npos) << digest;
    const std::string mac = refusal([] { tests::makeAllTests<reference::OpenSSLCmacAes128>(tests::Algorithm::AES128); });
    EXPECT_NE(mac.find("AES128 needs a block cipher"), std::string::npos) << mac;
}

}  // namespace

namespace {

using testsupport::mutants::WrittenOutPoly1305;
using testsupport::mutants::WrittenOutSipHash24;

TEST(OneTimeMacRows, PassOnOpenSSLLibsodiumAndTheWrittenOutOnes) {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    EXPECT_EQ(failuresOf(tests::makeAllTests<testsupport::SodiumPoly1305>(tests::Algorithm::Poly1305)),
              std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeAllTests<testsupport::SodiumSipHash24>(tests::Algorithm::SipHash24)),
              std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeAllTests<WrittenOutPoly1305<true>>(tests::Algorithm::Poly1305)),
              std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeAllTests<WrittenOutSipHash24<0xff>>(tests::Algorithm::SipHash24)),
              std::vector<std::string>{});
}

TEST(OneTimeMacRows, EachFaultIsCaught) {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    const auto noCarry = failingGroups(tests::makeAllTests<WrittenOutPoly1305<false>>(tests::Algorithm::Poly1305));
    EXPECT_GT(noCarry.count("Known answers"), 0u);
    const auto otherConstant =
        failingGroups(tests::makeAllTests<WrittenOutSipHash24<0xee>>(tests::Algorithm::SipHash24));
    EXPECT_GT(otherConstant.count("Known answers"), 0u);
    EXPECT_GT(otherConstant.count("Wycheproof"), 0u);
}

}  // namespace

namespace {

using testsupport::mutants::WrittenOutKmac;

TEST(KmacRows, PassOnTheWrittenOutKmacAndCatchALeftEncodedLength) {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    EXPECT_EQ(failuresOf(tests::makeAllTests<WrittenOutKmac<128, true>>(tests::Algorithm::KMAC128)),
              std::vector<std::string>{});
    EXPECT_EQ(failuresOf(tests::makeAllTests<WrittenOutKmac<256, true>>(tests::Algorithm::KMAC256)),
              std::vector<std::string>{});
    const auto leftEncoded = failingGroups(tests::makeAllTests<WrittenOutKmac<128, false>>(tests::Algorithm::KMAC128));
    EXPECT_GT(leftEncoded.count("Known answers"), 0u);
    EXPECT_GT(leftEncoded.count("Wycheproof"), 0u);
}

}  // namespace
