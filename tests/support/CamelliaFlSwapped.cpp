#include "support/CamelliaFlSwapped.hpp"

#include <stdexcept>
#include <utility>
#include <vector>

namespace zelkor::testsupport::camellia_detail {

namespace {

constexpr std::array<std::uint8_t, 256> kS1 = {
    0x70, 0x82, 0x2C, 0xEC, 0xB3, 0x27, 0xC0, 0xE5, 0xE4, 0x85, 0x57, 0x35, 0xEA, 0x0C, 0xAE, 0x41,
    0x23, 0xEF, 0x6B, 0x93, 0x45, 0x19, 0xA5, 0x21, 0xED, 0x0E, 0x4F, 0x4E, 0x1D, 0x65, 0x92, 0xBD,
    0x86, 0xB8, 0xAF, 0x8F, 0x7C, 0xEB, 0x1F, 0xCE, 0x3E, 0x30, 0xDC, 0x5F, 0x5E, 0xC5, 0x0B, 0x1A,
    0xA6, 0xE1, 0x39, 0xCA, 0xD5, 0x47, 0x5D, 0x3D, 0xD9, 0x01, 0x5A, 0xD6, 0x51, 0x56, 0x6C, 0x4D,
    0x8B, 0x0D, 0x9A, 0x66, 0xFB, 0xCC, 0xB0, 0x2D, 0x74, 0x12, 0x2B, 0x20, 0xF0, 0xB1, 0x84, 0x99,
    0xDF, 0x4C, 0xCB, 0xC2, 0x34, 0x7E, 0x76, 0x05, 0x6D, 0xB7, 0xA9, 0x31, 0xD1, 0x17, 0x04, 0xD7,
    0x14, 0x58, 0x3A, 0x61, 0xDE, 0x1B, 0x11, 0x1C, 0x32, 0x0F, 0x9C, 0x16, 0x53, 0x18, 0xF2, 0x22,
    0xFE, 0x44, 0xCF, 0xB2, 0xC3, 0xB5, 0x7A, 0x91, 0x24, 0x08, 0xE8, 0xA8, 0x60, 0xFC, 0x69, 0x50,
    0xAA, 0xD0, 0xA0, 0x7D, 0xA1, 0x89, 0x62, 0x97, 0x54, 0x5B, 0x1E, 0x95, 0xE0, 0xFF, 0x64, 0xD2,
    0x10, 0xC4, 0x00, 0x48, 0xA3, 0xF7, 0x75, 0xDB, 0x8A, 0x03, 0xE6, 0xDA, 0x09, 0x3F, 0xDD, 0x94,
    0x87, 0x5C, 0x83, 0x02, 0xCD, 0x4A, 0x90, 0x33, 0x73, 0x67, 0xF6, 0xF3, 0x9D, 0x7F, 0xBF, 0xE2,
    0x52, 0x9B, 0xD8, 0x26, 0xC8, 0x37, 0xC6, 0x3B, 0x81, 0x96, 0x6F, 0x4B, 0x13, 0xBE, 0x63, 0x2E,
    0xE9, 0x79, 0xA7, 0x8C, 0x9F, 0x6E, 0xBC, 0x8E, 0x29, 0xF5, 0xF9, 0xB6, 0x2F, 0xFD, 0xB4, 0x59,
    0x78, 0x98, 0x06, 0x6A, 0xE7, 0x46, 0x71, 0xBA, 0xD4, 0x25, 0xAB, 0x42, 0x88, 0xA2, 0x8D, 0xFA,
    0x72, 0x07, 0xB9, 0x55, 0xF8, 0xEE, 0xAC, 0x0A, 0x36, 0x49, 0x2A, 0x68, 0x3C, 0x38, 0xF1, 0xA4,
    0x40, 0x28, 0xD3, 0x7B, 0xBB, 0xC9, 0x43, 0xC1, 0x15, 0xE3, 0xAD, 0xF4, 0x77, 0xC7, 0x80, 0x9E,
};

std::uint8_t rotl8(std::uint8_t x, int n) { return static_cast<std::uint8_t>((x << n) | (x >> (8 - n))); }
std::uint32_t rotl32(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

std::uint8_t s1(std::uint8_t x) { return kS1[x]; }
std::uint8_t s2(std::uint8_t x) { return rotl8(kS1[x], 1); }
std::uint8_t s3(std::uint8_t x) { return rotl8(kS1[x], 7); }
std::uint8_t s4(std::uint8_t x) { return kS1[rotl8(x, 1)]; }

std::uint64_t f(std::uint64_t in, std::uint64_t key) {
    const std::uint64_t x = in ^ key;
    const auto byte = [x](int i) { return static_cast<std::uint8_t>(x >> (56 - 8 * i)); };
    const std::uint8_t t1 = s1(byte(0)), t2 = s2(byte(1)), t3 = s3(byte(2)), t4 = s4(byte(3));
    const std::uint8_t t5 = s2(byte(4)), t6 = s3(byte(5)), t7 = s4(byte(6)), t8 = s1(byte(7));
    const std::uint8_t y[8] = {
        static_cast<std::uint8_t>(t1 ^ t3 ^ t4 ^ t6 ^ t7 ^ t8), static_cast<std::uint8_t>(t1 ^ t2 ^ t4 ^ t5 ^ t7 ^ t8),
        static_cast<std::uint8_t>(t1 ^ t2 ^ t3 ^ t5 ^ t6 ^ t8), static_cast<std::uint8_t>(t2 ^ t3 ^ t4 ^ t5 ^ t6 ^ t7),
        static_cast<std::uint8_t>(t1 ^ t2 ^ t6 ^ t7 ^ t8),      static_cast<std::uint8_t>(t2 ^ t3 ^ t5 ^ t7 ^ t8),
        static_cast<std::uint8_t>(t3 ^ t4 ^ t5 ^ t6 ^ t8),      static_cast<std::uint8_t>(t1 ^ t4 ^ t5 ^ t6 ^ t7),
    };
    std::uint64_t out = 0;
    for (const std::uint8_t b : y) out = (out << 8) | b;
    return out;
}

std::uint64_t fl(std::uint64_t in, std::uint64_t key) {
    auto x1 = static_cast<std::uint32_t>(in >> 32), x2 = static_cast<std::uint32_t>(in);
    const auto k1 = static_cast<std::uint32_t>(key >> 32), k2 = static_cast<std::uint32_t>(key);
    x2 ^= rotl32(x1 & k1, 1);
    x1 ^= x2 | k2;
    return (std::uint64_t{x1} << 32) | x2;
}

std::uint64_t flInverse(std::uint64_t in, std::uint64_t key) {
    auto y1 = static_cast<std::uint32_t>(in >> 32), y2 = static_cast<std::uint32_t>(in);
    const auto k1 = static_cast<std::uint32_t>(key >> 32), k2 = static_cast<std::uint32_t>(key);
    y1 ^= y2 | k2;
    y2 ^= rotl32(y1 & k1, 1);
    return (std::uint64_t{y1} << 32) | y2;
}

// A 128-bit value as its two 64-bit halves, left first.
using Half2 = std::pair<std::uint64_t, std::uint64_t>;

Half2 rotl128(Half2 v, int n) {
    if (n >= 64) {
        v = {v.second, v.first};
        n -= 64;
    }
    if (n == 0) return v;
    return {(v.first << n) | (v.second >> (64 - n)), (v.second << n) | (v.first >> (64 - n))};
}

std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
    return v;
}

void store64(std::uint64_t v, std::uint8_t* p) {
    for (int i = 7; i >= 0; --i, v >>= 8) p[i] = static_cast<std::uint8_t>(v);
}

}  // namespace

Subkeys expand128(const ByteString& key) {
    constexpr std::uint64_t kSigma[4] = {0xA09E667F3BCC908BULL, 0xB67AE8584CAA73B2ULL, 0xC6EF372FE94F82BEULL,
                                         0x54FF53A5F1D36F1CULL};
    const Half2 kl{load64(key.data()), load64(key.data() + 8)};
    std::uint64_t d1 = kl.first, d2 = kl.second;
    d2 ^= f(d1, kSigma[0]);
    d1 ^= f(d2, kSigma[1]);
    d1 ^= kl.first;
    d2 ^= kl.second;
    d2 ^= f(d1, kSigma[2]);
    d1 ^= f(d2, kSigma[3]);
    const Half2 ka{d1, d2};
    Subkeys s{};
    const auto put = [](Half2 v, std::uint64_t& left, std::uint64_t& right) {
        left = v.first;
        right = v.second;
    };
    put(kl, s.kw[0], s.kw[1]);
    put(ka, s.k[0], s.k[1]);
    put(rotl128(kl, 15), s.k[2], s.k[3]);
    put(rotl128(ka, 15), s.k[4], s.k[5]);
    put(rotl128(ka, 30), s.ke[0], s.ke[1]);
    put(rotl128(kl, 45), s.k[6], s.k[7]);
    s.k[8] = rotl128(ka, 45).first;
    s.k[9] = rotl128(kl, 60).second;
    put(rotl128(ka, 60), s.k[10], s.k[11]);
    put(rotl128(kl, 77), s.ke[2], s.ke[3]);
    put(rotl128(kl, 94), s.k[12], s.k[13]);
    put(rotl128(ka, 94), s.k[14], s.k[15]);
    put(rotl128(kl, 111), s.k[16], s.k[17]);
    put(rotl128(ka, 111), s.kw[2], s.kw[3]);
    return s;
}

ByteString crypt(const Subkeys& keys, bool encrypt, bool flSwapped, const ByteString& blocks) {
    if (blocks.size() % 16 != 0) throw std::invalid_argument("Camellia: not whole 16-byte blocks");
    // Decryption is encryption with the subkeys in reverse order.
    std::array<std::uint64_t, 4> kw = keys.kw, ke = keys.ke;
    std::array<std::uint64_t, 18> k = keys.k;
    if (!encrypt) {
        kw = {keys.kw[2], keys.kw[3], keys.kw[0], keys.kw[1]};
        ke = {keys.ke[3], keys.ke[2], keys.ke[1], keys.ke[0]};
        for (std::size_t i = 0; i < 18; ++i) k[i] = keys.k[17 - i];
    }
    std::vector<std::uint8_t> out(blocks.size());
    for (std::size_t at = 0; at < blocks.size(); at += 16) {
        std::uint64_t d1 = load64(blocks.data() + at) ^ kw[0], d2 = load64(blocks.data() + at + 8) ^ kw[1];
        for (int layer = 0; layer < 3; ++layer) {
            if (layer > 0) {
                const std::uint64_t left = ke[2 * layer - 2], right = ke[2 * layer - 1];
                d1 = flSwapped ? flInverse(d1, left) : fl(d1, left);
                d2 = flSwapped ? fl(d2, right) : flInverse(d2, right);
            }
            for (int round = 0; round < 6; round += 2) {
                d2 ^= f(d1, k[6 * layer + round]);
                d1 ^= f(d2, k[6 * layer + round + 1]);
            }
        }
        store64(d2 ^ kw[2], out.data() + at);
        store64(d1 ^ kw[3], out.data() + at + 8);
    }
    return ByteString(std::move(out));
}

}  // namespace zelkor::testsupport::camellia_detail
