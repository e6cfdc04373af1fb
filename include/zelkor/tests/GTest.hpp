#pragma once
// Runs a test tree with GoogleTest, so that filters, sharding, repeats and
// XML/JSON reports work as usual.
//
// Every leaf becomes one GoogleTest test: the suite is the caller's name
// followed by the names of the enclosing groups, joined with "/", and the test
// is the leaf's own name. A name that repeats within one suite gets a suffix
// (md5KAT, md5KAT#2, ...) so each test can be selected on its own.

#include <string>
#include <vector>

#include "zelkor/tests/Test.hpp"

namespace zelkor::tests {

void registerTests(const std::vector<Test>& tests, const std::string& suite);

// InitGoogleTest, registerTests (suite names come from the groups alone, and
// leaves outside every group go to the suite "zelkor_tests"), RUN_ALL_TESTS.
int defaultMain(const std::vector<Test>& tests, int argc, char** argv);

}  // namespace zelkor::tests
