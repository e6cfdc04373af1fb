// The long-message suites: skipped unless asked for, one case per record, and
// (with zelkor_tests_long=1) the two length faults that only gigabyte messages
// show fail them while correct digests pass. Only SHA-256's 1 GiB and 5 GiB
// cases run here; the demo runs them all.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OpenSSLDigests.hpp"
#include "support/DataDir.hpp"
#include "support/IndependentDigests.hpp"
#include "support/LengthMutants.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/Conformance.hpp"
#include "zelkor/tests/HMAC.hpp"
#include "zelkor/tests/MD5.hpp"
#include "zelkor/tests/SHA.hpp"
#include "zelkor/tests/detail/bytes/MappedRepeat.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;
using Kind = Outcome::Kind;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The outcome of the case of one builder call named `name`.
Outcome outcomeOf(const std::vector<tests::Test>& suite, const std::string& name) {
    for (const auto& leaf : testsupport::leaves(suite)) {
        if (leaf.path == name) return testsupport::run(*leaf.test);
    }
    ADD_FAILURE() << "no case " << name;
    return {Kind::Error, "no case"};
}

template <class D>
Outcome longCase(const std::string& name) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    testsupport::ScopedEnvVariable longRuns("zelkor_tests_long", "1");
    return outcomeOf(tests::makeSHA256LongMessageTests<D>(), name);
}

TEST(LongMessageSuite, TwoRecordsPerDigestEachSkippedUnlessAskedFor) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    testsupport::ScopedEnvVariable longRuns("zelkor_tests_long", "0");
    const std::vector<std::vector<tests::Test>> suites{
        tests::makeMD5LongMessageTests<reference::MD5>(),
        tests::makeSHA1LongMessageTests<reference::SHA1>(),
        tests::makeSHA224LongMessageTests<reference::SHA224>(),
        tests::makeSHA256LongMessageTests<reference::SHA256>(),
        tests::makeSHA384LongMessageTests<reference::SHA384>(),
        tests::makeSHA512LongMessageTests<reference::SHA512>(),
        tests::makeSHA512_224LongMessageTests<reference::SHA512_224>(),
        tests::makeSHA512_256LongMessageTests<reference::SHA512_256>(),
        tests::makeSHA3_224LongMessageTests<reference::SHA3_224>(),
        tests::makeSHA3_256LongMessageTests<reference::SHA3_256>(),
        tests::makeSHA3_384LongMessageTests<reference::SHA3_384>(),
        tests::makeSHA3_512LongMessageTests(reference::SHA3_512{}),
    };
    for (const auto& suite : suites) {
        ASSERT_EQ(suite.size(), 2u);
        for (const auto& report : testsupport::runAll(suite)) {
            EXPECT_EQ(report.outcome.kind, Kind::Skipped) << report.path << ": " << report.outcome.message;
            EXPECT_TRUE(contains(report.outcome.message, "zelkor_tests_long=1")) << report.outcome.message;
        }
    }
    const auto& first = std::get<tests::TestCase>(suites[3][0].node);
    EXPECT_EQ(first.name, "LongSHA256-1");
    EXPECT_TRUE(first.origin.file.ends_with("KAT_LONG/LongMessages.rsp")) << first.origin.file;
    EXPECT_GT(first.origin.line, 0);
}

// Each is an error naming the record's file and line, with long runs asked
// for or not, and decided before anything is sized by Repeat.
TEST(LongMessageSuite, MalformedRecordsAreErrorsNamingFieldFileAndLine) {
    testsupport::ScopedDataDir dataDir(testsupport::fixturesDir() + "/long/malformed");
    for (const char* longRuns : {"1", "0"}) {
        testsupport::ScopedEnvVariable asked("zelkor_tests_long", longRuns);
        const auto suite = tests::makeSHA256LongMessageTests<reference::SHA256>();
        ASSERT_EQ(suite.size(), 7u);
        std::vector<std::string> messages;
        for (const auto& report : testsupport::runAll(suite)) messages.push_back(report.outcome.message);
        const std::string file = "KAT_LONG/Malformed.rsp:";
        EXPECT_TRUE(contains(messages[0], file + "5: Repeat is not a decimal integer: \"1x\"")) << messages[0];
        EXPECT_TRUE(contains(messages[1], file + "9: Pattern is empty")) << messages[1];
        EXPECT_TRUE(contains(messages[2], file + "13: Repeat is not positive")) << messages[2];
        // Saturated to 2^63 - 1 before, and then taken as within the limit.
        EXPECT_TRUE(contains(messages[3], file + "20: Repeat does not fit in 64 bits: \"99999999999999999999\""))
            << messages[3];
        // "abc" once: passes in both forms, or is skipped.
        if (longRuns == std::string("1")) EXPECT_EQ(messages[4], "");
        else EXPECT_TRUE(contains(messages[4], "zelkor_tests_long=1")) << messages[4];
        // 2^63 bytes: 2^66 bits, where SHA-256 takes fewer than 2^64.
        EXPECT_TRUE(contains(messages[5], file + "28: Pattern x Repeat is 2^64 bits or more, beyond what SHA256 takes"))
            << messages[5];
        // 2^64 - 8 bits: within SHA-256's limit, not within what a case hashes.
        EXPECT_TRUE(contains(messages[6], file + "32: Pattern x Repeat is more than the 68719476736 bytes (64 GiB)"))
            << messages[6];
        const auto& usage = *std::get<tests::TestCase>(suite[0].node).origin.usage;
        EXPECT_TRUE(contains(usage.describe(), "7 used, 2 skipped (1 missing field, 1 another algorithm)"))
            << usage.describe();
    }
}

