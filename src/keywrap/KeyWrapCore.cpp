#include "zelkor/detail/KeyWrapCore.hpp"

#include <stdexcept>
#include <string>
#include <vector>

namespace zelkor::detail {

namespace {

void xorStep(std::uint8_t* a, std::uint64_t step) {
    for (int i = 0; i < 8; ++i) a[7 - i] ^= static_cast<std::uint8_t>(step >> (8 * i));
}

ByteString block(const KeyWrapBlock& function, const std::uint8_t* a, const std::uint8_t* r) {
    std::vector<std::uint8_t> in(a, a + 8);
    in.insert(in.end(), r, r + 8);
    ByteString out = function(ByteString(std::move(in)));
    if (out.size() != 16)
        throw std::logic_error("key wrap: the block function gave " + std::to_string(out.size()) + " bytes");
    return out;
}

// Constant-time comparison, so that how much of an integrity value matched
// does not show.
bool sameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    std::uint8_t diff = 0;
    for (std::size_t i = 0; i < n; ++i) diff |= static_cast<std::uint8_t>(a[i] ^ b[i]);
    return diff == 0;
}

}  // namespace

ByteString keyWrapWind(const KeyWrapBlock& forward, const std::array<std::uint8_t, 8>& check,
                       const ByteString& halves) {
    if (halves.size() % 8 != 0 || halves.size() < 16) {
        throw std::invalid_argument("key wrap: " + std::to_string(halves.size()) +
                                    " bytes to wrap, needs a multiple of 8 bytes, 16 or more");
    }
    const std::size_t n = halves.size() / 8;
    std::array<std::uint8_t, 8> a = check;
    std::vector<std::uint8_t> r(halves.begin(), halves.end());
    for (std::uint64_t j = 0; j < 6; ++j) {
        for (std::size_t i = 0; i < n; ++i) {
            const ByteString b = block(forward, a.data(), r.data() + 8 * i);
            std::copy(b.begin(), b.begin() + 8, a.begin());
            xorStep(a.data(), n * j + i + 1);
            std::copy(b.begin() + 8, b.end(), r.begin() + static_cast<std::ptrdiff_t>(8 * i));
        }
    }
    std::vector<std::uint8_t> out(a.begin(), a.end());
    out.insert(out.end(), r.begin(), r.end());
    return ByteString(std::move(out));
}

std::optional<KeyWrapUnwound> keyWrapUnwind(const KeyWrapBlock& inverse, const ByteString& wrapped) {
    if (wrapped.size() % 8 != 0 || wrapped.size() < 24) return std::nullopt;
    const std::size_t n = wrapped.size() / 8 - 1;
    KeyWrapUnwound out;
    std::copy(wrapped.begin(), wrapped.begin() + 8, out.check.begin());
    std::vector<std::uint8_t> r(wrapped.begin() + 8, wrapped.end());
    for (std::uint64_t j = 6; j-- > 0;) {
        for (std::size_t i = n; i-- > 0;) {
            xorStep(out.check.data(), n * j + i + 1);
            const ByteString b = block(inverse, out.check.data(), r.data() + 8 * i);
            std::copy(b.begin(), b.begin() + 8, out.check.begin());
            std::copy(b.begin() + 8, b.end(), r.begin() + static_cast<std::ptrdiff_t>(8 * i));
        }
    }
    out.halves = ByteString(std::move(r));
    return out;
}

bool kwAcceptsLength(std::size_t bytes) { return bytes % 8 == 0 && bytes >= 16; }
bool kwpAcceptsLength(std::size_t bytes) { return bytes >= 1 && bytes <= 0xffffffffu; }

ByteString kwWrapWith(const KeyWrapBlock& forward, const ByteString& keyData) {
    if (!kwAcceptsLength(keyData.size())) {
        throw std::invalid_argument("AES-KW: key data of " + std::to_string(keyData.size()) +
                                    " bytes, needs a multiple of 8 bytes, 16 or more");
    }
    return keyWrapWind(forward, kKwCheck, keyData);
}

std::optional<ByteString> kwUnwrapWith(const KeyWrapBlock& inverse, const ByteString& wrapped) {
    std::optional<KeyWrapUnwound> unwound = keyWrapUnwind(inverse, wrapped);
    if (!unwound || !sameBytes(unwound->check.data(), kKwCheck.data(), 8)) return std::nullopt;
    return std::move(unwound->halves);
}

ByteString kwpWrapWith(const KeyWrapBlock& forward, const ByteString& keyData) {
    if (!kwpAcceptsLength(keyData.size())) {
        throw std::invalid_argument("AES-KWP: key data of " + std::to_string(keyData.size()) +
                                    " bytes, needs 1 to 2^32 - 1 bytes");
    }
    std::array<std::uint8_t, 8> check{};
    std::copy(kKwpCheck.begin(), kKwpCheck.end(), check.begin());
    for (int i = 0; i < 4; ++i) check[7 - i] = static_cast<std::uint8_t>(keyData.size() >> (8 * i));
    std::vector<std::uint8_t> padded(keyData.begin(), keyData.end());
    padded.resize((padded.size() + 7) / 8 * 8, 0);
    if (padded.size() == 8) {
        std::vector<std::uint8_t> in(check.begin(), check.end());
        in.insert(in.end(), padded.begin(), padded.end());
        return forward(ByteString(std::move(in)));
    }
    return keyWrapWind(forward, check, ByteString(std::move(padded)));
}

std::optional<ByteString> kwpUnwrapWith(const KeyWrapBlock& inverse, const ByteString& wrapped) {
    KeyWrapUnwound unwound;
    if (wrapped.size() == 16) {
        const ByteString b = inverse(wrapped);
        std::copy(b.begin(), b.begin() + 8, unwound.check.begin());
        unwound.halves = b.drop(8);
    } else {
        std::optional<KeyWrapUnwound> many = keyWrapUnwind(inverse, wrapped);
        if (!many) return std::nullopt;
        unwound = std::move(*many);
    }
    const std::size_t padded = unwound.halves.size();
    std::uint32_t length = 0;
    for (int i = 4; i < 8; ++i) length = length << 8 | unwound.check[i];
    // The length must leave 0 to 7 bytes of padding, and the padding be zeros.
    bool good =
        sameBytes(unwound.check.data(), kKwpCheck.data(), 4) && std::size_t{length} + 8 > padded && length <= padded;
    std::uint8_t padding = 0;
    for (std::size_t i = good ? length : padded; i < padded; ++i) padding |= unwound.halves.data()[i];
    if (!good || padding != 0) return std::nullopt;
    return unwound.halves.take(length);
}

}  // namespace zelkor::detail
