#pragma once
// The wrapping function of AES-KW and AES-KWP over any 128-bit block
// function, compiled once: six passes over the 64-bit halves of the input,
// each block's output half XORed with the big-endian step number.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "zelkor/ByteString.hpp"

namespace zelkor::detail {

// One 16-byte block in, its image out.
using KeyWrapBlock = std::function<ByteString(const ByteString&)>;

// The 8-byte integrity value and the 64-bit halves it was wrapped with.
struct KeyWrapUnwound {
    std::array<std::uint8_t, 8> check{};
    ByteString halves;
};

// Wraps `halves` (two or more 8-byte halves) under the integrity value `check`.
ByteString keyWrapWind(const KeyWrapBlock& forward, const std::array<std::uint8_t, 8>& check, const ByteString& halves);
// The inverse: none when `wrapped` is not three or more 8-byte halves.
std::optional<KeyWrapUnwound> keyWrapUnwind(const KeyWrapBlock& inverse, const ByteString& wrapped);

// The complete constructions. Wrapping throws std::invalid_argument for a
// length the construction does not take (KW: a multiple of 8 bytes, 16 or
// more; KWP: 1 to 2^32 - 1 bytes); unwrapping gives none unless the integrity
// value, and for KWP the length indicator and the zero padding, check out.
ByteString kwWrapWith(const KeyWrapBlock& forward, const ByteString& keyData);
std::optional<ByteString> kwUnwrapWith(const KeyWrapBlock& inverse, const ByteString& wrapped);
ByteString kwpWrapWith(const KeyWrapBlock& forward, const ByteString& keyData);
std::optional<ByteString> kwpUnwrapWith(const KeyWrapBlock& inverse, const ByteString& wrapped);

bool kwAcceptsLength(std::size_t bytes);
bool kwpAcceptsLength(std::size_t bytes);

inline constexpr std::array<std::uint8_t, 8> kKwCheck = {0xa6, 0xa6, 0xa6, 0xa6, 0xa6, 0xa6, 0xa6, 0xa6};
inline constexpr std::array<std::uint8_t, 4> kKwpCheck = {0xa6, 0x59, 0x59, 0xa6};

}  // namespace zelkor::detail