TEST(LongMessageSuite, ContiguousRepeatCrossesMappedBlocksAndOutlivesItsCopies) {
    const ByteString pattern = ByteString::fromText("abc");
    const std::uint64_t times = 1'500'001;  // 4.5 MB: three mapped blocks, the last cut short
    ByteString copy;
    {
        tests::detail::MappedRepeat mapped = tests::detail::mapRepeated(pattern, times);
        if (!mapped.bytes) GTEST_SKIP() << "cannot map here: " << mapped.unavailable;
        EXPECT_EQ(ChunkedByteString::fromStrict(*mapped.bytes), ChunkedByteString::repeat(pattern, times));
        copy = mapped.bytes->drop(1);
    }
    ASSERT_EQ(copy.size(), 3 * times - 1);
    EXPECT_EQ(copy.take(2), ByteString::fromText("bc"));
    EXPECT_EQ(copy.drop(copy.size() - 3), ByteString::fromText("abc"));
}

// A gibibyte is 2^33 bits: a 32-bit bit counter holds 0.
TEST(LongMessageSuite, GibibyteCaseCatchesA32BitBitCounter) {
    EXPECT_EQ(longCase<reference::SHA256>("LongSHA256-1").kind, Kind::Passed);
    EXPECT_EQ(longCase<testsupport::NettleSHA256>("LongSHA256-1").kind, Kind::Passed);
    const Outcome mutant = longCase<testsupport::BitCountIn32Bits>("LongSHA256-1");
    EXPECT_EQ(mutant.kind, Kind::AssertionFailed);
    EXPECT_TRUE(contains(mutant.message, "from chunks of 1, 63, 65 and 1048576 bytes")) << mutant.message;
    EXPECT_TRUE(contains(mutant.message, "from contiguous input")) << mutant.message;
}

// 5 GiB + 1 byte in one call: a 32-bit update length hashes 1 GiB + 1 of it;
// every chunk is short enough.
TEST(LongMessageSuite, FiveGibibyteCaseCatchesA32BitUpdateLengthInTheContiguousForm) {
    if (!tests::detail::mapRepeated(ByteString{1}, 1).bytes) GTEST_SKIP() << "no contiguous form here";
    const Outcome mutant = longCase<testsupport::UpdateLengthIn32Bits>("LongSHA256-2");
    EXPECT_EQ(mutant.kind, Kind::AssertionFailed);
    EXPECT_TRUE(contains(mutant.message, "from contiguous input")) << mutant.message;
    EXPECT_FALSE(contains(mutant.message, "from chunks")) << mutant.message;
}

// Both faults are invisible to every other suite.
TEST(LongMessageSuite, LengthMutantsPassEveryOtherSha256Suite) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto check = [](const std::vector<tests::Test>& suite) {
        for (const auto& report : testsupport::runAll(suite, true)) ADD_FAILURE() << report.path;
    };
    check(tests::makeSHA256Tests<testsupport::BitCountIn32Bits>());
    check(tests::makeSHA256MonteTests<testsupport::BitCountIn32Bits>());
    check(tests::makeSHA256HMACTests<testsupport::BitCountIn32Bits>());
    check(tests::makeSHA256RFCHMACTests<testsupport::BitCountIn32Bits>());
    check(tests::makeHashConformanceTests<testsupport::BitCountIn32Bits>());
    check(tests::makeSHA256Tests<testsupport::UpdateLengthIn32Bits>());
    check(tests::makeHashConformanceTests<testsupport::UpdateLengthIn32Bits>());
}

}  // namespace
