// The AES-CTR known-answer suite: its counts per key size, that it passes on
// OpenSSL's CTR and on the generic one, and that counter bugs which are
// consistent with themselves (so every property passes) fail it.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "OpenSSLAES.hpp"
#include "support/CipherMutants.hpp"
#include "support/DataDir.hpp"
#include "support/IndependentCiphers.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/AES.hpp"

namespace {

using namespace zelkor;
namespace mutants = testsupport::mutants;
using Names = std::vector<std::string>;

template <class K>
std::vector<tests::Test> ctrSuite() {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    return tests::makeAESCTRTests<K>();
}

// Sorted, as the directory listing order is the file system's.
template <class K>
Names failing() {
    Names out;
    for (const auto& report : testsupport::runAll(ctrSuite<K>(), true)) {
        EXPECT_EQ(report.outcome.kind, testsupport::Outcome::Kind::AssertionFailed) << report.outcome.message;
        out.push_back(report.path);
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(AesCtrSuite, NineCasesPerKeySizeAllPassingOnTwoImplementations) {
    // Three RFC 3686 records, two SP 800-38A examples and four counter edges.
    EXPECT_EQ(ctrSuite<reference::AES128>().size(), 9u);
    EXPECT_EQ(ctrSuite<reference::AES192>().size(), 9u);
    EXPECT_EQ(ctrSuite<reference::AES256>().size(), 9u);
    EXPECT_EQ(failing<reference::AES128>(), Names{});
    EXPECT_EQ(failing<reference::AES192>(), Names{});
    EXPECT_EQ(failing<reference::AES256>(), Names{});
    EXPECT_EQ(failing<testsupport::GenericAES128>(), Names{});
    EXPECT_EQ(failing<testsupport::GenericAES192>(), Names{});
    EXPECT_EQ(failing<testsupport::GenericAES256>(), Names{});
    const auto witness = *reference::AES128::buildKey(ByteString(std::vector<std::uint8_t>(16)));
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    EXPECT_EQ(testsupport::names(tests::makeAESCTRTests(witness)),
              testsupport::names(tests::makeAESCTRTests<reference::AES128>()));
}

const Names kCarryingRecords{"CounterEdges.txt-0", "CounterEdges.txt-1", "CounterEdges.txt-2",
                             "CounterEdges.txt-3", "SP800-38A-F5.txt-1", "SP800-38A-F5.txt-2"};

TEST(AesCtrSuite, CounterThatLosesItsCarryPastTheLastByteFailsEveryCarryingRecord) {
    EXPECT_EQ(failing<mutants::WrongCtrCounter<mutants::CounterStep::LastByteOnly>>(), kCarryingRecords);
}

// Counters ending in 4, 8 and 16 bytes of ff carry out of the low 32 bits.
TEST(AesCtrSuite, CounterThatLosesItsCarryPast32BitsFailsTheRunsOfFourBytesOrMore) {
    EXPECT_EQ(failing<mutants::WrongCtrCounter<mutants::CounterStep::Low32BitsOnly>>(),
              (Names{"CounterEdges.txt-1", "CounterEdges.txt-2", "CounterEdges.txt-3"}));
}

TEST(AesCtrSuite, LittleEndianCounterFailsEveryRecordOfMoreThanOneBlock) {
    Names expected = kCarryingRecords;
    expected.insert(expected.end(), {"aes-128-ctr.txt-1", "aes-128-ctr.txt-2"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(failing<mutants::WrongCtrCounter<mutants::CounterStep::LittleEndian>>(), expected);
}

TEST(AesCtrSuite, ChunkedFormRestartingTheCounterFailsRecordsLongerThanAChunk) {
    // The RFC 3686 records (16, 32 and 36 bytes) fit in one 37-byte chunk.
    EXPECT_EQ(failing<mutants::CtrLazyRestarts>(), kCarryingRecords);
}

}  // namespace
