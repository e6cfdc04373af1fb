#pragma once
// Fewer runs of each random property of a tree. A program that runs the trees
// of many algorithms (the demo) keeps to its time by running the properties
// of some at most `runs` times each rather than RapidCheck's configured count
// (max_success); the tree's names and shape stay as they are. A smaller
// max_success from RC_PARAMS still wins.

#include <vector>

#include "zelkor/tests/Test.hpp"

namespace zelkor::tests::detail {

void capPropertyRuns(std::vector<Test>& tree, int runs);

}  // namespace zelkor::tests::detail
