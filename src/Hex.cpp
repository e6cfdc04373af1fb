#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "zelkor/tests/Crypto.hpp"

namespace zelkor::tests {

namespace {

constexpr std::int8_t kNotHex = -1;

// Value of each byte as a hex digit, kNotHex for every other byte.
constexpr std::array<std::int8_t, 256> kHexValue = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(kNotHex);
    for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<std::int8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<std::int8_t>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<std::int8_t>(c - 'A' + 10);
    return table;
}();

// A character as it can be shown in a message: itself when printable ASCII,
// otherwise a \xNN escape.
void appendPrintable(std::string& out, char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
        out.push_back(c);
        return;
    }
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\x";
    out.push_back(digits[byte >> 4]);
    out.push_back(digits[byte & 0xF]);
}

[[noreturn]] void throwBadPair(std::string_view hex, std::size_t offset) {
    std::string message = "Invalid hex pair \"";
    appendPrintable(message, hex[offset]);
    appendPrintable(message, hex[offset + 1]);
    message += "\" at character offset " + std::to_string(offset) + " in input to hexStringToBS!";
    throw HexDecodeError(message);
}

}  // namespace

ByteString hexStringToBS(std::string_view hex) {
    // An odd length is reported whatever the pairs before it hold.
    if (hex.size() % 2 != 0) {
        throw HexDecodeError("Not an even number of hex characters in input to hexStringToBS!");
    }
    std::vector<std::uint8_t> bytes(hex.size() / 2);
    std::uint8_t* out = bytes.data();
    const auto* in = reinterpret_cast<const unsigned char*>(hex.data());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = kHexValue[in[2 * i]];
        const int low = kHexValue[in[2 * i + 1]];
        if (high < 0) throwBadPair(hex, 2 * i);
        // Only the leading run of digits counts: a non-digit second character
        // leaves the first digit's value alone.
        out[i] = static_cast<std::uint8_t>(low < 0 ? high : (high << 4) | low);
    }
    return ByteString(std::move(bytes));
}

}  // namespace zelkor::tests
