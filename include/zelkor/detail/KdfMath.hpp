#pragma once
// HKDF's expand and PBKDF2 over bytes, given the HMAC as a function: the
// non-template part of zelkor/Kdf.hpp.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "zelkor/ByteString.hpp"

namespace zelkor::detail {

// HMAC(key, concatenation of the chunks), hashBytes long.
using HmacFunction = std::function<ByteString(const ByteString& key, const std::vector<ByteString>& chunks)>;

// T(1) | T(2) | ... cut to `length`, T(i) = HMAC(prk, T(i-1) | info | i), i
// one byte from 1. std::invalid_argument for a length over 255 hash lengths.
ByteString hkdfExpandWith(std::size_t hashBytes, const HmacFunction& hmac, const ByteString& prk,
                          const ByteString& info, std::size_t length);

// F(1) | F(2) | ... cut to `length`, F(i) the XOR of U1..Uc, U1 = HMAC(P, S |
// i as 4 bytes big-endian), Uj = HMAC(P, Uj-1). std::invalid_argument for 0
// iterations or a length over 2^32 - 1 hash lengths.
ByteString pbkdf2With(std::size_t hashBytes, const HmacFunction& hmac, const ByteString& password,
                      const ByteString& salt, std::uint64_t iterations, std::size_t length);

// The 255-hash-length limit, checked before any work.
void checkHkdfLength(std::size_t hashBytes, std::size_t length);
void checkPbkdf2Parameters(std::size_t hashBytes, std::uint64_t iterations, std::size_t length);

}  // namespace zelkor::detail
