#include "zelkor/detail/GcmMath.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace zelkor::detail {

namespace {

struct Halves {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;
};

Halves load(const GcmBlock& block) {
    Halves h;
    for (int i = 0; i < 8; ++i) h.hi = (h.hi << 8) | block[static_cast<std::size_t>(i)];
    for (int i = 8; i < 16; ++i) h.lo = (h.lo << 8) | block[static_cast<std::size_t>(i)];
    return h;
}

GcmBlock store(Halves h) {
    GcmBlock block;
    for (int i = 7; i >= 0; --i, h.hi >>= 8) block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(h.hi);
    for (int i = 15; i >= 8; --i, h.lo >>= 8) block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(h.lo);
    return block;
}

void putBigEndian64(std::uint8_t* out, std::uint64_t value) {
    for (int i = 7; i >= 0; --i, value >>= 8) out[i] = static_cast<std::uint8_t>(value);
}

// 2^39 - 256 bits of plaintext; 2^64 - 1 bits (so 2^61 - 1 whole bytes) of AAD and IV.
constexpr std::uint64_t kMaxTextBytes = ((std::uint64_t{1} << 39) - 256) / 8;
constexpr std::uint64_t kMaxAadBytes = (std::uint64_t{1} << 61) - 1;

}  // namespace

// SP 800-38D, algorithm 1, on two 64-bit halves: the block's first bit is the
// most significant bit of `hi`.
GcmBlock gfMultiply(const GcmBlock& x, const GcmBlock& y) {
    const Halves a = load(x);
    Halves v = load(y);
    Halves z;
    for (int i = 0; i < 128; ++i) {
        const std::uint64_t word = i < 64 ? a.hi : a.lo;
        const std::uint64_t bit = (word >> (63 - (i % 64))) & 1;
        const std::uint64_t mask = 0 - bit;  // no branch on the data
        z.hi ^= v.hi & mask;
        z.lo ^= v.lo & mask;
        const std::uint64_t carry = 0 - (v.lo & 1);
        v.lo = (v.lo >> 1) | (v.hi << 63);
        v.hi = (v.hi >> 1) ^ (0xe100000000000000ULL & carry);
    }
    return store(z);
}

Ghash::Ghash(const GcmBlock& h) : h_(h) {}

void Ghash::absorbBlock(const GcmBlock& block) {
    for (std::size_t i = 0; i < 16; ++i) x_[i] ^= block[i];
    x_ = gfMultiply(x_, h_);
}

void Ghash::absorbPadded(std::span<const std::uint8_t> bytes) {
    for (std::size_t pos = 0; pos < bytes.size(); pos += 16) {
        GcmBlock block{};
        const std::size_t n = std::min<std::size_t>(16, bytes.size() - pos);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(pos), n, block.begin());
        absorbBlock(block);
    }
}

void Ghash::absorbLengths(std::uint64_t first, std::uint64_t second) {
    GcmBlock block;
    putBigEndian64(block.data(), first);
    putBigEndian64(block.data() + 8, second);
    absorbBlock(block);
}

GcmBlock gcmPreCounterBlock(const GcmBlock& h, const ByteString& iv) {
    GcmBlock j0{};
    if (iv.size() == 12) {
        std::copy(iv.begin(), iv.end(), j0.begin());
        j0[15] = 1;
        return j0;
    }
    Ghash ghash(h);
    ghash.absorbPadded(iv.span());
    ghash.absorbLengths(0, static_cast<std::uint64_t>(iv.size()) * 8);
    return ghash.value();
}

namespace {

// x^(2^128 - 2) = x^-1 in GF(2^128): 2^128 - 2 has every bit set but the lowest.
GcmBlock gfInverse(const GcmBlock& x) {
    GcmBlock result{};
    result[0] = 0x80;  // the field's 1
    GcmBlock power = x;
    for (int bit = 0; bit < 128; ++bit) {
        if (bit != 0) result = gfMultiply(result, power);
        power = gfMultiply(power, power);
    }
    return result;
}

}  // namespace

// For a one-block IV X: J0 = ((X * H) xor L) * H with L = [0]64 || [128]64,
// so X = ((J0 * H^-1) xor L) * H^-1.
ByteString gcmIvForPreCounterBlock(const GcmBlock& h, const GcmBlock& j0) {
    const GcmBlock inverse = gfInverse(h);
    GcmBlock x = gfMultiply(j0, inverse);
    x[15] ^= 0x80;  // L: 128 bits of IV
    x = gfMultiply(x, inverse);
    return ByteString(x.data(), x.size());
}

// As a 32-bit sum rather than a byte loop that stops at the carry: the counter
// block of an IV other than 12 bytes comes from GHASH under the secret hash
// key, so it must not steer branches.
void inc32(GcmBlock& block) {
    std::uint32_t counter = 0;
    for (std::size_t i = 12; i < 16; ++i) counter = (counter << 8) | block[i];
    ++counter;
    for (std::size_t i = 16; i-- > 12; counter >>= 8) block[i] = static_cast<std::uint8_t>(counter);
}

GcmBlock gcmTag(const GcmBlock& h, const GcmBlock& encryptedJ0, const ByteString& aad, const ByteString& ciphertext) {
    Ghash ghash(h);
    ghash.absorbPadded(aad.span());
    ghash.absorbPadded(ciphertext.span());
    ghash.absorbLengths(static_cast<std::uint64_t>(aad.size()) * 8, static_cast<std::uint64_t>(ciphertext.size()) * 8);
    GcmBlock tag = ghash.value();
    for (std::size_t i = 0; i < 16; ++i) tag[i] ^= encryptedJ0[i];
    return tag;
}

bool constantTimeEqual(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    if (a.size() != b.size()) return false;
    std::uint8_t difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<std::uint8_t>(a[i] ^ b[i]);
    return difference == 0;
}

void checkGcmIv(const ByteString& iv) {
    if (iv.size() == 0) throw std::invalid_argument("GCM: IV of 0 bytes (at least 1 is needed)");
    if (iv.size() > kMaxAadBytes)
        throw std::invalid_argument("GCM: IV of " + std::to_string(iv.size()) + " bytes is longer than 2^64 - 1 bits");
}

void checkGcmTagBytes(std::size_t tagBytes) {
    if (tagBytes == 4 || tagBytes == 8 || (tagBytes >= 12 && tagBytes <= 16)) return;
    throw std::invalid_argument("GCM: tag of " + std::to_string(tagBytes) + " bytes (4, 8 or 12 to 16 are allowed)");
}

void checkGcmLengths(std::size_t textBytes, std::size_t aadBytes) {
    if (textBytes > kMaxTextBytes)
        throw std::invalid_argument("GCM: text of " + std::to_string(textBytes) + " bytes is longer than 2^39 - 256 bits");
    if (aadBytes > kMaxAadBytes)
        throw std::invalid_argument("GCM: AAD of " + std::to_string(aadBytes) + " bytes is longer than 2^64 - 1 bits");
}

}  // namespace zelkor::detail
