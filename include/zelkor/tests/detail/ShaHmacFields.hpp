#pragma once
// Reading the numeric and label fields of SHA and HMAC vector records.

#include <cstddef>
#include <string>
#include <string_view>

namespace zelkor::tests::detail {

// Reads `text` as a decimal integer: an optional "-" followed by one or more
// ASCII digits and nothing else (no "+", no spaces). Values beyond the range of
// long long saturate at its limits; every caller clamps the result to a byte
// count far inside that range, so saturation gives the exact answer. Any other
// text throws std::invalid_argument naming the field and the quoted text, e.g.
//     Len is not a decimal integer: "12a"
long long readDecimalField(std::string_view fieldName, std::string_view text);

// The whole bytes of a message of Len bits: floor(Len / 8), and 0 when that is
// negative.
std::size_t wholeBytesOfBitLength(std::string_view lenText);

// A byte count read from `fieldName` (e.g. Tlen): 0 when negative.
std::size_t byteCountField(std::string_view fieldName, std::string_view text);

// `text` between double quotes, escaped so that any text gives a readable,
// unambiguous name: `"` becomes \", `\` becomes \\, and every byte outside
// printable ASCII (0x20..0x7E) becomes \xHH with two lowercase hex digits.
// Digits and letters stay as they are: 007 becomes "007".
std::string quoteText(std::string_view text);

}  // namespace zelkor::tests::detail
