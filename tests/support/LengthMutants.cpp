// OpenSSL keeps SHA256_Init/Update/Final for compatibility; they expose the
// bit counter this mutant needs.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "support/LengthMutants.hpp"

#include <openssl/sha.h>

namespace zelkor::testsupport::detail {

std::array<std::uint8_t, 32> faultySha256(LengthFault fault, std::span<const ByteString> chunks) {
    SHA256_CTX ctx;
    SHA256_Init(&ctx);
    for (const ByteString& chunk : chunks) {
        std::size_t size = chunk.size();
        if (fault == LengthFault::UpdateLengthIn32Bits) size = static_cast<std::uint32_t>(size);
        SHA256_Update(&ctx, chunk.data(), size);
    }
    // The counter's high word holds the bits beyond 2^32.
    if (fault == LengthFault::BitCountIn32Bits) ctx.Nh = 0;
    std::array<std::uint8_t, 32> out{};
    SHA256_Final(out.data(), &ctx);
    return out;
}

}  // namespace zelkor::testsupport::detail
