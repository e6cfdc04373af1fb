#include "zelkor/tests/detail/run/Report.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include <rapidcheck/detail/Results.h>

namespace zelkor::tests::detail {

bool fullValuesRequested() {
    const char* value = std::getenv("zelkor_tests_full_values");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::optional<std::size_t> firstDifference(const ByteString& a, const ByteString& b) {
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (ia == a.end() && ib == b.end()) return std::nullopt;
    return static_cast<std::size_t>(ia - a.begin());
}

void writeBytes(std::ostream& os, const ByteString& bytes, std::size_t focus) {
    if (bytes.size() <= 2 * kReportContext || fullValuesRequested()) {
        os << bytes;
        return;
    }
    const std::size_t lastStart = bytes.size() - 2 * kReportContext;
    const std::size_t from = focus > kReportContext ? std::min(focus - kReportContext, lastStart) : 0;
    const std::size_t to = from + 2 * kReportContext;
    const ByteString window(bytes.data() + from, to - from);
    if (from > 0) os << "...";
    os << window;
    if (to < bytes.size()) os << "...";
    os << " [bytes " << from << ".." << to - 1 << " of " << bytes.size() << ']';
}

void requireSameBytes(std::string_view what, const ByteString& left, const ByteString& right) {
    const std::optional<std::size_t> at = firstDifference(left, right);
    if (!at) return;
    std::ostringstream msg;
    msg << what << "\n  left: ";
    writeBytes(msg, left, *at);
    msg << " (" << left.size() << " bytes)\n right: ";
    writeBytes(msg, right, *at);
    msg << " (" << right.size() << " bytes)\nfirst difference at byte " << *at;
    throw rc::detail::CaseResult(rc::detail::CaseResult::Type::Failure, msg.str());
}

}  // namespace zelkor::tests::detail

namespace zelkor {

void showValue(const ByteString& bytes, std::ostream& os) { tests::detail::writeBytes(os, bytes); }

void showValue(const ChunkedByteString& bytes, std::ostream& os) {
    if (bytes.size() <= 2 * tests::detail::kReportContext || tests::detail::fullValuesRequested()) {
        os << bytes;
        return;
    }
    os << '[' << bytes.chunks().size() << " chunks of";
    const char* sep = " ";
    for (const auto& chunk : bytes.chunks()) {
        os << sep << chunk.size();
        sep = ", ";
    }
    os << " bytes] ";
    tests::detail::writeBytes(os, bytes.toStrict());
}

}  // namespace zelkor
