#include "zelkor/tests/detail/run/FailureCauses.hpp"

#include <algorithm>

namespace zelkor::tests::detail {

namespace {

// A cause is named by the first line of its message, cut to a readable length.
std::string headline(const std::string& message) {
    constexpr std::size_t limit = 200;
    std::string line = message.substr(0, message.find('\n'));
    if (line.size() > limit) line = line.substr(0, limit) + "...";
    else if (line.size() < message.size()) line += " ...";
    return line;
}

}  // namespace

void FailureCauses::add(std::string_view message, std::string where) {
    const auto [it, fresh] = index_.try_emplace(std::string(message), causes_.size());
    if (fresh) causes_.push_back({std::string(message), std::move(where), 0});
    ++causes_[it->second].cases;
}

void FailureCauses::clear() {
    causes_.clear();
    index_.clear();
}

std::string FailureCauses::report() const {
    std::vector<const Cause*> shared;
    for (const Cause& cause : causes_) {
        if (cause.cases > 1) shared.push_back(&cause);
    }
    std::stable_sort(shared.begin(), shared.end(), [](const Cause* a, const Cause* b) { return a->cases > b->cases; });
    std::string out;
    for (const Cause* cause : shared) {
        out += "  " + std::to_string(cause->cases) + " cases failed: " + headline(cause->message) + "\n    first at " +
               cause->firstWhere + "; see the log for each\n";
    }
    return out;
}

}  // namespace zelkor::tests::detail
