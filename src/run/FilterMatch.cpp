#include "zelkor/tests/detail/run/FilterMatch.hpp"

#include <algorithm>
#include <cstddef>

namespace zelkor::tests::detail {

namespace {

// Glob match of the whole name: '*' any run of characters, '?' any one.
bool globMatches(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// Any of the ':'-separated patterns (an empty one matches only "").
bool anyPatternMatches(std::string_view patterns, std::string_view name) {
    while (true) {
        const std::size_t colon = patterns.find(':');
        if (globMatches(patterns.substr(0, colon), name)) return true;
        if (colon == std::string_view::npos) return false;
        patterns.remove_prefix(colon + 1);
    }
}

struct SplitFilter {
    std::string_view positive;
    std::string_view negative;
    bool hasNegative = false;
};

// The first '-' ends the positive patterns; an empty positive part before it
// means "*". Later dashes belong to the negative patterns.
SplitFilter split(std::string_view filter) {
    const std::size_t dash = filter.find('-');
    if (dash == std::string_view::npos) return {filter, {}, false};
    const std::string_view positive = filter.substr(0, dash);
    return {positive.empty() ? std::string_view("*") : positive, filter.substr(dash + 1), true};
}

std::size_t countSelected(std::string_view filter, const std::vector<std::string>& fullNames) {
    return static_cast<std::size_t>(std::count_if(fullNames.begin(), fullNames.end(),
                                                  [&](const std::string& name) { return filterSelects(filter, name); }));
}

std::string tests(std::size_t count) { return std::to_string(count) + (count == 1 ? " test" : " tests"); }

}  // namespace

bool filterSelects(std::string_view filter, std::string_view fullName) {
    const SplitFilter parts = split(filter);
    if (!anyPatternMatches(parts.positive, fullName)) return false;
    return !parts.hasNegative || !anyPatternMatches(parts.negative, fullName);
}

bool isDisabledTest(std::string_view suite, std::string_view name) {
    constexpr std::string_view disabled = "DISABLED_*:*/DISABLED_*";
    return anyPatternMatches(disabled, suite) || anyPatternMatches(disabled, name);
}

std::string whyFilterSelectsNothing(std::string_view filter, const std::vector<std::string>& fullNames) {
    return whyFilterSelectsNothing(filter, fullNames.size(),
                                   [&](std::string_view f) { return countSelected(f, fullNames); });
}

std::string whyFilterSelectsNothing(std::string_view filter, std::size_t total,
                                    const std::function<std::size_t(std::string_view)>& countSelected) {
    const std::string quoted = "--gtest_filter='" + std::string(filter) + "'";
    if (total == 0) return "the test tree holds no test";
    const SplitFilter parts = split(filter);
    if (parts.hasNegative) {
        std::string withQuestionMarks(filter);
        std::replace(withQuestionMarks.begin(), withQuestionMarks.end(), '-', '?');
        std::string out = quoted + " selects no test: GoogleTest reads it as run '" + std::string(parts.positive) +
                          "' except '" + std::string(parts.negative) +
                          "'; a '-' starts the negative patterns, so a group or test name holding '-' needs '?' "
                          "in a filter";
        const std::size_t rescued = countSelected(withQuestionMarks);
        if (rescued > 0) out += " ('" + withQuestionMarks + "' selects " + tests(rescued) + ")";
        return out;
    }
    return quoted + " selects none of the " + tests(total) +
           ": each pattern must match a whole name 'Suite.test', the suite being the path of group names joined "
           "with '/' (--gtest_list_tests lists them)";
}

}  // namespace zelkor::tests::detail
