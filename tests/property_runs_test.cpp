// Capping a tree's random properties: every property at any depth runs at
// most the cap, cases are left alone, and the cap ends with the property.

#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <rapidcheck.h>

#include "support/TreeRunner.hpp"
#include "zelkor/tests/detail/run/PropertyRuns.hpp"

namespace {

using Tree = std::vector<zelkor::tests::Test>;  // "Test" inside a TEST body is GoogleTest's
using zelkor::tests::testCase;
using zelkor::tests::testGroup;
using zelkor::tests::testProperty;
namespace detail = zelkor::tests::detail;

struct Counts {
    int shallow = 0, deep = 0, cases = 0;
};

Tree countingTree(const std::shared_ptr<Counts>& counts) {
    return {testProperty("shallow", [counts](int) { ++counts->shallow; }),
            testGroup("group", {testGroup("inner", {testProperty("deep", [counts](int) { ++counts->deep; })}),
                                testCase("case", [counts] { ++counts->cases; })})};
}

TEST(PropertyRuns, EveryPropertyOfTheTreeRunsAtMostTheCap) {
    auto counts = std::make_shared<Counts>();
    Tree tree = countingTree(counts);
    detail::capPropertyRuns(tree, 7);
    EXPECT_EQ(zelkor::testsupport::runAll(tree, true).size(), 0u);
    EXPECT_EQ(counts->shallow, 7);
    EXPECT_EQ(counts->deep, 7);
    EXPECT_EQ(counts->cases, 1);
    EXPECT_EQ(zelkor::testsupport::names(tree), (std::vector<std::string>{"shallow", "group"}));
}

TEST(PropertyRuns, AnUncappedTreeStillRunsTheConfiguredCount) {
    auto capped = std::make_shared<Counts>(), plain = std::make_shared<Counts>();
    Tree first = countingTree(capped);
    detail::capPropertyRuns(first, 3);
    const Tree second = countingTree(plain);
    zelkor::testsupport::runAll(first);
    zelkor::testsupport::runAll(second);
    EXPECT_EQ(capped->shallow, 3);
    EXPECT_GT(plain->shallow, 3);  // RapidCheck's max_success, 100 unless RC_PARAMS says otherwise
}

// A property that discards 19 draws in 20: under a cap of 2 runs it keeps
// the discard budget of the full count, and passes rather than give up.
TEST(PropertyRuns, ACappedPropertyMayDiscardAsMuchAsAFullOne) {
    auto kept = std::make_shared<int>(0);
    Tree tree = {testProperty("discards", [kept] {
        RC_PRE(*rc::gen::inRange(0, 20) == 0);
        ++*kept;
    })};
    detail::capPropertyRuns(tree, 2);
    for (int round = 0; round < 20; ++round) {
        EXPECT_EQ(zelkor::testsupport::runAll(tree, true).size(), 0u);
    }
    EXPECT_EQ(*kept, 40);
}

}  // namespace
