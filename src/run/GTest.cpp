#include "zelkor/tests/GTest.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <variant>

#include <cxxabi.h>
#include <gtest/gtest.h>

#include "zelkor/tests/detail/run/FailureCauses.hpp"
#include "zelkor/tests/detail/run/FilterMatch.hpp"
#include "zelkor/tests/detail/run/RunAhead.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests {

namespace {

// The readable name of an exception's dynamic type.
std::string typeName(const std::exception& error) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && name ? name.get() : typeid(error).name();
}

using detail::LeafOutcome;

// Runs one known-answer case; nothing here touches GoogleTest, so that it can
// run on any thread.
LeafOutcome runCase(const std::function<void()>& run) {
    try {
        run();
        return {};
    } catch (const SkipTest& skip) {
        return {LeafOutcome::Kind::Skipped, skip.what()};
    } catch (const AssertionFailure& failure) {
        return {LeafOutcome::Kind::AssertionFailed, failure.what()};
    } catch (const std::exception& error) {
        return {LeafOutcome::Kind::Error, " (" + typeName(error) + "): " + error.what()};
    } catch (...) {
        return {LeafOutcome::Kind::Error, ": an exception of unknown type"};
    }
}

LeafOutcome runProperty(const std::function<PropertyResult(const std::string&)>& check, const std::string& id) {
    PropertyResult result = check(id);
    switch (result.status) {
    case PropertyResult::Status::Passed: return {};
    case PropertyResult::Status::Failed: return {LeafOutcome::Kind::PropertyFailed, std::move(result.report)};
    case PropertyResult::Status::GaveUp: return {LeafOutcome::Kind::PropertyGaveUp, std::move(result.report)};
    case PropertyResult::Status::Skipped: return {LeafOutcome::Kind::Skipped, std::move(result.report)};
    }
    return {};
}

// Reports an outcome as the running test's result. A known-answer failure is
// reported at its record in the vector file.
void report(const LeafOutcome& outcome, const char* file, int line) {
    switch (outcome.kind) {
    case LeafOutcome::Kind::Passed:
        return;
    case LeafOutcome::Kind::Skipped:
        GTEST_SKIP() << outcome.message;
    case LeafOutcome::Kind::AssertionFailed:
        ADD_FAILURE_AT(file, line) << "Assertion failed: " << outcome.message;
        return;
    case LeafOutcome::Kind::Error:
        ADD_FAILURE_AT(file, line) << "Error" << outcome.message;
        return;
    case LeafOutcome::Kind::PropertyFailed:
        ADD_FAILURE_AT(nullptr, -1) << "Property failed: " << outcome.message;
        return;
    case LeafOutcome::Kind::PropertyGaveUp:
        ADD_FAILURE_AT(nullptr, -1) << "Property gave up (too many discarded cases): " << outcome.message;
        return;
    }
}

// Set while runTree runs the tree with zelkor_tests_jobs above 1.
detail::RunAhead* activeRunAhead = nullptr;

// A registered leaf: its case (with its origin, which the summary reads) or
// its property with the identifier RapidCheck files it under. GoogleTest keeps
// the leaf's name, so none is kept here.
struct CaseLeaf {
    std::function<void()> run;
    CaseOrigin origin;
};
struct PropertyLeaf {
    std::function<PropertyResult(const std::string& id)> check;
    std::string id;
};
using LeafKind = std::variant<CaseLeaf, PropertyLeaf>;

// Every registered leaf, in a deque so that a leaf never moves once
// registered (GoogleTest's factories and the run table point at it), and the
// run table from GoogleTest's tests to them.
std::deque<LeafKind>& leafStore() {
    static std::deque<LeafKind> leaves;
    return leaves;
}

std::unordered_map<const ::testing::TestInfo*, const LeafKind*>& registeredLeaves() {
    static std::unordered_map<const ::testing::TestInfo*, const LeafKind*> leaves;
    return leaves;
}

// A pointer is all the run holds, so the function needs no allocation.
detail::LeafRun leafRun(const LeafKind* leaf) {
    if (std::holds_alternative<PropertyLeaf>(*leaf)) {
        return [leaf] {
            const auto& held = std::get<PropertyLeaf>(*leaf);
            return runProperty(held.check, held.id);
        };
    }
    return [leaf] { return runCase(std::get<CaseLeaf>(*leaf).run); };
}

