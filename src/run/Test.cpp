#include "zelkor/tests/Test.hpp"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <span>
#include <string_view>
#include <utility>
#include <variant>

#include <rapidcheck/detail/Configuration.h>

#include "zelkor/tests/detail/run/PropertyRuns.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests {

const std::string& Test::name() const {
    return std::visit([](const auto& n) -> const std::string& { return n.name; }, node);
}

Test testCase(std::string name, std::function<void()> assertion) {
    return Test{TestCase{std::move(name), std::move(assertion), {}}};
}

Test testCase(std::string name, std::function<void()> assertion, CaseOrigin origin) {
    return Test{TestCase{std::move(name), std::move(assertion), std::move(origin)}};
}

CaseOrigin lineOrigin(std::string file, std::size_t line, std::shared_ptr<const detail::VectorUsage> usage) {
    const int known = line <= static_cast<std::size_t>(std::numeric_limits<int>::max()) ? static_cast<int>(line) : 0;
    return CaseOrigin{std::move(file), known, std::move(usage)};
}

void requireLongCases(const std::string& what) {
    const char* value = std::getenv("zelkor_tests_long");
    if (value == nullptr || std::string_view(value) != "1") {
        throw SkipTest(what + ": runs only when the environment sets zelkor_tests_long=1");
    }
}

std::string CaseOrigin::where() const {
    return line > 0 ? file + ":" + std::to_string(line) : file;
}

namespace {

void checkComparisons(std::string_view prefix, std::span<const Comparison> comparisons, const CaseOrigin& origin) {
    // Most cases pass: the report's stream is made only for a failure.
    if (std::all_of(comparisons.begin(), comparisons.end(), [](const Comparison& c) { return c.computed == c.known; })) {
        return;
    }
    std::ostringstream msg;
    bool failed = false;
    for (const Comparison& c : comparisons) {
        const std::optional<std::size_t> at = detail::firstDifference(c.computed, c.known);
        if (!at) continue;
        if (!failed && !prefix.empty()) msg << prefix << '\n';
        if (failed) msg << '\n';
        failed = true;
        msg << "expected: ";
        detail::writeBytes(msg, c.computed, *at);
        msg << " (" << c.computed.size() << " bytes, computed by the implementation";
        if (!c.how.empty()) msg << ' ' << c.how;
        msg << ")\n but got: ";
        detail::writeBytes(msg, c.known, *at);
        msg << " (" << c.known.size() << " bytes, from " << origin.where() << ")\n";
        msg << "first difference at byte " << *at;
    }
    if (failed) throw AssertionFailure(msg.str());
}

}  // namespace

void assertKnownAnswers(std::string_view prefix, std::initializer_list<Comparison> comparisons,
                        const CaseOrigin& origin) {
    checkComparisons(prefix, std::span(comparisons.begin(), comparisons.size()), origin);
}

void assertKnownAnswer(std::string_view prefix, std::initializer_list<Computed> computed, const ByteString& known,
                       const CaseOrigin& origin) {
    if (std::all_of(computed.begin(), computed.end(), [&](const Computed& value) { return value.value == known; })) {
        return;
    }
    std::vector<Comparison> comparisons;
    comparisons.reserve(computed.size());
    for (const Computed& value : computed) comparisons.push_back({value.how, value.value, known});
    checkComparisons(prefix, comparisons, origin);
}

Test testGroup(std::string name, std::vector<Test> tests) {
    return Test{TestGroup{std::move(name), std::move(tests)}};
}

namespace detail {

namespace {

std::string reproduceLine(const std::string& id, const rc::detail::Reproduce& reproduce) {
    rc::detail::Configuration config = rc::detail::configuration();
    config.reproduce = {{id, reproduce}};
    return "To reproduce, run with: RC_PARAMS=\"" + rc::detail::configToMinimalString(config) + "\"";
}

// RapidCheck keeps the state of a running property (its implicit parameters)
// in process-wide stacks, so two properties must never run at the same time.
std::mutex propertyRunLock;

// The cap of the property running on this thread (0: none), set by the
// checks capPropertyRuns wraps.
thread_local int runCap = 0;

}  // namespace

void capPropertyRuns(std::vector<Test>& tree, int runs) {
    for (Test& test : tree) {
        if (auto* group = std::get_if<TestGroup>(&test.node)) {
            capPropertyRuns(group->tests, runs);
        } else if (auto* property = std::get_if<TestProperty>(&test.node)) {
            property->check = [check = std::move(property->check), runs](const std::string& id) {
                const int outer = std::exchange(runCap, runs);
                struct Restore {
                    int value;
                    ~Restore() { runCap = value; }
                } restore{outer};
                return check(id);
            };
        }
    }
}

PropertyResult checkProperty(const rc::detail::Property& property, const std::string& id) {
    const std::lock_guard<std::mutex> onePropertyAtATime(propertyRunLock);
    rc::detail::TestMetadata metadata;
    metadata.id = id;
    metadata.description = id;
    rc::detail::TestParams params = rc::detail::configuration().testParams;
    if (runCap > 0 && runCap < params.maxSuccess) {
        // As many discarded draws allowed as the full count of runs would
        // have: a property that must discard some draws (a key length it
        // cannot use) would otherwise give up, under a cap, where it passes.
        params.maxDiscardRatio = params.maxDiscardRatio * params.maxSuccess / runCap;
        params.maxSuccess = runCap;
    }
    const rc::detail::TestResult result = rc::detail::checkProperty(property, metadata, params);

    std::ostringstream report;
    rc::detail::printResultMessage(result, report);
    PropertyResult out;
    if (result.is<rc::detail::SuccessResult>()) {
        // With a reproduce map in RC_PARAMS, RapidCheck runs only the listed
        // properties and reports the others as successes without a single case.
        const bool ranNothing = result.get<rc::detail::SuccessResult>().numSuccess == 0;
        const bool reproducing = !rc::detail::configuration().reproduce.empty();
        if (ranNothing && reproducing) {
            out.status = PropertyResult::Status::Skipped;
            out.report = "Property not selected by RC_PARAMS reproduce";
            return out;
        }
        out.status = PropertyResult::Status::Passed;
    } else if (result.is<rc::detail::FailureResult>()) {
        out.status = PropertyResult::Status::Failed;
        report << '\n' << reproduceLine(id, result.get<rc::detail::FailureResult>().reproduce);
    } else if (result.is<rc::detail::GaveUpResult>()) {
        out.status = PropertyResult::Status::GaveUp;
    } else {
        out.status = PropertyResult::Status::Failed;
    }
    out.report = report.str();
    return out;
}

}  // namespace detail
}  // namespace zelkor::tests
