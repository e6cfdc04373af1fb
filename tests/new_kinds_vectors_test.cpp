// The rows of the stream ciphers, key wraps and XOFs in the algorithm table,
// and faults in their vector files: reported with the path, counted when a
// record cannot be used.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/DataDir.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/All.hpp"
#include "zelkor/tests/StreamCiphers.hpp"

namespace {

using namespace zelkor;
using tests::Algorithm;
using tests::CheckKind;

TEST(NewKindRows, ChecksFollowTheKind) {
    using enum CheckKind;
    EXPECT_EQ(tests::algorithmRow(Algorithm::ChaCha20).checks(),
              (std::vector<CheckKind>{KnownAnswers, Properties, BufferSafety}));
    EXPECT_EQ(tests::algorithmRow(Algorithm::AES192_KWP).checks(),
              (std::vector<CheckKind>{KnownAnswers, Wycheproof, Properties, Conformance, BufferSafety}));
    EXPECT_EQ(tests::algorithmRow(Algorithm::AES256_KW_INV).checks(),
              (std::vector<CheckKind>{KnownAnswers, Properties, Conformance, BufferSafety}));
    EXPECT_EQ(tests::algorithmRow(Algorithm::SHAKE256).checks(),
              (std::vector<CheckKind>{KnownAnswers, MonteCarlo, Properties, BufferSafety, LongMessages}));
    EXPECT_THROW((void)tests::makeCheckTests<reference::SodiumChaCha20>(ConstantTime, Algorithm::ChaCha20),
                 std::invalid_argument);
}

TEST(NewKindRows, ShapeMismatchNamesBoth) {
    try {
        (void)tests::makeAllTests<reference::OpenSSLShake256>(Algorithm::SHAKE128);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("SHAKE128 needs an XOF of rate 1344 bits"), std::string::npos)
            << error.what();
        EXPECT_NE(std::string(error.what()).find("rate 1088 bits"), std::string::npos) << error.what();
    }
}

TEST(NewKindVectors, ABadBlockCounterNamesTheFile) {
    testsupport::ScopedDataDir dataDir(testsupport::fixturesDir() + "/stream/badcounter");
    try {
        (void)tests::makeStreamCipherKnownAnswerTests<reference::SodiumChaCha20>("KAT_CHACHA20");
        FAIL() << "no exception";
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what()).find("bad.txt"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("'1x'"), std::string::npos) << error.what();
    }
}

TEST(NewKindVectors, IncompleteRecordsAndUndeclaredNoncesAreSkipped) {
    testsupport::ScopedDataDir dataDir(testsupport::fixturesDir() + "/stream/incomplete");
    const std::vector<tests::Test> tree =
        tests::makeStreamCipherKnownAnswerTests<reference::SodiumChaCha20>("KAT_CHACHA20");
    // COUNT 0 lacks its ciphertext: no case. COUNT 2's 20-byte nonce is not declared: skipped.
    ASSERT_EQ(testsupport::names(tree), (std::vector<std::string>{"some.txt-1", "some.txt-2"}));
    const auto reports = testsupport::runAll(tree);
    EXPECT_EQ(reports[0].outcome.kind, testsupport::Outcome::Kind::Passed) << reports[0].outcome.message;
    EXPECT_EQ(reports[1].outcome.kind, testsupport::Outcome::Kind::Skipped) << reports[1].outcome.message;
}

TEST(NewKindVectors, AMonteFileWithoutBoundsNamesTheFile) {
    testsupport::ScopedDataDir dataDir(testsupport::fixturesDir() + "/xof/nobounds");
    try {
        (void)tests::makeCheckTests<reference::OpenSSLShake128>(CheckKind::MonteCarlo, Algorithm::SHAKE128);
        FAIL() << "no exception";
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what()).find("SHAKE128Monte.rsp"), std::string::npos) << error.what();
    }
}

}  // namespace
