// The SHA Monte Carlo suites: counts, passing on two implementations, one
// shared chain whatever the order or threads, a case run alone, exact file
// selection, and a digest whose state leaks between calls.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "OpenSSLDigests.hpp"
#include "support/DataDir.hpp"
#include "support/HashMutants.hpp"
#include "support/IndependentDigests.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/SHA.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;
using Names = std::vector<std::string>;

Names failingNames(const std::vector<tests::Test>& suite) {
    Names out;
    for (const auto& report : testsupport::runAll(suite, true)) {
        EXPECT_EQ(report.outcome.kind, Outcome::Kind::AssertionFailed) << report.outcome.message;
        out.push_back(report.path);
    }
    return out;
}

Names checkpointNames(const std::string& file, int from = 0) {
    Names out;
    for (int count = from; count < 100; ++count) out.push_back(file + "-" + std::to_string(count));
    return out;
}

template <class Reference, class Independent, class Build>
void expectHundredPassingCases(const std::string& file, Build build) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto suite = build.template operator()<Reference>();
    EXPECT_EQ(testsupport::names(suite), checkpointNames(file));
    EXPECT_EQ(failingNames(suite), Names{});
    EXPECT_EQ(failingNames(build.template operator()<Independent>()), Names{});
}

TEST(ShaMonteSuite, HundredCheckpointsPerAlgorithmPassingOnTwoImplementations) {
    using namespace testsupport;
    expectHundredPassingCases<reference::SHA1, NettleSHA1>(
        "SHA1Monte.rsp", []<class D>() { return tests::makeSHA1MonteTests<D>(); });
    expectHundredPassingCases<reference::SHA224, NettleSHA224>(
        "SHA224Monte.rsp", []<class D>() { return tests::makeSHA224MonteTests<D>(); });
    expectHundredPassingCases<reference::SHA256, NettleSHA256>(
        "SHA256Monte.rsp", []<class D>() { return tests::makeSHA256MonteTests<D>(); });
    expectHundredPassingCases<reference::SHA384, NettleSHA384>(
        "SHA384Monte.rsp", []<class D>() { return tests::makeSHA384MonteTests<D>(); });
    expectHundredPassingCases<reference::SHA512, NettleSHA512>(
        "SHA512Monte.rsp", []<class D>() { return tests::makeSHA512MonteTests<D>(); });
    expectHundredPassingCases<reference::SHA512_224, NettleSHA512_224>(
        "SHA512_224Monte.rsp", []<class D>() { return tests::makeSHA512_224MonteTests<D>(); });
    expectHundredPassingCases<reference::SHA512_256, NettleSHA512_256>(
        "SHA512_256Monte.rsp", []<class D>() { return tests::makeSHA512_256MonteTests<D>(); });
    expectHundredPassingCases<reference::SHA3_224, NettleSHA3_224>(
        "SHA3_224Monte.rsp", []<class D>() { return tests::makeSHA3_224MonteTests<D>(); });
    expectHundredPassingCases<reference::SHA3_256, NettleSHA3_256>(
        "SHA3_256Monte.rsp", []<class D>() { return tests::makeSHA3_256MonteTests<D>(); });
    expectHundredPassingCases<reference::SHA3_384, NettleSHA3_384>(
        "SHA3_384Monte.rsp", []<class D>() { return tests::makeSHA3_384MonteTests<D>(); });
    expectHundredPassingCases<reference::SHA3_512, NettleSHA3_512>(
        "SHA3_512Monte.rsp", []<class D>() { return tests::makeSHA3_512MonteTests<D>(); });
}

using Counting = testsupport::CountingDigest<reference::SHA256>;

TEST(ShaMonteSuite, CasesRunInParallelShareOneChain) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto suite = tests::makeSHA256MonteTests<Counting>();
    ASSERT_EQ(suite.size(), 100u);
    Counting::calls = 0;
    // Four threads, two running the cases backwards, so that both a late
    // checkpoint and the early ones are asked for at once.
    std::vector<Outcome::Kind> kinds(4 * suite.size(), Outcome::Kind::Error);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (std::size_t i = 0; i < suite.size(); ++i) {
                const std::size_t index = t % 2 == 0 ? i : suite.size() - 1 - i;
                kinds[t * suite.size() + index] = testsupport::run(suite[index]).kind;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(kinds, std::vector<Outcome::Kind>(kinds.size(), Outcome::Kind::Passed));
    EXPECT_EQ(Counting::calls, 100 * 1000);
}

TEST(ShaMonteSuite, SummaryCountsTheCheckpointsOfTheRecord) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto suite = tests::makeSHA1MonteTests<reference::SHA1>();
    const std::string usage = std::get<tests::TestCase>(suite.at(0).node).origin.usage->describe();
    EXPECT_TRUE(usage.ends_with("KAT_SHA_MONTE/SHA1Monte.rsp: 1 file, 1 record (100 checkpoints) read: 1 used"))
        << usage;
}

TEST(ShaMonteSuite, ACaseRunAloneComputesTheChainUpToItsCheckpoint) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto suite = tests::makeSHA256MonteTests(Counting::hash(ByteString{}));
    Counting::calls = 0;
    EXPECT_EQ(testsupport::run(suite.at(57)).kind, Outcome::Kind::Passed);
    EXPECT_EQ(Counting::calls, 58 * 1000);
}

TEST(ShaMonteSuite, StateLeakingBetweenChunkedCallsFailsFromTheFirstChunkedCheckpoint) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    using Mutant = testsupport::ChunkedStateLeaks<reference::SHA256>;
    EXPECT_EQ(failingNames(tests::makeSHA256MonteTests<Mutant>()), checkpointNames("SHA256Monte.rsp", 1));
    // The NIST cases are blind to it: each hashes contiguously first. (The
    // property group after them catches it only when a draw happens to.)
    auto nistCases = tests::makeSHA256Tests<Mutant>();
    nistCases.pop_back();
    EXPECT_EQ(failingNames(nistCases), Names{});
}

// A chain whose first checkpoint has no MD keeps its place; only the file of
// exactly the builder's name is read.
TEST(ShaMonteSuite, CheckpointWithoutMdKeepsItsPlaceAndOnlyTheExactFileIsRead) {
    const auto dir = std::filesystem::temp_directory_path() / ("zelkor-monte-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "Test" / "KAT_SHA_MONTE");
    const std::string records =
        "[L = 20]\nSeed = dd4df644eaf3d85bace2b21accaa22b28821f5cd\nCOUNT = 0\nCOUNT = 1\n"
        "MD = 5c26de848c21586bec36995809cb02d3677423d9\nMD = 00\n";
    std::ofstream(dir / "Test" / "KAT_SHA_MONTE" / "SHA1Monte.rsp") << records;
    std::ofstream(dir / "Test" / "KAT_SHA_MONTE" / "SHA1Monte.rsp.orig") << records;
    std::vector<tests::Test> suite;
    {
        testsupport::ScopedDataDir dataDir(dir.string());
        suite = tests::makeSHA1MonteTests<reference::SHA1>();
    }
    std::filesystem::remove_all(dir);
    ASSERT_EQ(testsupport::names(suite), Names{"SHA1Monte.rsp-1"});
    EXPECT_EQ(testsupport::run(suite.front()).kind, Outcome::Kind::Passed);
}

}  // namespace
