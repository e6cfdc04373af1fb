#pragma once
// Poly1305 and SipHash-2-4 written out with a switch for one classic fault
// each; with the switch off they are correct (the tests check that too).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport::mutants {

inline std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline std::uint64_t le64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(le32(p)) | static_cast<std::uint64_t>(le32(p + 4)) << 32;
}

// The MAC plumbing both share: lengths declared, key kept.
template <class Self, std::size_t KeyBytes, std::size_t TagBytes>
struct WrittenOutMac {
    static constexpr int tagLength = static_cast<int>(TagBytes * 8);
    static bool acceptsKey(std::size_t bytes) { return bytes == KeyBytes; }
    static bool acceptsTag(std::size_t bytes) { return bytes == TagBytes; }
    static std::optional<Self> buildKey(const ByteString& bytes) {
        if (bytes.size() != KeyBytes) return std::nullopt;
        Self mac;
        mac.key = bytes.vector();
        return mac;
    }
    ByteString tag(const ByteString& message, std::size_t tagBytes) const {
        if (tagBytes != TagBytes) throw std::invalid_argument("tag of " + std::to_string(tagBytes) + " bytes");
        return static_cast<const Self&>(*this).compute(message);
    }
    ByteString tag(const ChunkedByteString& message, std::size_t tagBytes) const {
        return tag(message.toStrict(), tagBytes);
    }
    std::vector<std::uint8_t> key;
};

// Poly1305 in 26-bit limbs. Without the final carry, h is left partly
// reduced, which only the edge cases of the last reduction show.
template <bool WithFinalCarry>
struct WrittenOutPoly1305 : WrittenOutMac<WrittenOutPoly1305<WithFinalCarry>, 32, 16> {
    ByteString compute(const ByteString& message) const {
        constexpr std::uint32_t m26 = 0x3ffffff;
        const std::uint8_t* k = this->key.data();
        const std::uint32_t r0 = le32(k) & m26, r1 = (le32(k + 3) >> 2) & 0x3ffff03, r2 = (le32(k + 6) >> 4) & 0x3ffc0ff,
                            r3 = (le32(k + 9) >> 6) & 0x3f03fff, r4 = (le32(k + 12) >> 8) & 0x00fffff;
        const std::uint64_t s1 = r1 * 5ull, s2 = r2 * 5ull, s3 = r3 * 5ull, s4 = r4 * 5ull;
        std::uint32_t h0 = 0, h1 = 0, h2 = 0, h3 = 0, h4 = 0;
        for (std::size_t at = 0; at < message.size(); at += 16) {
            std::array<std::uint8_t, 17> block{};
            const std::size_t n = std::min<std::size_t>(16, message.size() - at);
            for (std::size_t i = 0; i < n; ++i) block[i] = message[at + i];
            const std::uint32_t hibit = n == 16 ? (1u << 24) : 0;
            if (n < 16) block[n] = 1;
            h0 += le32(&block[0]) & m26;
            h1 += (le32(&block[3]) >> 2) & m26;
            h2 += (le32(&block[6]) >> 4) & m26;
            h3 += (le32(&block[9]) >> 6) & m26;
            h4 += (le32(&block[12]) >> 8) | hibit;
            const std::uint64_t d0 = h0 * std::uint64_t{r0} + h1 * s4 + h2 * s3 + h3 * s2 + h4 * s1;
            std::uint64_t d1 = h0 * std::uint64_t{r1} + h1 * std::uint64_t{r0} + h2 * s4 + h3 * s3 + h4 * s2;
            std::uint64_t d2 = h0 * std::uint64_t{r2} + h1 * std::uint64_t{r1} + h2 * std::uint64_t{r0} + h3 * s4 + h4 * s3;
            std::uint64_t d3 = h0 * std::uint64_t{r3} + h1 * std::uint64_t{r2} + h2 * std::uint64_t{r1} +
                               h3 * std::uint64_t{r0} + h4 * s4;
            std::uint64_t d4 = h0 * std::uint64_t{r4} + h1 * std::uint64_t{r3} + h2 * std::uint64_t{r2} +
                               h3 * std::uint64_t{r1} + h4 * std::uint64_t{r0};
            std::uint32_t c = static_cast<std::uint32_t>(d0 >> 26);
            h0 = static_cast<std::uint32_t>(d0) & m26;
            d1 += c; c = static_cast<std::uint32_t>(d1 >> 26); h1 = static_cast<std::uint32_t>(d1) & m26;
            d2 += c; c = static_cast<std::uint32_t>(d2 >> 26); h2 = static_cast<std::uint32_t>(d2) & m26;
            d3 += c; c = static_cast<std::uint32_t>(d3 >> 26); h3 = static_cast<std::uint32_t>(d3) & m26;
            d4 += c; c = static_cast<std::uint32_t>(d4 >> 26); h4 = static_cast<std::uint32_t>(d4) & m26;
            h0 += c * 5; c = h0 >> 26; h0 &= m26; h1 += c;
        }
        if constexpr (WithFinalCarry) {
            std::uint32_t c = h1 >> 26; h1 &= m26;
            h2 += c; c = h2 >> 26; h2 &= m26;
            h3 += c; c = h3 >> 26; h3 &= m26;
            h4 += c; c = h4 >> 26; h4 &= m26;
            h0 += c * 5; c = h0 >> 26; h0 &= m26;
            h1 += c;
        }
        // h - p when h >= p = 2^130 - 5, else h.
        std::uint32_t g0 = h0 + 5, c = g0 >> 26; g0 &= m26;
        std::uint32_t g1 = h1 + c; c = g1 >> 26; g1 &= m26;
        std::uint32_t g2 = h2 + c; c = g2 >> 26; g2 &= m26;
        std::uint32_t g3 = h3 + c; c = g3 >> 26; g3 &= m26;
        const std::uint32_t g4 = h4 + c - (1u << 26);
        const std::uint32_t keep = (g4 >> 31) - 1;  // all ones when h >= p
        h0 = (h0 & ~keep) | (g0 & keep); h1 = (h1 & ~keep) | (g1 & keep); h2 = (h2 & ~keep) | (g2 & keep);
        h3 = (h3 & ~keep) | (g3 & keep); h4 = (h4 & ~keep) | (g4 & keep);
        const std::uint32_t w0 = h0 | h1 << 26, w1 = h1 >> 6 | h2 << 20, w2 = h2 >> 12 | h3 << 14, w3 = h3 >> 18 | h4 << 8;
        std::vector<std::uint8_t> out(16);
        std::uint64_t f = 0;
        const std::uint32_t words[4] = {w0, w1, w2, w3};
        for (int i = 0; i < 4; ++i) {
            f = (f >> 32) + words[i] + le32(k + 16 + 4 * i);
            for (int b = 0; b < 4; ++b) out[4 * i + b] = static_cast<std::uint8_t>(f >> (8 * b));
        }
        return ByteString(std::move(out));
    }
};