// One GoogleTest test per leaf: it reports what its leaf gave, run here or
// ahead on another thread. Known-answer failures are reported at their
// record in the vector file.
class LeafTest : public ::testing::Test {
public:
    explicit LeafTest(const LeafKind* leaf) : leaf_(leaf) {}
    void TestBody() override {
        const char* file = nullptr;
        int line = -1;
        if (const auto* test = std::get_if<CaseLeaf>(leaf_); test && !test->origin.file.empty()) {
            file = test->origin.file.c_str();
            line = test->origin.line > 0 ? test->origin.line : -1;
        }
        const auto& info = *::testing::UnitTest::GetInstance()->current_test_info();
        const detail::LeafRun run = leafRun(leaf_);
        report(activeRunAhead ? activeRunAhead->outcome(info, run) : run(), file, line);
    }

private:
    const LeafKind* leaf_;
};

// Names already taken, so that repeats can be told apart. Each name keeps the
// next suffix to try, so n leaves with one name cost n lookups, not n^2/2.
// The names are views of GoogleTest's own copies, which live as long as the
// process; a suite's path is held once, not with each leaf.
class NameTable {
public:
    NameTable() {
        const auto& unit = *::testing::UnitTest::GetInstance();
        for (int i = 0; i < unit.total_test_suite_count(); ++i) {
            const auto& suite = *unit.GetTestSuite(i);
            auto& names = taken_[suite.name()];
            for (int j = 0; j < suite.total_test_count(); ++j) names.insert(suite.GetTestInfo(j)->name());
        }
    }

    // A name not yet taken in `suite`; `take` it once registered.
    std::string unique(const std::string& suite, const std::string& name) {
        const std::unordered_set<std::string_view>& names = taken_[suite];
        std::string candidate = name;
        if (names.count(candidate) != 0) {
            // A leaf may itself be called "x#2", so a suffix can already be taken.
            int& next = nextSuffix_.try_emplace(suite + '\n' + name, 2).first->second;  // '\n' occurs in neither
            do {
                candidate = name + "#" + std::to_string(next++);
            } while (names.count(candidate) != 0);
        }
        return candidate;
    }

    void take(const ::testing::TestInfo& info) { taken_[info.test_suite_name()].insert(info.name()); }

private:
    std::unordered_map<std::string, std::unordered_set<std::string_view>> taken_;
    std::unordered_map<std::string, int> nextSuffix_;
};

std::string join(const std::string& suite, const std::string& group) {
    return suite.empty() ? group : suite + "/" + group;
}

// With `Consume`, each leaf is moved out of the tree into its registration
// rather than copied, and each group's list is freed once registered: a tree
// built only to be run is not held twice while it is registered (its
// known-answer cases hold their records).
template <bool Consume>
using TreeRef = std::conditional_t<Consume, std::vector<Test>&, const std::vector<Test>&>;

template <bool Consume, typename T>
T takeOrCopy(T& held) {
    if constexpr (Consume) {
        return std::move(held);
    } else {
        return held;
    }
}

template <bool Consume>
void registerAll(TreeRef<Consume> tests, const std::string& suite, NameTable& names) {
    const std::string leafSuite = suite.empty() ? "zelkor_tests" : suite;
    for (auto& test : tests) {
        if (auto* group = std::get_if<TestGroup>(&test.node)) {
            registerAll<Consume>(group->tests, join(suite, group->name), names);
            if constexpr (Consume) std::vector<Test>().swap(group->tests);
            continue;
        }
        std::string name;
        const char* file = __FILE__;
        int line = __LINE__;
        LeafKind* leaf = nullptr;
        if (auto* held = std::get_if<TestCase>(&test.node)) {
            name = names.unique(leafSuite, held->name);
            leaf = &leafStore().emplace_back(
                CaseLeaf{takeOrCopy<Consume>(held->run), takeOrCopy<Consume>(held->origin)});
            const auto& stored = std::get<CaseLeaf>(*leaf);
            // Known-answer cases are filed under their record, so XML and
            // JSON reports point at the vector file.
            if (!stored.origin.file.empty()) {
                file = stored.origin.file.c_str();
                line = stored.origin.line;
            }
        } else {
            auto& property = std::get<TestProperty>(test.node);
            name = names.unique(leafSuite, property.name);
            leaf = &leafStore().emplace_back(PropertyLeaf{takeOrCopy<Consume>(property.check), leafSuite + "/" + name});
        }
        const LeafKind* registered = leaf;
        const auto* info = ::testing::RegisterTest(leafSuite.c_str(), name.c_str(), nullptr, nullptr, file, line,
                                                   [registered]() -> ::testing::Test* {
                                                       return new LeafTest(registered);
                                                   });
        names.take(*info);
        registeredLeaves()[info] = registered;
    }
}

