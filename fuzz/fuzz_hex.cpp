// Fuzzes hexStringToBS against a plain restatement of its rules.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "zelkor/tests/Crypto.hpp"

namespace {

constexpr std::string_view kOddMessage = "Not an even number of hex characters in input to hexStringToBS!";

std::optional<int> digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return std::nullopt;
}

// Reports which invariant broke, then crashes so that libFuzzer keeps the input.
#define CHECK(condition)                                                                    \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (false)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view hex(reinterpret_cast<const char*>(data), size);
    try {
        const zelkor::ByteString bytes = zelkor::tests::hexStringToBS(hex);
        CHECK(size % 2 == 0 && bytes.size() == size / 2);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto high = digitValue(hex[2 * i]);
            const auto low = digitValue(hex[2 * i + 1]);
            CHECK(high.has_value());
            CHECK(bytes[i] == (low ? *high * 16 + *low : *high));
        }
    } catch (const zelkor::tests::HexDecodeError& e) {
        if (size % 2 != 0) {
            CHECK(e.what() == kOddMessage);
        } else {
            // Only a pair that starts with a non-digit may fail.
            bool badPair = false;
            for (std::size_t i = 0; i < size && !badPair; i += 2) badPair = !digitValue(hex[i]);
            CHECK(badPair && e.what() != kOddMessage);
        }
    }
    return 0;
}
