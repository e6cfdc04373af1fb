#pragma once
// XOFs with one classic fault each: a sponge written here over nettle's
// Keccak-f[1600] permutation with the domain-separation byte as a parameter
// (0x1f is SHAKE, 0x06 SHA-3's byte), and a squeeze that starts over at
// every call, over libgcrypt's SHAKE128.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include <nettle/sha3.h>

#include "GcryptShake.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport::mutants {

template <std::uint8_t Domain, int RateBits>
class SpongeXof {
public:
    static constexpr int rateLength = RateBits;
    static constexpr bool squeezesRepeatedly = true;

    void absorb(const ByteString& bytes) {
        if (squeezing_) throw std::logic_error("absorb after a squeeze");
        for (std::uint8_t byte : bytes) {
            xorByte(position_++, byte);
            if (position_ == kRate) permute();
        }
    }

    ByteString squeeze(std::size_t bytes) {
        if (!squeezing_) {
            xorByte(position_, Domain);
            xorByte(kRate - 1, 0x80);
            permute();
            squeezing_ = true;
        }
        std::vector<std::uint8_t> out;
        for (std::size_t i = 0; i < bytes; ++i) {
            if (position_ == kRate) permute();
            out.push_back(static_cast<std::uint8_t>(state_.a[position_ / 8] >> (8 * (position_ % 8))));
            ++position_;
        }
        return ByteString(std::move(out));
    }

private:
    static constexpr std::size_t kRate = RateBits / 8;
    void xorByte(std::size_t at, std::uint8_t byte) { state_.a[at / 8] ^= std::uint64_t{byte} << (8 * (at % 8)); }
    void permute() {
        sha3_permute(&state_);
        position_ = 0;
    }

    sha3_state state_{};
    std::size_t position_ = 0;
    bool squeezing_ = false;
};

using Shake128 = SpongeXof<0x1f, 1344>;
using Shake128WithSha3Padding = SpongeXof<0x06, 1344>;

// Every squeeze starts the output over from its first byte.
class Shake128RestartingEachSqueeze {
public:
    static constexpr int rateLength = 1344;
    static constexpr bool squeezesRepeatedly = true;

    void absorb(const ByteString& bytes) {
        if (squeezed_) throw std::logic_error("absorb after a squeeze");
        message_ = message_ + bytes;
    }
    ByteString squeeze(std::size_t bytes) {
        squeezed_ = true;
        reference::GcryptShake128 fresh;
        fresh.absorb(message_);
        return fresh.squeeze(bytes);
    }

private:
    ByteString message_;
    bool squeezed_ = false;
};

}  // namespace zelkor::testsupport::mutants