struct Counts {
    int passed = 0, failed = 0, skipped = 0;

    void add(const ::testing::TestResult& result) {
        if (result.Skipped()) ++skipped;
        else if (result.Failed()) ++failed;
        else ++passed;
    }
    int total() const { return passed + failed + skipped; }
};

// The records of one vector directory whose cases ran (and were not
// skipped): cases at the same file and line check the same records.
struct UsageRun {
    const detail::VectorUsage* usage = nullptr;
    std::set<std::pair<std::string_view, int>> places;
    std::size_t records = 0;
    std::size_t cases = 0;

    void add(const CaseOrigin& origin, const ::testing::TestResult& result) {
        if (result.Skipped()) return;
        ++cases;
        if (origin.line <= 0 || places.emplace(origin.file, origin.line).second) records += origin.records;
    }
};

// Per top-level group: the known-answer cases and the properties that ran,
// and the vector directories its cases came from.
struct RootSummary {
    std::string name;
    Counts cases, properties;
    std::vector<UsageRun> usages;
};

std::vector<RootSummary> summarise(const ::testing::UnitTest& unit) {
    std::vector<RootSummary> roots;
    for (int i = 0; i < unit.total_test_suite_count(); ++i) {
        const auto& suite = *unit.GetTestSuite(i);
        const std::string name = suite.name();
        const std::string root = name.substr(0, name.find('/'));
        auto it = std::find_if(roots.begin(), roots.end(), [&](const auto& r) { return r.name == root; });
        if (it == roots.end()) it = roots.insert(roots.end(), RootSummary{root, {}, {}, {}});
        for (int j = 0; j < suite.total_test_count(); ++j) {
            const auto& info = *suite.GetTestInfo(j);
            if (!info.should_run()) continue;
            const auto leaf = registeredLeaves().find(&info);
            const auto* test = leaf != registeredLeaves().end() ? std::get_if<CaseLeaf>(leaf->second) : nullptr;
            const bool property = leaf != registeredLeaves().end() && !test;
            (property ? it->properties : it->cases).add(*info.result());
            const detail::VectorUsage* usage = test ? test->origin.usage.get() : nullptr;
            if (!usage) continue;
            auto run = std::find_if(it->usages.begin(), it->usages.end(), [&](const auto& u) { return u.usage == usage; });
            if (run == it->usages.end()) run = it->usages.insert(it->usages.end(), UsageRun{usage, {}, 0, 0});
            run->add(test->origin, *info.result());
        }
    }
    return roots;
}

// After the run, one line per top-level group (known-answer cases and
// properties counted apart), each followed by one line per vector directory
// its cases came from, with the records whose cases ran.
class SummaryPrinter : public ::testing::EmptyTestEventListener {
public:
    void OnTestProgramEnd(const ::testing::UnitTest& unit) override {
        std::printf("\nSummary by suite:\n");
        const std::vector<RootSummary> roots = summarise(unit);
        // Names padded to the longest, so the counts line up.
        int width = 24;
        for (const RootSummary& root : roots) width = std::max(width, static_cast<int>(root.name.size()));
        for (const RootSummary& root : roots) {
            if (root.cases.total() + root.properties.total() == 0) continue;
            std::printf("  %-*s known answers %5d passed %4d failed %4d skipped; "
                        "properties %3d passed %3d failed %3d skipped\n",
                        width, root.name.c_str(), root.cases.passed, root.cases.failed, root.cases.skipped,
                        root.properties.passed, root.properties.failed, root.properties.skipped);
            for (const UsageRun& run : root.usages) {
                std::printf("    %s\n", run.usage->describeRun(run.records, run.cases).c_str());
            }
        }
        std::fflush(stdout);
    }
};

