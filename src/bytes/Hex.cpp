#include <array>
#include <span>
#include <cstdint>
#include <string>
#include <vector>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/detail/bytes/ByteArena.hpp"

#if defined(__SSE2__)
#include <immintrin.h>
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
// holding anything else. A digit d gives d - '0' <= 9, a letter l gives
// (l | 0x20) - 'a' <= 5 (unsigned); each 16-bit lane then holds the high
// digit in its low byte and the low digit above.
std::size_t decodeBlocksSse2(const unsigned char* in, std::span<std::uint8_t> out) {
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 8 <= out.size(); i += 8) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
        const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
        const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
        const __m128i isDigit = _mm_cmpeq_epi8(_mm_subs_epu8(digit, _mm_set1_epi8(9)), zero);
        const __m128i isLetter = _mm_cmpeq_epi8(_mm_subs_epu8(letter, _mm_set1_epi8(5)), zero);
        if (_mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)) != 0xFFFF) break;
        const __m128i nibbles = _mm_or_si128(_mm_and_si128(isDigit, digit),
                                             _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
        const __m128i high = _mm_slli_epi16(_mm_and_si128(nibbles, _mm_set1_epi16(0x00FF)), 4);
        const __m128i low = _mm_srli_epi16(nibbles, 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out.data() + i), _mm_packus_epi16(_mm_or_si128(high, low), zero));
    }
    return i;
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same 32 characters at a time, on processors that have AVX2.
[[gnu::target("avx2")]] std::size_t decodeBlocksAvx2(const unsigned char* in, std::span<std::uint8_t> out) {
    const __m256i zero = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 16 <= out.size(); i += 16) {
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 2 * i));
        const __m256i digit = _mm256_sub_epi8(c, _mm256_set1_epi8('0'));
        const __m256i letter = _mm256_sub_epi8(_mm256_or_si256(c, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
        const __m256i isDigit = _mm256_cmpeq_epi8(_mm256_subs_epu8(digit, _mm256_set1_epi8(9)), zero);
        const __m256i isLetter = _mm256_cmpeq_epi8(_mm256_subs_epu8(letter, _mm256_set1_epi8(5)), zero);
        if (_mm256_movemask_epi8(_mm256_or_si256(isDigit, isLetter)) != -1) break;
        const __m256i nibbles = _mm256_or_si256(_mm256_and_si256(isDigit, digit),
                                                _mm256_and_si256(isLetter, _mm256_add_epi8(letter, _mm256_set1_epi8(10))));
        const __m256i high = _mm256_slli_epi16(_mm256_and_si256(nibbles, _mm256_set1_epi16(0x00FF)), 4);
        const __m256i low = _mm256_srli_epi16(nibbles, 8);
        // packus works within each 128-bit half: bring the two 8-byte results together.
        const __m256i packed = _mm256_packus_epi16(_mm256_or_si256(high, low), zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data() + i),
                         _mm256_castsi256_si128(_mm256_permute4x64_epi64(packed, 0b1000)));
    }
    return i;
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

std::size_t decodeWholeDigitBlocks(const unsigned char* in, std::span<std::uint8_t> out) {
    std::size_t done = 0;
#if defined(__x86_64__) && defined(__GNUC__)
    if (kHasAvx2) done = decodeBlocksAvx2(in, out);
#endif
    return done + decodeBlocksSse2(in + 2 * done, out.subspan(done));
}
#else
std::size_t decodeWholeDigitBlocks(const unsigned char*, std::span<std::uint8_t>) { return 0; }
#endif

}  // namespace

namespace detail {

void decodeHexInto(std::string_view hex, std::span<std::uint8_t> bytes) {
    // An odd length is reported whatever the pairs before it hold.
    if (hex.size() % 2 != 0) {
        throw HexDecodeError("Not an even number of hex characters in input to hexStringToBS!");
    }
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
}

}  // namespace detail

ByteString hexStringToBS(std::string_view hex) {
    if (hex.size() % 2 != 0) detail::decodeHexInto(hex, {});  // throws before anything is allocated
    return ByteString::generate(hex.size() / 2,
                                [hex](std::span<std::uint8_t> bytes) { detail::decodeHexInto(hex, bytes); });
}

}  // namespace zelkor::tests
