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

#include "ReferencePrimitives.hpp"
#include "support/DataDir.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/AES.hpp"
#include "zelkor/tests/SHA.hpp"

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

}  // namespace