// GoogleTest reads a filter as positive patterns, then "-" and negative ones;
// a "-" meant as part of a test name ("*-conf*") thus silently excludes
// nothing. When a filter holding "-" selects every test, one line says how it
// was read.
class FilterWarning : public ::testing::EmptyTestEventListener {
public:
    void OnTestProgramStart(const ::testing::UnitTest& unit) override {
        const std::string filter = GTEST_FLAG_GET(filter);
        const std::size_t dash = filter.find('-');
        if (dash == std::string::npos || !selectsEveryTest(unit)) return;
        const std::string positive = dash == 0 ? "*" : filter.substr(0, dash);
        std::printf("zelkor-tests: warning: --gtest_filter='%s' selects every test: GoogleTest reads it as run '%s' "
                    "except '%s'; write a '-' inside a test name as '?'\n",
                    filter.c_str(), positive.c_str(), filter.substr(dash + 1).c_str());
        std::fflush(stdout);
    }

private:
    // Every test outside other shards runs (with no test at all, none is
    // "every test").
    static bool selectsEveryTest(const ::testing::UnitTest& unit) {
        int tests = 0;
        for (int i = 0; i < unit.total_test_suite_count(); ++i) {
            const auto& suite = *unit.GetTestSuite(i);
            for (int j = 0; j < suite.total_test_count(); ++j) {
                const auto& info = *suite.GetTestInfo(j);
                if (!info.should_run() && !info.is_in_another_shard()) return false;
                ++tests;
            }
        }
        return tests > 0;
    }
};

// A run must say what it ran. When this process runs no test, one line at the
// end says why: a shard may be empty because the selection went to the other
// shards (fine), but a filter that selects nothing at all, or an empty tree,
// fails the run.
class EmptySelection : public ::testing::EmptyTestEventListener {
public:
    bool nothingSelected() const { return nothingSelected_; }

    void OnTestProgramStart(const ::testing::UnitTest& unit) override {
        std::size_t total = 0, selected = 0, disabledOnly = 0;
        const std::string filter = GTEST_FLAG_GET(filter);
        // Calls `visit` with each test's full name "Suite.test", one buffer
        // reused: a tree may hold tens of thousands.
        auto forEachTest = [&unit](const auto& visit) {
            std::string fullName;
            for (int i = 0; i < unit.total_test_suite_count(); ++i) {
                const auto& suite = *unit.GetTestSuite(i);
                for (int j = 0; j < suite.total_test_count(); ++j) {
                    const auto& info = *suite.GetTestInfo(j);
                    fullName.assign(suite.name()).append(".").append(info.name());
                    if (!visit(info, fullName)) return;
                }
            }
        };
        bool anyRuns = false;
        forEachTest([&](const ::testing::TestInfo& info, const std::string& fullName) {
            if (info.should_run()) return !(anyRuns = true);
            ++total;
            if (!detail::filterSelects(filter, fullName)) return true;
            const bool disabled = detail::isDisabledTest(info.test_suite_name(), info.name());
            if (disabled && !GTEST_FLAG_GET(also_run_disabled_tests)) ++disabledOnly;
            else ++selected;
            return true;
        });
        if (anyRuns) return;
        const auto shards = sharding();
        if (shards && selected > 0) {
            message_ = "zelkor-tests: GTEST_SHARD_INDEX=" + std::to_string(shards->second) + " of " +
                       std::to_string(shards->first) + " shards runs no test: the " + std::to_string(selected) +
                       (selected == 1 ? " selected test runs" : " selected tests run") + " in the other shards";
            return;
        }
        nothingSelected_ = true;
        message_ = "zelkor-tests: error: no test ran: ";
        if (disabledOnly > 0 && selected == 0) {
            message_ += "--gtest_filter='" + filter + "' selects only disabled tests (names starting with DISABLED_); "
                        "--gtest_also_run_disabled_tests runs them";
        } else {
            message_ += detail::whyFilterSelectsNothing(filter, total, [&](std::string_view other) {
                std::size_t count = 0;
                forEachTest([&](const ::testing::TestInfo&, const std::string& fullName) {
                    count += detail::filterSelects(other, fullName) ? 1 : 0;
                    return true;
                });
                return count;
            });
        }
    }

    void OnTestProgramEnd(const ::testing::UnitTest&) override {
        if (message_.empty()) return;
        std::printf("\n%s\n", message_.c_str());
        std::fflush(stdout);
    }

private:
    // (total, index) when GoogleTest shards this run, as it decides it.
    static std::optional<std::pair<long, long>> sharding() {
        const char* total = std::getenv("GTEST_TOTAL_SHARDS");
        const char* index = std::getenv("GTEST_SHARD_INDEX");
        if (!total || !index) return std::nullopt;
        const long t = std::strtol(total, nullptr, 10), i = std::strtol(index, nullptr, 10);
        if (t <= 1) return std::nullopt;
        return std::pair{t, i};
    }

    bool nothingSelected_ = false;
    std::string message_;
};

