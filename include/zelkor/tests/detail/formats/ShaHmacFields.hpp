#pragma once
// Reading the numeric and label fields of SHA and HMAC vector records.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zelkor/tests/ParseNistKATs.hpp"

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

// quoteText of at most the first kExcerptBytes bytes of `text`; a longer text
// is cut there and followed by "... (N bytes)", so that an error about a huge
// token stays short.
inline constexpr std::size_t kExcerptBytes = 40;
std::string quoteExcerpt(std::string_view text);

// Reads `text` as a decimal integer of 0 to 2^64 - 1 exactly: one or more ASCII
// digits and nothing else. Throws std::invalid_argument naming the field and
// the text when it is not such an integer, or does not fit in 64 bits.
std::uint64_t readUnsignedField(std::string_view fieldName, std::string_view text);

// What lookupAll gives, but the values are moved out of the record (which is
// left holding empty values), so that a large file's texts are never copied.
// The names must be distinct; when one is absent the record is left as it is.
template <std::size_t N>
std::optional<std::array<std::string, N>> takeAll(Record& record, const std::array<std::string_view, N>& names) {
    std::array<Field*, N> found{};
    for (std::size_t i = 0; i < N; ++i) {
        for (Field& field : record) {
            if (field.name == names[i]) {
                found[i] = &field;
                break;
            }
        }
        if (found[i] == nullptr) return std::nullopt;
    }
    std::array<std::string, N> values;
    for (std::size_t i = 0; i < N; ++i) values[i] = std::move(found[i]->value);
    return values;
}

}  // namespace zelkor::tests::detail
