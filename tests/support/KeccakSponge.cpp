#include "support/KeccakSponge.hpp"

#include <stdexcept>

#include <nettle/sha3.h>

namespace zelkor::testsupport::detail {
namespace {

// The state's bytes run through its 64-bit lanes least significant byte first.
void xorByte(sha3_state& state, std::size_t position, std::uint8_t byte) {
    state.a[position / 8] ^= static_cast<std::uint64_t>(byte) << (8 * (position % 8));
}

std::uint8_t byteAt(const sha3_state& state, std::size_t position) {
    return static_cast<std::uint8_t>(state.a[position / 8] >> (8 * (position % 8)));
}

}  // namespace

void keccakSponge(std::uint8_t domain, std::size_t rateBytes, std::span<const ByteString> chunks,
                  std::span<std::uint8_t> out) {
    if (rateBytes == 0 || rateBytes > 8 * SHA3_STATE_LENGTH || out.size() > rateBytes) {
        throw std::invalid_argument("keccakSponge: unsupported rate or output size");
    }
    sha3_state state{};
    std::size_t position = 0;
    for (const ByteString& chunk : chunks) {
        for (std::uint8_t byte : chunk) {
            xorByte(state, position++, byte);
            if (position == rateBytes) {
                sha3_permute(&state);
                position = 0;
            }
        }
    }
    xorByte(state, position, domain);
    xorByte(state, rateBytes - 1, 0x80);
    sha3_permute(&state);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = byteAt(state, i);
}

}  // namespace zelkor::testsupport::detail
