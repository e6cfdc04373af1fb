#include "zelkor/tests/detail/formats/ShaHmacFields.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace zelkor::tests::detail {

long long readDecimalField(std::string_view fieldName, std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    bool valid = !digits.empty();
    for (char c : digits) valid = valid && c >= '0' && c <= '9';
    if (!valid) {
        throw std::invalid_argument(std::string(fieldName) + " is not a decimal integer: " + quoteText(text));
    }
    // Accumulate towards the sign so that the most negative value is reachable,
    // and stop at the limit instead of overflowing.
    constexpr long long kMax = std::numeric_limits<long long>::max();
    constexpr long long kMin = std::numeric_limits<long long>::min();
    long long value = 0;
    for (char c : digits) {
        const int digit = c - '0';
        if (negative) {
            if (value < (kMin + digit) / 10) return kMin;
            value = value * 10 - digit;
        } else {
            if (value > (kMax - digit) / 10) return kMax;
            value = value * 10 + digit;
        }
    }
    return value;
}

namespace {

std::size_t clampToSize(long long value) {
    if (value <= 0) return 0;
    if (std::cmp_greater(value, std::numeric_limits<std::size_t>::max())) {
        return std::numeric_limits<std::size_t>::max();
    }
    return static_cast<std::size_t>(value);
}

}  // namespace

std::size_t wholeBytesOfBitLength(std::string_view lenText) {
    // For negative lengths floor(Len / 8) is negative too, so both clamp to 0;
    // for the rest, integer division is the floor.
    return clampToSize(readDecimalField("Len", lenText) / 8);
}

std::size_t byteCountField(std::string_view fieldName, std::string_view text) {
    return clampToSize(readDecimalField(fieldName, text));
}

std::string quoteText(std::string_view text) {
    static constexpr char hexDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte >= 0x20 && byte <= 0x7E) {
            out.push_back(c);
        } else {
            out += "\\x";
            out.push_back(hexDigits[byte >> 4]);
            out.push_back(hexDigits[byte & 0xF]);
        }
    }
    out.push_back('"');
    return out;
}

std::string quoteExcerpt(std::string_view text) {
    if (text.size() <= kExcerptBytes) return quoteText(text);
    return quoteText(text.substr(0, kExcerptBytes)) + "... (" + std::to_string(text.size()) + " bytes)";
}

std::uint64_t readUnsignedField(std::string_view fieldName, std::string_view text) {
    const bool digitsOnly =
        !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digitsOnly) {
        throw std::invalid_argument(std::string(fieldName) + " is not a decimal integer: " + quoteExcerpt(text));
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (char c : text) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (kMax - digit) / 10) {
            throw std::invalid_argument(std::string(fieldName) + " does not fit in 64 bits: " + quoteExcerpt(text));
        }
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace zelkor::tests::detail
