#include "zelkor/tests/detail/checks/Generators.hpp"

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace zelkor::tests::detail {

namespace {

// Uniform over 0..max by rejection: keep the low bits under the smallest
// all-ones mask covering max and draw again while the value is above max.
std::uint64_t uniformUpTo(rc::Random& random, std::uint64_t max, std::uint64_t mask) {
    for (;;) {
        const std::uint64_t value = random.next() & mask;
        if (value <= max) return value;
    }
}

// The 64-bit subtract-with-carry engine of <random> (lags 5 and 12).
using ByteEngine = std::subtract_with_carry_engine<std::uint64_t, 64, 5, 12>;

// The number of random bits behind one byte at this size: RapidCheck scales
// integers linearly with the size, nominally 100, rounding to nearest.
int bitsPerByte(int size) {
    constexpr int nominal = 100;
    const int clamped = std::clamp(size, 0, nominal);
    return std::min(8, (clamped * 8 + nominal / 2) / nominal);
}

}  // namespace

ByteString drawByteString(const rc::Random& random, int size) {
    rc::Random lengthSource = random;
    rc::Random byteSource = lengthSource.split();
    const auto length = static_cast<std::size_t>(uniformUpTo(lengthSource, kMaxRandomLength, 0x1FFF));

    return ByteString::generate(length, [&](std::span<std::uint8_t> bytes) {
        const int bits = bitsPerByte(size);
        if (bits == 0) std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});  // what size 0 gives
        if (bits > 0 && length > 0) {
            // rc::Random spends about 160 instructions per 64-bit output, which
            // caps byte strings near 400 MB/s; so one draw from it seeds a
            // standard subtract-with-carry engine (cheap to seed, a few
            // instructions per 64 bits), which keeps the bytes a function of
            // RapidCheck's seed (so seed= and reproduce= replay them).
            ByteEngine expander(byteSource.next());
            if (bits == 8) {
                std::size_t i = 0;
                for (; i + 8 <= length; i += 8) {
                    const std::uint64_t word = expander();
                    std::memcpy(bytes.data() + i, &word, 8);
                }
                const std::uint64_t last = expander();
                std::memcpy(bytes.data() + i, &last, length - i);
            } else {
                // Each 64-bit output yields as many independent `bits`-bit values as fit.
                const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
                const int perDraw = 64 / bits;
                std::size_t i = 0;
                while (i < length) {
                    std::uint64_t word = expander();
                    for (int k = 0; k < perDraw && i < length; ++k, word >>= bits) {
                        bytes[i++] = static_cast<std::uint8_t>(word & mask);
                    }
                }
            }
        }
    });
}

ChunkedByteString drawChunkedByteString(const rc::Random& random, int size) {
    rc::Random countSource = random;
    rc::Random chunkSource = countSource.split();
    const auto count = static_cast<std::size_t>(uniformUpTo(countSource, kMaxRandomChunks, 0xF));

    std::vector<ByteString> chunks;
    chunks.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        chunks.push_back(drawByteString(chunkSource.split(), size));
    }
    return ChunkedByteString::fromChunks(std::move(chunks));
}

}  // namespace zelkor::tests::detail
