#pragma once
// Reads back the failure report of a known-answer case that computes its
// answer from the contiguous and from the chunked message: each form that
// differs from the file's value has its own "expected: ... but got: ..." block.

#include <stdexcept>
#include <string>

namespace zelkor::testsupport {

struct PairReport {
    std::string strict;     // computed from the contiguous message
    std::string chunked;    // computed from the chunked message
    std::string expected1;  // the file's value, as reported with the first form
    std::string expected2;  // the file's value, as reported with the second form
};

namespace detail {

// The quoted text after `from` in the message, starting the search at `pos`.
inline std::string quotedAfter(const std::string& message, std::size_t pos) {
    const std::size_t open = message.find('"', pos);
    const std::size_t close = open == std::string::npos ? open : message.find('"', open + 1);
    if (close == std::string::npos) throw std::runtime_error("not a known-answer report: " + message);
    return message.substr(open + 1, close - open - 1);
}

}  // namespace detail

// A form missing from the report computed the file's value.
inline PairReport parsePairReport(const std::string& message) {
    const std::size_t known = message.find(" but got: ");
    if (known == std::string::npos) throw std::runtime_error("not a known-answer report: " + message);
    const std::string file = detail::quotedAfter(message, known);
    PairReport report{file, file, file, file};
    for (std::size_t at = message.find("expected: "); at != std::string::npos;
         at = message.find("expected: ", at + 1)) {
        const std::size_t label = message.find("computed by the implementation ", at);
        const std::string value = detail::quotedAfter(message, at);
        if (message.compare(label, 52, "computed by the implementation from contiguous input") == 0) {
            report.strict = value;
        } else {
            report.chunked = value;
        }
    }
    return report;
}

}  // namespace zelkor::testsupport
