// CCM: OpenSSL's, libgcrypt's and the generic CCM pass every CCM check, the
// vector reader keeps what NIST's files say, and each classic CCM fault is
// caught.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/CcmMutants.hpp"
#include "support/DataDir.hpp"
#include "support/IndependentCcm.hpp"
#include "support/IndependentCiphers.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/CCM.hpp"
#include "zelkor/tests/Checks.hpp"
#include "zelkor/tests/detail/formats/CcmVectors.hpp"

namespace {

using namespace zelkor;
using testsupport::mutants::CcmFault;
using testsupport::mutants::FaultyCcmAES128;

// Every case that did not pass, except skips of lengths the type does not take.
std::vector<std::string> failures(const std::vector<tests::Test>& tree) {
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(tree, true)) {
        const std::string& message = report.outcome.message;
        if (report.outcome.kind == testsupport::Outcome::Kind::Skipped &&
            message.find("not accepted by the type") != std::string::npos) {
            continue;
        }
        out.push_back(report.path + ": " + message.substr(0, 300));
    }
    return out;
}

template <class A>
std::vector<tests::Test> ccmTree(tests::Algorithm algorithm) {
    std::vector<tests::Test> tree;
    for (auto kind : {tests::CheckKind::KnownAnswers, tests::CheckKind::Wycheproof, tests::CheckKind::Properties}) {
        tree.push_back(tests::testGroup(std::string(tests::checkKindName(kind)),
                                        tests::makeCheckTests<A>(kind, algorithm)));
    }
    return tree;
}

bool hasLeaf(const std::vector<tests::Test>& tree, std::string_view part) {
    for (const auto& leaf : testsupport::leaves(tree)) {
        if (leaf.path.find(part) != std::string::npos) return true;
    }
    return false;
}

TEST(Ccm, OpenSSLLibgcryptAndGenericPassEveryCcmCheck) {
    const testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    using tests::Algorithm;
    const auto openssl = ccmTree<reference::OpenSSLAes128Ccm>(Algorithm::AES128_CCM);
    EXPECT_EQ(failures(openssl), std::vector<std::string>{});
    EXPECT_TRUE(hasLeaf(openssl, "LongAdata128.rsp-Alen65280"));
    EXPECT_TRUE(hasLeaf(openssl, "DVPT128.rsp-Alen0-Plen0-Nlen7-Tlen4"));
    EXPECT_FALSE(hasLeaf(openssl, "CCM conformance"));  // no block cipher of its own
    const auto gcrypt = ccmTree<CcmAead<testsupport::GcryptCcmAES256>>(Algorithm::AES256_CCM);
    EXPECT_EQ(failures(gcrypt), std::vector<std::string>{});
    EXPECT_TRUE(hasLeaf(gcrypt, "CCM conformance/OwnCCMMatchesGeneric"));
    EXPECT_EQ(failures(tests::makeCheckTests<CcmAead<testsupport::GenericAES192>>(tests::CheckKind::KnownAnswers,
                                                                                  Algorithm::AES192_CCM)),
              std::vector<std::string>{});
}

TEST(Ccm, ReaderTakesLengthsKeysAndResultsAsTheFilesGiveThem) {
    const std::string text =
        "# comment\r\nPlen = 1\r\nTlen = 4\r\n\r\n[Alen = 0, Nlen = 7]\r\n\r\nKey = 00112233445566778899aabbccddeeff\r\n"
        "Count = 0\r\nNonce = 01020304050607\r\nAdata = 00\r\nCT = aabbccddee\r\nResult = Fail\r\n\r\n"
        "Count = 1\r\nNonce = 01020304050608\r\nAdata = 00\r\nCT = 0a0b0c0d0e\r\nResult = Pass\r\nPayload = 7f\r\n";
    const auto categories = tests::ccm_detail::parseNistCcm("X.rsp", text);
    ASSERT_EQ(categories.size(), 1u);
    EXPECT_EQ(categories[0].name, "X.rsp-Alen0-Nlen7");
    EXPECT_FALSE(categories[0].encrypt);
    const auto& records = *categories[0].records;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(records[0].mustFail);
    EXPECT_EQ(ByteString(records[1].aad()), ByteString());
    EXPECT_EQ(ByteString(records[1].ciphertext()), ByteString({0x0a}));
    EXPECT_EQ(ByteString(records[1].tag()), ByteString({0x0b, 0x0c, 0x0d, 0x0e}));
    EXPECT_EQ(ByteString(records[1].plaintext()), ByteString({0x7f}));
    EXPECT_EQ(records[1].count(), "1");
    EXPECT_EQ(records[1].line(), 14u);
    try {
        (void)tests::ccm_detail::parseNistCcm("Y.rsp", "Plen = 2\nTlen = 4\nNlen = 7\nAlen = 0\nKey = 00\nCount = 3\n"
                                                        "Nonce = 01020304050607\nAdata = 00\nPayload = 0102\nCT = 01\n");
        ADD_FAILURE() << "a CT shorter than Plen + Tlen was taken";
    } catch (const tests::detail::VectorParseError& error) {
        EXPECT_STREQ(error.what(), "Y.rsp:6: CCM record: CT holds 2 hex digits, not 12");
    }
}

TEST(Ccm, EachFaultIsCaught) {
    const testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    using WrongTagField = FaultyCcmAES128<CcmFault::TagFieldOffByOne>;
    using WrongLengthField = FaultyCcmAES128<CcmFault::LengthFieldOffByOne>;
    using Takes14 = FaultyCcmAES128<CcmFault::Accepts14ByteNonce>;
    // A wrong flags byte round-trips: only the known answers and the generic CCM tell.
    EXPECT_NE(failures(tests::ccm_detail::nistTests<CcmAead<WrongTagField>>("KAT_AES_CCM")).size(), 0u);
    EXPECT_NE(failures(tests::ccm_detail::nistTests<CcmAead<WrongLengthField>>("KAT_AES_CCM")).size(), 0u);
    EXPECT_EQ(failures(tests::makeCCMConformanceTests<WrongTagField>()).size(), 1u);
    EXPECT_EQ(failures(tests::makeCCMConformanceTests<WrongLengthField>()).size(), 1u);
    // A 14-byte nonce gives right answers for 7 to 13: only the undeclared-length case tells.
    EXPECT_EQ(failures(tests::ccm_detail::nistTests<CcmAead<Takes14>>("KAT_AES_CCM")), std::vector<std::string>{});
    const auto lengths = failures(tests::makeAeadPropertyTests<CcmAead<Takes14>>());
    ASSERT_EQ(lengths.size(), 1u);
    EXPECT_NE(lengths.front().find("seal took a nonce of 14 bytes"), std::string::npos) << lengths.front();
}

}  // namespace
