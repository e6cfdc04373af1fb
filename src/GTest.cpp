#include "zelkor/tests/GTest.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include <cxxabi.h>
#include <gtest/gtest.h>

namespace zelkor::tests {

namespace {

// The readable name of an exception's dynamic type.
std::string typeName(const std::exception& error) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && name ? name.get() : typeid(error).name();
}

class CaseTest : public ::testing::Test {
public:
    explicit CaseTest(TestCase test) : test_(std::move(test)) {}
    void TestBody() override {
        try {
            test_.run();
        } catch (const AssertionFailure& failure) {
            ADD_FAILURE() << "Assertion failed: " << failure.what();
        } catch (const std::exception& error) {
            ADD_FAILURE() << "Error (" << typeName(error) << "): " << error.what();
        } catch (...) {
            ADD_FAILURE() << "Error: an exception of unknown type";
        }
    }

private:
    TestCase test_;
};

class PropertyTest : public ::testing::Test {
public:
    PropertyTest(TestProperty test, std::string id) : test_(std::move(test)), id_(std::move(id)) {}
    void TestBody() override {
        const PropertyResult result = test_.check(id_);
        switch (result.status) {
        case PropertyResult::Status::Passed:
            break;
        case PropertyResult::Status::Failed:
            ADD_FAILURE() << "Property failed: " << result.report;
            break;
        case PropertyResult::Status::GaveUp:
            ADD_FAILURE() << "Property gave up (too many discarded cases): " << result.report;
            break;
        case PropertyResult::Status::Skipped:
            GTEST_SKIP() << "Property not selected by RC_PARAMS reproduce";
        }
    }

private:
    TestProperty test_;
    std::string id_;
};

// Names already taken, so that repeats can be told apart. Each name keeps the
// next suffix to try, so n leaves with one name cost n lookups, not n^2/2.
class NameTable {
public:
    NameTable() {
        const auto& unit = *::testing::UnitTest::GetInstance();
        for (int i = 0; i < unit.total_test_suite_count(); ++i) {
            const auto& suite = *unit.GetTestSuite(i);
            for (int j = 0; j < suite.total_test_count(); ++j) {
                taken_.insert(full(suite.name(), suite.GetTestInfo(j)->name()));
            }
        }
    }

    std::string unique(const std::string& suite, const std::string& name) {
        const std::string key = full(suite, name);
        std::string candidate = name;
        if (taken_.count(key) != 0) {
            // A leaf may itself be called "x#2", so a suffix can already be taken.
            int& next = nextSuffix_.try_emplace(key, 2).first->second;
            do {
                candidate = name + "#" + std::to_string(next++);
            } while (taken_.count(full(suite, candidate)) != 0);
        }
        taken_.insert(full(suite, candidate));
        return candidate;
    }

private:
    static std::string full(const std::string& suite, const std::string& name) {
        return suite + '\n' + name;  // a newline cannot occur in either part
    }
    std::unordered_set<std::string> taken_;
    std::unordered_map<std::string, int> nextSuffix_;
};

std::string join(const std::string& suite, const std::string& group) {
    return suite.empty() ? group : suite + "/" + group;
}

void registerAll(const std::vector<Test>& tests, const std::string& suite, NameTable& names) {
    const std::string leafSuite = suite.empty() ? "zelkor_tests" : suite;
    for (const Test& test : tests) {
        if (const auto* group = std::get_if<TestGroup>(&test.node)) {
            registerAll(group->tests, join(suite, group->name), names);
        } else if (const auto* leaf = std::get_if<TestCase>(&test.node)) {
            const std::string name = names.unique(leafSuite, leaf->name);
            ::testing::RegisterTest(leafSuite.c_str(), name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
                                    [leaf = *leaf]() -> ::testing::Test* { return new CaseTest(leaf); });
        } else {
            const auto& prop = std::get<TestProperty>(test.node);
            const std::string name = names.unique(leafSuite, prop.name);
            ::testing::RegisterTest(leafSuite.c_str(), name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
                                    [prop, id = leafSuite + "/" + name]() -> ::testing::Test* {
                                        return new PropertyTest(prop, id);
                                    });
        }
    }
}

// After the run, one line per top-level group: how many of its tests passed,
// failed and were skipped.
class SummaryPrinter : public ::testing::EmptyTestEventListener {
public:
    void OnTestProgramEnd(const ::testing::UnitTest& unit) override {
        struct Counts { int passed = 0, failed = 0, skipped = 0; };
        std::vector<std::pair<std::string, Counts>> roots;
        for (int i = 0; i < unit.total_test_suite_count(); ++i) {
            const auto& suite = *unit.GetTestSuite(i);
            const std::string name = suite.name();
            const std::string root = name.substr(0, name.find('/'));
            auto it = std::find_if(roots.begin(), roots.end(), [&](const auto& r) { return r.first == root; });
            if (it == roots.end()) it = roots.insert(roots.end(), {root, Counts{}});
            for (int j = 0; j < suite.total_test_count(); ++j) {
                const auto& info = *suite.GetTestInfo(j);
                if (!info.should_run()) continue;
                if (info.result()->Skipped()) ++it->second.skipped;
                else if (info.result()->Failed()) ++it->second.failed;
                else ++it->second.passed;
            }
        }
        std::printf("\nSummary by suite:\n");
        for (const auto& [root, counts] : roots) {
            if (counts.passed + counts.failed + counts.skipped == 0) continue;
            std::printf("  %-40s %6d passed %6d failed %6d skipped\n", root.c_str(), counts.passed, counts.failed,
                        counts.skipped);
        }
        std::fflush(stdout);
    }
};

}  // namespace

void registerTests(const std::vector<Test>& tests, const std::string& suite) {
    NameTable names;
    registerAll(tests, suite, names);
}

int defaultMain(const std::vector<Test>& tests, int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    registerTests(tests, "");
    ::testing::UnitTest::GetInstance()->listeners().Append(new SummaryPrinter);
    return RUN_ALL_TESTS();
}

}  // namespace zelkor::tests
