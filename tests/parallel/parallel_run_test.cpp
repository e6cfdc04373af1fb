// Runners may execute the leaves of a tree in any order and from several
// threads at once. Built as its own program so that CI can also run it under
// ThreadSanitizer without building every other test.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "OpenSSLAES.hpp"
#include "OpenSSLDigests.hpp"
#include "support/DataDir.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/AES.hpp"
#include "support/BufferMutants.hpp"
#include "zelkor/tests/BufferSafety.hpp"
#include "zelkor/tests/SHA.hpp"
#include "zelkor/tests/detail/checks/FaultGuard.hpp"
#include "zelkor/tests/detail/bytes/PlacedStorage.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;

std::vector<Outcome::Kind> runInOrder(const std::vector<testsupport::Leaf>& leaves,
                                      const std::vector<std::size_t>& order, int threadCount) {
    std::vector<Outcome::Kind> verdicts(leaves.size());
    std::atomic<std::size_t> next{0};
    std::vector<std::jthread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&] {
            for (std::size_t i = next++; i < order.size(); i = next++) {
                verdicts[order[i]] = testsupport::run(*leaves[order[i]].test).kind;
            }
        });
    }
    threads.clear();  // joins
    return verdicts;
}

TEST(ParallelRun, EveryLeafGivesTheSequentialVerdictFromFourThreadsInAnyOrder) {
    const testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const std::vector<tests::Test> tree{
        tests::testGroup("AES128", tests::makeAESTests<reference::AES128>()),
        tests::testGroup("SHA256", tests::makeSHA256Tests<reference::SHA256>()),
    };
    const auto leaves = testsupport::leaves(tree);
    const auto properties = std::count_if(leaves.begin(), leaves.end(), [](const testsupport::Leaf& leaf) {
        return std::holds_alternative<tests::TestProperty>(leaf.test->node);
    });
    ASSERT_GT(properties, 0);
    ASSERT_GT(leaves.size() - static_cast<std::size_t>(properties), 0U);

    std::vector<std::size_t> order(leaves.size());
    std::iota(order.begin(), order.end(), 0);
    const std::vector<Outcome::Kind> sequential = runInOrder(leaves, order, 1);
    std::mt19937 shuffler(14);
    for (int round = 0; round < 3; ++round) {
        std::shuffle(order.begin(), order.end(), shuffler);
        EXPECT_EQ(runInOrder(leaves, order, 4), sequential) << "round " << round;
    }
}

// Buffer-safety groups, correct and broken, from four threads: the faults of
// the broken ones are caught and reported while the other threads run.
TEST(ParallelRun, BufferSafetyVerdictsHoldFromFourThreads) {
    namespace mutants = testsupport::mutants;
    const std::vector<tests::Test> tree{
        tests::testGroup("AES128", tests::makeBlockCipherBufferSafetyTests<reference::AES128>()),
        tests::testGroup("SHA256", tests::makeHashBufferSafetyTests<reference::SHA256>()),
        tests::testGroup("InPlaceCBC", tests::makeBlockCipherBufferSafetyTests<mutants::CbcDecryptsInPlace>()),
        tests::testGroup("TailRead",
                         tests::makeHashBufferSafetyTests<mutants::TailLoadedAsWholeBlock<reference::SHA256>>()),
    };
    const auto leaves = testsupport::leaves(tree);
    std::vector<std::size_t> order(leaves.size());
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(18));
    const std::vector<Outcome::Kind> verdicts = runInOrder(leaves, order, 4);
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        const bool broken = leaves[i].path.starts_with("InPlaceCBC/") || leaves[i].path.starts_with("TailRead/");
        const bool mustFail = leaves[i].path.ends_with("/PlacedCBC") || leaves[i].path.ends_with("/PlacedHash");
        if (!broken) {
            EXPECT_EQ(verdicts[i], Outcome::Kind::Passed) << leaves[i].path;
        } else if (mustFail) {
            EXPECT_EQ(verdicts[i], Outcome::Kind::PropertyFailed) << leaves[i].path;
        }
    }
}

// Each thread's faults on its own guard pages come back to that thread's
// guarded call, while the others run and fault at the same time.
TEST(ParallelRun, FaultsInGuardedCallsOnSeveralThreadsReachTheirOwnThread) {
    using namespace tests::detail;
    std::atomic<int> caught{0};
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&caught, t] {
            const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(t) + 1, 0x5a);
            for (int i = 0; i < 50; ++i) {
                const PlacedBytes placed = placeBytes(bytes, {PageEdge::LastByteBeforeGuard, 0});
                const auto* past = static_cast<const volatile std::uint8_t*>(placed.dataEnd);
                const auto fault = guarded([past] { (void)*past; });
                if (fault && fault->address == placed.dataEnd) ++caught;
            }
        });
    }
    threads.clear();  // joins
    EXPECT_EQ(caught.load(), 200);
}

}  // namespace