// Failures that share their message, summarised after the run (the last
// repetition's, as GoogleTest's own summary); each case keeps its message in
// the log.
class CauseSummary : public ::testing::EmptyTestEventListener {
public:
    void OnTestIterationStart(const ::testing::UnitTest&, int) override { causes_.clear(); }
    // GoogleTest holds its lock while it reports a part result, so the test's
    // name is kept from its start.
    void OnTestStart(const ::testing::TestInfo& info) override {
        test_ = std::string(info.test_suite_name()) + "." + info.name();
        recorded_ = false;
    }

    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (!result.failed() || recorded_) return;
        recorded_ = true;  // a case counts once, by its first failure
        std::string where = test_;
        if (result.file_name()) {
            where += " (" + std::string(result.file_name()) +
                     (result.line_number() > 0 ? ":" + std::to_string(result.line_number()) : "") + ")";
        }
        // A failure added by ADD_FAILURE_AT starts with GoogleTest's "Failed" line.
        std::string_view message = result.summary();
        if (message.starts_with("Failed\n")) message.remove_prefix(7);
        causes_.add(message, std::move(where));
    }

    void OnTestProgramEnd(const ::testing::UnitTest&) override {
        const std::string report = causes_.report();
        if (report.empty()) return;
        std::printf("\nFailures shared by several cases:\n%s", report.c_str());
        std::fflush(stdout);
    }

private:
    detail::FailureCauses causes_;
    std::string test_;
    bool recorded_ = false;
};

// Starts the run-ahead workers at each iteration, over the leaves it runs.
class RunAheadListener : public ::testing::EmptyTestEventListener {
public:
    explicit RunAheadListener(detail::RunAhead& runAhead) : runAhead_(runAhead) {}
    void OnTestIterationStart(const ::testing::UnitTest& unit, int) override {
        runAhead_.start(unit, [](const ::testing::TestInfo& info) -> detail::AheadLeaf {
            const auto leaf = registeredLeaves().find(&info);
            if (leaf == registeredLeaves().end()) return {};
            return {leafRun(leaf->second), std::holds_alternative<PropertyLeaf>(*leaf->second)};
        });
    }
    void OnTestIterationEnd(const ::testing::UnitTest&, int) override { runAhead_.stop(); }

private:
    detail::RunAhead& runAhead_;
};

std::string exceptionText(const std::exception& error) { return "(" + typeName(error) + "): " + error.what(); }

// Registers the tree and runs it with the runner's own listeners; the status
// GoogleTest gives, or 1 when no test was selected at all.
int runTree(const std::function<void()>& registerTree) {
    unsigned jobs = 1;
    try {
        jobs = detail::requestedJobs();
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "zelkor-tests: error: %s\n", error.what());
        return detail::kCannotBuildTree;
    }
    registerTree();
    auto& listeners = ::testing::UnitTest::GetInstance()->listeners();
    detail::RunAhead runAhead(jobs);
    std::unique_ptr<RunAheadListener> runAheadListener;
    if (jobs > 1) {
        activeRunAhead = &runAhead;
        runAheadListener = std::make_unique<RunAheadListener>(runAhead);
        listeners.Append(runAheadListener.get());
    }
    auto* selection = new EmptySelection;
    // End-of-run lines come in the reverse order: the summary by suite, then
    // shared failures, then why nothing ran.
    listeners.Append(new FilterWarning);
    listeners.Append(selection);
    listeners.Append(new CauseSummary);
    listeners.Append(new SummaryPrinter);
    const int status = RUN_ALL_TESTS();
    runAhead.stop();
    activeRunAhead = nullptr;
    if (runAheadListener) listeners.Release(runAheadListener.get());
    return status == 0 && selection->nothingSelected() ? 1 : status;
}

}  // namespace

void registerTests(const std::vector<Test>& tests, const std::string& suite) {
    NameTable names;
    registerAll<false>(tests, suite, names);
}

int defaultMain(const std::vector<Test>& tests, int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return runTree([&tests] { registerTests(tests, ""); });
}

namespace detail {

int defaultMainBuilding(const std::function<std::vector<Test>()>& build, int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::vector<Test> tests;
    try {
        tests = build();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelkor-tests: cannot build the test tree %s\n", exceptionText(error).c_str());
        return kCannotBuildTree;
    } catch (...) {
        std::fprintf(stderr, "zelkor-tests: cannot build the test tree: an exception of unknown type\n");
        return kCannotBuildTree;
    }
    return runTree([&tests] {
        NameTable names;
        registerAll<true>(tests, "", names);
        tests = {};
    });
}

}  // namespace detail

}  // namespace zelkor::tests
