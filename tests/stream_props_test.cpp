// The stream-cipher checks: they pass on OpenSSL's and libsodium's ChaCha20
// and XChaCha20, each declaring what its library does at the end of the block
// counter, and each classic stream-cipher fault fails them.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/DataDir.hpp"
#include "support/StreamMutants.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/All.hpp"
#include "zelkor/tests/StreamCiphers.hpp"

namespace {

using namespace zelkor;
namespace mutants = testsupport::mutants;

std::vector<std::string> failures(const std::vector<tests::Test>& tree) {
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(tree, true)) {
        out.push_back(report.path + ": " + report.outcome.message.substr(0, 300));
    }
    return out;
}

template <class S>
std::vector<std::string> failingProperties() {
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(tests::makeStreamCipherPropertyTests<S>(), true)) {
        out.push_back(report.path);
    }
    return out;
}

TEST(StreamCiphers, EveryCheckPassesOnTheReferences) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    EXPECT_EQ(failures(tests::makeAllTests<reference::OpenSSLChaCha20>(tests::Algorithm::ChaCha20)),
              std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeAllTests<reference::SodiumChaCha20>(tests::Algorithm::ChaCha20)),
              std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeAllTests<reference::SodiumXChaCha20>(tests::Algorithm::XChaCha20)),
              std::vector<std::string>{});
}

TEST(StreamCiphers, EachFaultIsCaught) {
    EXPECT_EQ(failingProperties<mutants::ChaCha20CarryingIntoNonce>(),
              std::vector<std::string>{"Stream cipher properties/CounterEnd"});
    const std::vector<std::string> seeking = failingProperties<mutants::ChaCha20SeekingOneBlockOff>();
    EXPECT_NE(std::find(seeking.begin(), seeking.end(), "Stream cipher properties/OffsetEqualsSkippedBytes"),
              seeking.end());
}

TEST(StreamCiphers, RowsRefuseTypesOfAnotherShape) {
    EXPECT_THROW((void)tests::makeAllTests<reference::OpenSSLChaCha20>(tests::Algorithm::XChaCha20),
                 std::invalid_argument);
    EXPECT_THROW((void)tests::makeAllTests<reference::SodiumXChaCha20>(tests::Algorithm::ChaCha20),
                 std::invalid_argument);
}

}  // namespace
