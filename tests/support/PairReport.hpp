#pragma once
// Reads back the failure report of a known-answer case that compares a pair of
// byte strings: expected ("s", "c") against actual ("d", "d").

#include <stdexcept>
#include <string>
#include <vector>

namespace zelkor::testsupport {

struct PairReport {
    std::string strict;     // computed from the contiguous message
    std::string chunked;    // computed from the chunked message
    std::string expected1;  // the file's value, first component
    std::string expected2;  // the file's value, second component
};

// The four quoted byte strings after "expected: " (the case name before it
// may hold quotes of its own).
inline PairReport parsePairReport(const std::string& message) {
    const std::size_t start = message.find("expected: ");
    std::vector<std::string> quoted;
    for (std::size_t pos = start; pos != std::string::npos && quoted.size() < 5;) {
        const std::size_t open = message.find('"', pos);
        if (open == std::string::npos) break;
        const std::size_t close = message.find('"', open + 1);
        if (close == std::string::npos) break;
        quoted.push_back(message.substr(open + 1, close - open - 1));
        pos = close + 1;
    }
    if (start == std::string::npos || quoted.size() != 4) {
        throw std::runtime_error("not a pair report: " + message);
    }
    return {quoted[0], quoted[1], quoted[2], quoted[3]};
}

}  // namespace zelkor::testsupport
