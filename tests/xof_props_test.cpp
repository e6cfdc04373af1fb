// The XOF checks: they pass on OpenSSL's (one squeeze) and libgcrypt's
// (repeated squeezes) SHAKE and on a sponge written here, and each classic
// XOF fault fails them.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/DataDir.hpp"
#include "support/TreeRunner.hpp"
#include "support/XofMutants.hpp"
#include "zelkor/tests/All.hpp"

namespace {

using namespace zelkor;
using tests::Algorithm;
namespace mutants = testsupport::mutants;

template <class X>
std::vector<std::string> failures(Algorithm algorithm) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(tests::makeAllTests<X>(algorithm), true)) {
        if (report.outcome.kind == testsupport::Outcome::Kind::Skipped) continue;  // skipped with a reason
        out.push_back(report.path + ": " + report.outcome.message.substr(0, 200));
    }
    return out;
}

// The kinds of check (top-level groups) holding a failing leaf, and the
// failing leaves of the properties.
template <class X>
std::vector<std::string> failingGroupsAndProperties(Algorithm algorithm) {
    std::vector<std::string> out;
    for (const std::string& failure : failures<X>(algorithm)) {
        std::string group = failure.substr(0, failure.find('/'));
        if (group == "Properties") group = failure.substr(0, failure.find(':'));
        if (out.empty() || out.back() != group) out.push_back(group);
    }
    return out;
}

TEST(Xofs, EveryCheckPassesOnCorrectXofs) {
    EXPECT_EQ(failures<reference::OpenSSLShake128>(Algorithm::SHAKE128), std::vector<std::string>{});
    EXPECT_EQ(failures<reference::GcryptShake256>(Algorithm::SHAKE256), std::vector<std::string>{});
    EXPECT_EQ(failures<mutants::Shake128>(Algorithm::SHAKE128), std::vector<std::string>{});
}

TEST(Xofs, OneSqueezeTypesSkipTheSplitSqueezes) {
    std::vector<tests::Test> tree = tests::makeXofPropertyTests<reference::OpenSSLShake256>();
    const auto reports = testsupport::runAll(tree);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().path, "XOF properties/SplitSqueezeEqualsOneSqueeze");
    EXPECT_EQ(reports.front().outcome.kind, testsupport::Outcome::Kind::Skipped);
}

TEST(Xofs, SqueezeRestartingAtEachCallIsCaught) {
    EXPECT_EQ(failingGroupsAndProperties<mutants::Shake128RestartingEachSqueeze>(Algorithm::SHAKE128),
              (std::vector<std::string>{"Known answers", "Properties/XOF properties/SplitSqueezeEqualsOneSqueeze",
                                        "Properties/XOF properties/SqueezeAcrossTheRate"}));
}

TEST(Xofs, Sha3PaddingIsCaught) {
    EXPECT_EQ(failingGroupsAndProperties<mutants::Shake128WithSha3Padding>(Algorithm::SHAKE128),
              (std::vector<std::string>{"Known answers", "Monte Carlo"}));
}

// The long-message cases absorb the repeated pattern in chunks and then
// contiguously and compare the first bytes squeezed; a small record here.
TEST(Xofs, LongMessageCasesCompareWhatIsSqueezedAfterAbsorbingBothWays) {
    testsupport::ScopedDataDir dataDir(testsupport::fixturesDir() + "/long/xof");
    testsupport::ScopedEnvVariable longRuns("zelkor_tests_long", "1");
    const auto kinds = [](std::vector<tests::Test> tree) {
        std::vector<testsupport::Outcome::Kind> out;
        for (const auto& report : testsupport::runAll(tree)) out.push_back(report.outcome.kind);
        return out;
    };
    using Kind = testsupport::Outcome::Kind;
    EXPECT_EQ(kinds(tests::makeCheckTests<reference::OpenSSLShake128>(tests::CheckKind::LongMessages,
                                                                     Algorithm::SHAKE128)),
              std::vector<Kind>{Kind::Passed});
    EXPECT_EQ(kinds(tests::makeCheckTests<mutants::Shake128WithSha3Padding>(tests::CheckKind::LongMessages,
                                                                           Algorithm::SHAKE128)),
              std::vector<Kind>{Kind::AssertionFailed});
}

TEST(Xofs, RowsRefuseTypesOfAnotherRate) {
    EXPECT_THROW((void)tests::makeAllTests<reference::OpenSSLShake128>(Algorithm::SHAKE256), std::invalid_argument);
}

}  // namespace
