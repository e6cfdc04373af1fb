#pragma once
// Runs test trees inside the project's own tests, so they can check which
// cases of a suite pass, fail or end in an error.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "zelkor/tests/Test.hpp"

namespace zelkor::testsupport {

struct Outcome {
    enum class Kind { Passed, AssertionFailed, Error, PropertyFailed, GaveUp, Skipped };
    Kind kind = Kind::Passed;
    std::string message;
};

const char* kindName(Outcome::Kind kind);

// A leaf with the names of its enclosing groups ("Group/Sub/leaf").
struct Leaf {
    std::string path;
    const tests::Test* test;
};

std::vector<Leaf> leaves(const std::vector<tests::Test>& tree);
std::vector<Leaf> leaves(const tests::Test& tree);
// Leaves point into the tree, so it must outlive them.
std::vector<Leaf> leaves(std::vector<tests::Test>&&) = delete;
std::vector<Leaf> leaves(tests::Test&&) = delete;

// Runs one leaf (a case, or a property with RapidCheck's configured settings).
Outcome run(const tests::Test& leaf);

struct RunReport {
    std::string path;
    Outcome outcome;
};

// Runs every leaf; `onlyFailures` keeps just the ones that did not pass.
std::vector<RunReport> runAll(const std::vector<tests::Test>& tree, bool onlyFailures = false);

// Every leaf's outcome by its path.
std::map<std::string, Outcome> outcomesByPath(const std::vector<tests::Test>& tree);

// "path: message" (the message cut at 300 characters) of each outcome that
// is not a pass.
std::set<std::string> notPassed(const std::map<std::string, Outcome>& outcomes);

// The names of the top-level entries, in order.
std::vector<std::string> names(const std::vector<tests::Test>& tree);

}  // namespace zelkor::testsupport