// SipHash-2-4 with 64-bit output; `Finalisation` is XORed into v2 before the
// last rounds (0xff for 64-bit output, 0xee for SipHash's 128-bit output).
template <std::uint8_t Finalisation>
struct WrittenOutSipHash24 : WrittenOutMac<WrittenOutSipHash24<Finalisation>, 16, 8> {
    ByteString compute(const ByteString& message) const {
        const std::uint64_t k0 = le64(this->key.data()), k1 = le64(this->key.data() + 8);
        std::uint64_t v[4] = {k0 ^ 0x736f6d6570736575ull, k1 ^ 0x646f72616e646f6dull, k0 ^ 0x6c7967656e657261ull,
                              k1 ^ 0x7465646279746573ull};
        const auto rotl = [](std::uint64_t x, int b) { return (x << b) | (x >> (64 - b)); };
        const auto rounds = [&](int n) {
            for (int i = 0; i < n; ++i) {
                v[0] += v[1]; v[1] = rotl(v[1], 13); v[1] ^= v[0]; v[0] = rotl(v[0], 32);
                v[2] += v[3]; v[3] = rotl(v[3], 16); v[3] ^= v[2];
                v[0] += v[3]; v[3] = rotl(v[3], 21); v[3] ^= v[0];
                v[2] += v[1]; v[1] = rotl(v[1], 17); v[1] ^= v[2]; v[2] = rotl(v[2], 32);
            }
        };
        const std::size_t whole = message.size() / 8 * 8;
        for (std::size_t at = 0; at < whole; at += 8) {
            const std::uint64_t m = le64(message.data() + at);
            v[3] ^= m;
            rounds(2);
            v[0] ^= m;
        }
        std::uint64_t last = static_cast<std::uint64_t>(message.size()) << 56;
        for (std::size_t i = whole; i < message.size(); ++i) last |= static_cast<std::uint64_t>(message[i]) << (8 * (i - whole));
        v[3] ^= last;
        rounds(2);
        v[0] ^= last;
        v[2] ^= Finalisation;
        rounds(4);
        const std::uint64_t out = v[0] ^ v[1] ^ v[2] ^ v[3];
        std::vector<std::uint8_t> bytes(8);
        for (int b = 0; b < 8; ++b) bytes[b] = static_cast<std::uint8_t>(out >> (8 * b));
        return ByteString(std::move(bytes));
    }
};

}  // namespace zelkor::testsupport::mutants
