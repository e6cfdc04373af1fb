#pragma once
// Failures grouped by their text, so that one cause shared by many cases (an
// implementation that throws the same error for every record) is summarised
// once at the end of a run instead of being read out of a long log.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelkor::tests::detail {

class FailureCauses {
public:
    // One failed case: its failure message and where it failed
    // ("Suite.test at file:line").
    void add(std::string_view message, std::string where);
    void clear();

    // One entry per message shared by at least two cases, most frequent
    // first: "  1042 cases failed: <first line of the message>\n
    //            first at <where>; see the log for each\n". Empty when no
    // message repeats.
    std::string report() const;

private:
    struct Cause {
        std::string message;
        std::string firstWhere;
        std::size_t cases = 0;
    };
    std::vector<Cause> causes_;  // in first-seen order
    std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace zelkor::tests::detail
