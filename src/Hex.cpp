#include <array>
#include <span>
#include <cstdint>
#include <string>
#include <vector>

#include "zelkor/tests/Crypto.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Decodes 16 characters at a time while they are all hex digits, and returns
// how many bytes it wrote; the byte-wise loop takes over from the first block
// holding anything else.
std::size_t decodeWholeDigitBlocks(const unsigned char* in, std::span<std::uint8_t> out) {
    std::size_t i = 0;
    for (; i + 8 <= out.size(); i += 8) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
        const __m128i zero = _mm_setzero_si128();
        const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
        const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
        const __m128i isDigit = _mm_cmpeq_epi8(_mm_subs_epu8(digit, _mm_set1_epi8(9)), zero);
        const __m128i isLetter = _mm_cmpeq_epi8(_mm_subs_epu8(letter, _mm_set1_epi8(5)), zero);
        if (_mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)) != 0xFFFF) break;
        const __m128i nibbles = _mm_or_si128(_mm_and_si128(isDigit, digit),
                                             _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
        // Each 16-bit lane holds the high digit in its low byte, the low digit above.
        const __m128i high = _mm_slli_epi16(_mm_and_si128(nibbles, _mm_set1_epi16(0x00FF)), 4);
        const __m128i low = _mm_srli_epi16(nibbles, 8);
        const __m128i packed = _mm_packus_epi16(_mm_or_si128(high, low), zero);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out.data() + i), packed);
    }
    return i;
}
#else
std::size_t decodeWholeDigitBlocks(const unsigned char*, std::span<std::uint8_t>) { return 0; }
#endif

}  // namespace

ByteString hexStringToBS(std::string_view hex) {
    // An odd length is reported whatever the pairs before it hold.
    if (hex.size() % 2 != 0) {
        throw HexDecodeError("Not an even number of hex characters in input to hexStringToBS!");
    }
    return ByteString::generate(hex.size() / 2, [hex](std::span<std::uint8_t> bytes) {
        const auto* in = reinterpret_cast<const unsigned char*>(hex.data());
        std::size_t i = decodeWholeDigitBlocks(in, bytes);
        for (; i < bytes.size(); ++i) {
            const int high = kHexValue[in[2 * i]];
            const int low = kHexValue[in[2 * i + 1]];
            if (high < 0) throwBadPair(hex, 2 * i);
            // Only the leading run of digits counts: a non-digit second character
            // leaves the first digit's value alone.
            bytes[i] = static_cast<std::uint8_t>(low < 0 ? high : (high << 4) | low);
        }
    });
}

}  // namespace zelkor::tests
