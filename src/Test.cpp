#include "zelkor/tests/Test.hpp"

#include <mutex>

#include <rapidcheck/detail/Configuration.h>

namespace zelkor::tests {

const std::string& Test::name() const {
    return std::visit([](const auto& n) -> const std::string& { return n.name; }, node);
}

Test testCase(std::string name, std::function<void()> assertion) {
    return Test{TestCase{std::move(name), std::move(assertion)}};
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

}  // namespace

PropertyResult checkProperty(const rc::detail::Property& property, const std::string& id) {
    const std::lock_guard<std::mutex> onePropertyAtATime(propertyRunLock);
    rc::detail::TestMetadata metadata;
    metadata.id = id;
    metadata.description = id;
    const rc::detail::TestResult result = rc::detail::checkProperty(property, metadata);

    std::ostringstream report;
    rc::detail::printResultMessage(result, report);
    PropertyResult out;
    if (result.is<rc::detail::SuccessResult>()) {
        // With a reproduce map in RC_PARAMS, RapidCheck runs only the listed
        // properties and reports the others as successes without a single case.
        const bool ranNothing = result.get<rc::detail::SuccessResult>().numSuccess == 0;
        const bool reproducing = !rc::detail::configuration().reproduce.empty();
        out.status = ranNothing && reproducing ? PropertyResult::Status::Skipped
                                               : PropertyResult::Status::Passed;
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
