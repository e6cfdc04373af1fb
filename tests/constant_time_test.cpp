// The constant-time groups outside valgrind: one skipped case saying how to
// run them; the cases themselves still compare every call's result with the
// unmarked call, and findings read as documented. Their verdicts under
// memcheck are checked by constant_time/constant_time_test.cpp.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/DataDir.hpp"
#include "support/TimingMutants.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/ConstantTime.hpp"
#include "zelkor/tests/AES.hpp"
#include "zelkor/tests/ConstantTime.hpp"
#include "zelkor/tests/Conformance.hpp"
#include "zelkor/tests/GCM.hpp"
#include "zelkor/tests/HMAC.hpp"
#include "zelkor/tests/SHA.hpp"

namespace {

using namespace zelkor;
namespace ref = zelkor::reference;
using tests::detail::SecretCalls;
using testsupport::Outcome;

TEST(ConstantTimeOutsideValgrind, EachGroupIsOneSkippedCaseWithTheCommand) {
    ASSERT_FALSE(constantTimeCheckerActive());
    const std::vector<std::vector<tests::Test>> groups = {tests::makeBlockCipherConstantTimeTests<ref::AES128>(),
                                                          tests::makeHashConstantTimeTests<ref::SHA256>(),
                                                          tests::makeGCMConstantTimeTests<ref::AES128>()};
    const std::vector<std::string> names = {"Block Cipher constant time", "Digest constant time", "GCM constant time"};
    for (std::size_t i = 0; i < groups.size(); ++i) {
        EXPECT_EQ(testsupport::names(groups[i]), std::vector<std::string>{names[i]});
        const auto leaves = testsupport::leaves(groups[i]);
        ASSERT_EQ(leaves.size(), 1u);
        EXPECT_EQ(leaves[0].path, names[i] + "/CheckerUnavailable");
        const Outcome outcome = testsupport::run(*leaves[0].test);
        EXPECT_EQ(outcome.kind, Outcome::Kind::Skipped);
        EXPECT_NE(outcome.message.find("valgrind --tool=memcheck --error-limit=no /"), std::string::npos)
            << outcome.message;
        EXPECT_NE(outcome.message.find(" --gtest_filter='*onstant time*'"), std::string::npos) << outcome.message;
    }
}

// Without a checker every count is 0, so the cases pass exactly when each
// call with marked inputs gives the unmarked call's result.
TEST(ConstantTimeOutsideValgrind, CasesRunAndCompareEveryCall) {
    tests::detail::ctBuildKey<ref::AES128>();
    tests::detail::ctBlocks<ref::Twofish>();
    tests::detail::ctECB<ref::AES128>();
    tests::detail::ctIVMode<ref::AES128, tests::detail::CfbTimed>();
    tests::detail::ctIVMode<ref::Twofish, tests::detail::CtrTimed>();
    tests::detail::ctHash<ref::SHA3_256>();
    tests::detail::ctHmac<ref::SHA512>();
    tests::detail::ctGcmEncrypt<ref::AES256>();
    tests::detail::ctGcmDecrypt<ref::AES128>();
}

std::string verdict(const SecretCalls& calls) {
    try {
        calls.requireNone();
    } catch (const tests::AssertionFailure& failure) {
        return failure.what();
    }
    return "(none)";
}

TEST(ConstantTimeOutsideValgrind, FindingsNameTheCallAndCount) {
    SecretCalls calls;
    EXPECT_EQ(verdict(calls), "(none)");
    const ByteString secret = calls.secret(ByteString{1, 2});
    calls.check("ecb (contiguous)", [&] { return secret; }, [] { return ByteString{1, 3}; });
    calls.leak("encryptBlock", 160);
    calls.leak("buildKey", 1);
    calls.problem(tests::detail::gcmOpenFinding(16, 1, 16));
    EXPECT_EQ(verdict(calls),
              "ecb (contiguous) gave a different result with its secrets marked: \"0102\"\n"
              " unmarked it gave: \"0103\"\n"
              "encryptBlock: 160 secret-dependent branches or memory indexes in one call (memcheck printed each with "
              "its stack above)\n"
              "buildKey: 1 secret-dependent branch or memory index in one call (memcheck printed each with its stack "
              "above)\n"
              "gcmDecrypt: 1 secret-dependent branch or memory index with a tag forged at its first byte, 16 with one "
              "forged at its last (16 with the valid tag): the count depends on where the tag differs, as when the "
              "comparison stops at the first difference (memcheck printed each with its stack above)");
}

TEST(ConstantTimeOutsideValgrind, ChunksCutInsideAndOnBlocks) {
    const ByteString bytes = tests::detail::patternBytes(35, 4);
    const ChunkedByteString chunks = tests::detail::unevenChunks(bytes, 16);
    std::vector<std::size_t> sizes;
    for (const ByteString& chunk : chunks.chunks()) sizes.push_back(chunk.size());
    EXPECT_EQ(sizes, (std::vector<std::size_t>{1, 15, 17, 1, 1}));
    EXPECT_EQ(chunks.toStrict(), bytes);
    EXPECT_EQ(tests::detail::chunkedNote(chunks), "(chunked, 5 chunks)");
}

// The timing mutants give right answers: what reports them is the
// constant-time group alone.
TEST(TimingMutants, PassTheOtherChecksOfTheirKind) {
    namespace mutants = testsupport::mutants;
    const testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    using Sha = mutants::FinalBlockBranchesOnBytes<ref::SHA256>;
    using Hmac = mutants::HmacKeyScanStopsAtNonZero<ref::SHA256>;
    std::vector<tests::Test> tree;
    const auto add = [&](std::vector<tests::Test> tests) {
        for (tests::Test& test : tests) tree.push_back(std::move(test));
    };
    add(tests::makeAESTests<mutants::TableLookupAes>());
    add(tests::makeBlockCipherConformanceTests<mutants::TableLookupAes>());
    add(tests::makeAESTests<mutants::KeyScheduleBranchesOnKeyBits>());
    add(tests::makeSHA256Tests<Sha>());
    add(tests::makeHashConformanceTests<Sha>());
    add(tests::makeSHA256HMACTests<Hmac>());
    add(tests::makeHashConformanceTests<Hmac>());
    add(tests::makeAESGCMWycheproofTests<mutants::EarlyExitTagComparison>());
    add(tests::makeGCMConformanceTests<mutants::EarlyExitTagComparison>());
    std::vector<std::string> failures;
    for (const auto& report : testsupport::runAll(tree, true)) {
        if (report.outcome.kind != Outcome::Kind::Skipped) failures.push_back(report.path + ": " + report.outcome.message);
    }
    EXPECT_EQ(failures, std::vector<std::string>{});
}

}  // namespace
