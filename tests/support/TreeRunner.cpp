#include "support/TreeRunner.hpp"

#include <exception>

namespace zelkor::testsupport {

const char* kindName(Outcome::Kind kind) {
    switch (kind) {
    case Outcome::Kind::Passed: return "passed";
    case Outcome::Kind::AssertionFailed: return "assertion failed";
    case Outcome::Kind::Error: return "error";
    case Outcome::Kind::PropertyFailed: return "property failed";
    case Outcome::Kind::GaveUp: return "gave up";
    case Outcome::Kind::Skipped: return "skipped";
    }
    return "?";
}

namespace {

void collect(const tests::Test& test, const std::string& prefix, std::vector<Leaf>& out) {
    const std::string path = prefix.empty() ? test.name() : prefix + "/" + test.name();
    if (const auto* group = std::get_if<tests::TestGroup>(&test.node)) {
        for (const auto& child : group->tests) collect(child, path, out);
    } else {
        out.push_back({path, &test});
    }
}

}  // namespace

std::vector<Leaf> leaves(const std::vector<tests::Test>& tree) {
    std::vector<Leaf> out;
    for (const auto& test : tree) collect(test, "", out);
    return out;
}

std::vector<Leaf> leaves(const tests::Test& tree) {
    std::vector<Leaf> out;
    collect(tree, "", out);
    return out;
}

Outcome run(const tests::Test& leaf) {
    if (const auto* unit = std::get_if<tests::TestCase>(&leaf.node)) {
        try {
            unit->run();
            return {};
        } catch (const tests::SkipTest& skip) {
            return {Outcome::Kind::Skipped, skip.what()};
        } catch (const tests::AssertionFailure& failure) {
            return {Outcome::Kind::AssertionFailed, failure.what()};
        } catch (const std::exception& error) {
            return {Outcome::Kind::Error, error.what()};
        }
    }
    if (const auto* prop = std::get_if<tests::TestProperty>(&leaf.node)) {
        const auto result = prop->check(prop->name);
        using S = tests::PropertyResult::Status;
        switch (result.status) {
        case S::Passed: return {Outcome::Kind::Passed, result.report};
        case S::Failed: return {Outcome::Kind::PropertyFailed, result.report};
        case S::GaveUp: return {Outcome::Kind::GaveUp, result.report};
        case S::Skipped: return {Outcome::Kind::Skipped, result.report};
        }
    }
    return {Outcome::Kind::Error, "not a leaf: " + leaf.name()};
}

std::vector<RunReport> runAll(const std::vector<tests::Test>& tree, bool onlyFailures) {
    std::vector<RunReport> out;
    for (const auto& leaf : leaves(tree)) {
        Outcome outcome = run(*leaf.test);
        if (onlyFailures && outcome.kind == Outcome::Kind::Passed) continue;
        out.push_back({leaf.path, std::move(outcome)});
    }
    return out;
}

std::map<std::string, Outcome> outcomesByPath(const std::vector<tests::Test>& tree) {
    std::map<std::string, Outcome> out;
    for (const auto& leaf : leaves(tree)) out[leaf.path] = run(*leaf.test);
    return out;
}

std::set<std::string> notPassed(const std::map<std::string, Outcome>& outcomes) {
    std::set<std::string> out;
    for (const auto& [path, outcome] : outcomes) {
        if (outcome.kind != Outcome::Kind::Passed) out.insert(path + ": " + outcome.message.substr(0, 300));
    }
    return out;
}

std::vector<std::string> names(const std::vector<tests::Test>& tree) {
    std::vector<std::string> out;
    for (const auto& test : tree) out.push_back(test.name());
    return out;
}

}  // namespace zelkor::testsupport
