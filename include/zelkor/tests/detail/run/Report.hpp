#pragma once
// How byte strings appear in failure reports. Long values are cut to a window
// of about kReportContext bytes each side of the place that matters (the first
// difference, or the start), so a failure on a 4 KB input stays readable;
// zelkor_tests_full_values=1 in the environment prints every byte instead.

#include <cstddef>
#include <optional>
#include <ostream>
#include <string_view>

#include "zelkor/ByteString.hpp"

namespace zelkor::tests::detail {

inline constexpr std::size_t kReportContext = 64;

// True when the environment asks for whole values in reports.
bool fullValuesRequested();

// The offset of the first byte where a and b differ, or where the shorter one
// ends; none when they are equal.
std::optional<std::size_t> firstDifference(const ByteString& a, const ByteString& b);

// The hex rendering of `bytes` (as operator<< gives it) when it is short or
// full values are requested; otherwise the window around `focus`, marked with
// "..." where bytes are left out and followed by the range shown and the length.
void writeBytes(std::ostream& os, const ByteString& bytes, std::size_t focus = 0);

// Inside a RapidCheck property: fails the case unless the two byte strings are
// equal, reporting both as windows around their first difference.
void requireSameBytes(std::string_view what, const ByteString& left, const ByteString& right);

}  // namespace zelkor::tests::detail
