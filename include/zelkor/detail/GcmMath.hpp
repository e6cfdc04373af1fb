#pragma once
// The parts of GCM (NIST SP 800-38D) that do not involve the block cipher:
// multiplication in GF(2^128), GHASH, the pre-counter block J0, inc32 and the
// parameter checks. Compiled into the library; zelkor/Gcm.hpp assembles them
// around a cipher's encryptBlock.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "zelkor/ByteString.hpp"

namespace zelkor::detail {

using GcmBlock = std::array<std::uint8_t, 16>;

// X * Y in GF(2^128) with GCM's bit order (the first bit of a block is the
// coefficient of x^0).
GcmBlock gfMultiply(const GcmBlock& x, const GcmBlock& y);

// GHASH under the hash subkey H, fed in pieces; each piece is zero-padded to
// a whole number of blocks, as GCM pads AAD and ciphertext.
class Ghash {
public:
    explicit Ghash(const GcmBlock& h);

    void absorbPadded(std::span<const std::uint8_t> bytes);
    // The final block: the two lengths as 64-bit big-endian numbers.
    void absorbLengths(std::uint64_t first, std::uint64_t second);
    const GcmBlock& value() const { return x_; }

private:
    void absorbBlock(const GcmBlock& block);
    GcmBlock h_;
    GcmBlock x_{};
};

// J0: a 96-bit IV followed by 0^31 1; any other IV through GHASH with its
// length in bits.
GcmBlock gcmPreCounterBlock(const GcmBlock& h, const ByteString& iv);

// A 16-byte IV whose pre-counter block under H is `j0` (H must not be zero):
// lets a test choose the initial counter of a non-96-bit IV, e.g. one whose
// low 32 bits are about to wrap.
ByteString gcmIvForPreCounterBlock(const GcmBlock& h, const GcmBlock& j0);

// Adds one to the last 32 bits of the block, modulo 2^32; the first 96 bits stay.
void inc32(GcmBlock& block);

// The tag S = GHASH(A padded || C padded || [len(A)]64 || [len(C)]64) xor E(J0).
GcmBlock gcmTag(const GcmBlock& h, const GcmBlock& encryptedJ0, const ByteString& aad, const ByteString& ciphertext);

// Compares the whole of both (equal lengths) without stopping at a difference.
bool constantTimeEqual(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

// std::invalid_argument naming the value: an IV of 0 bytes, a tag length other
// than 4, 8 or 12..16 bytes, input beyond GCM's limits (2^39 - 256 bits of
// plaintext, 2^61 - 1 bytes of AAD or IV).
void checkGcmIv(const ByteString& iv);
void checkGcmTagBytes(std::size_t tagBytes);
void checkGcmLengths(std::size_t textBytes, std::size_t aadBytes);

}  // namespace zelkor::detail
