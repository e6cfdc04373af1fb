#pragma once
// Runs a test tree with GoogleTest, so that filters, sharding, repeats and
// XML/JSON reports work as usual.
//
// Every leaf becomes one GoogleTest test: the suite is the caller's name
// followed by the names of the enclosing groups, joined with "/", and the test
// is the leaf's own name. A name that repeats within one suite gets a suffix
// (md5KAT, md5KAT#2, ...) so each test can be selected on its own.

#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "zelkor/tests/Test.hpp"

namespace zelkor::tests {

void registerTests(const std::vector<Test>& tests, const std::string& suite);

// InitGoogleTest, registerTests (suite names come from the groups alone, and
// leaves outside every group go to the suite "zelkor_tests"), RUN_ALL_TESTS.
// After the run: a summary per top-level group, failures that share one
// message summarised once, and, when no test ran, why. A run in which no test
// was selected at all (an empty tree, a filter selecting nothing) exits with
// 1; a shard left empty by a non-empty selection does not.
int defaultMain(const std::vector<Test>& tests, int argc, char** argv);

namespace detail {
inline constexpr int kCannotBuildTree = 2;
int defaultMainBuilding(const std::function<std::vector<Test>()>& build, int argc, char** argv);
}  // namespace detail

// The same, building the tree with `build()` once GoogleTest has read its
// flags: an error while building it (a missing vector directory, a malformed
// file) is printed with its message and the process exits with status 2,
// rather than escaping main.
//   return defaultMain([] { return std::vector<Test>{...}; }, argc, argv);
template <class Build>
    requires std::is_invocable_r_v<std::vector<Test>, Build&>
int defaultMain(Build&& build, int argc, char** argv) {
    return detail::defaultMainBuilding(std::function<std::vector<Test>()>(std::forward<Build>(build)), argc, argv);
}

}  // namespace zelkor::tests
