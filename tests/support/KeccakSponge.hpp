#pragma once
// A SHA-3 sponge written here over nettle's Keccak-f[1600] permutation, with
// the domain-separation byte as a parameter: 0x06 gives SHA-3, 0x01 the padding
// of the original Keccak submission (a SHA-3 built from old Keccak code).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

namespace detail {
// Absorbs the concatenated chunks at `rateBytes` per permutation, pads with
// `domain` ... 0x80 and squeezes out.size() bytes (at most one block).
void keccakSponge(std::uint8_t domain, std::size_t rateBytes, std::span<const ByteString> chunks,
                  std::span<std::uint8_t> out);
}  // namespace detail

// SHA-3 with OutputBits of output when Domain is 0x06.
template <std::uint8_t Domain, int OutputBits>
class SpongeDigest {
public:
    static constexpr int outputLength = OutputBits;
    static constexpr int blockLength = 1600 - 2 * OutputBits;

    static SpongeDigest hash(const ByteString& message) { return hash(std::span(&message, 1)); }
    static SpongeDigest hash(const ChunkedByteString& message) { return hash(message.chunks()); }

    ByteString encode() const { return bytes_; }
    static std::optional<SpongeDigest> decode(const ByteString& bytes) {
        if (bytes.size() < kBytes) return std::nullopt;
        return SpongeDigest(bytes.take(kBytes));
    }
    friend bool operator==(const SpongeDigest&, const SpongeDigest&) = default;

private:
    static constexpr std::size_t kBytes = OutputBits / 8;
    explicit SpongeDigest(ByteString bytes) : bytes_(std::move(bytes)) {}
    static SpongeDigest hash(std::span<const ByteString> chunks) {
        std::array<std::uint8_t, kBytes> out{};
        detail::keccakSponge(Domain, blockLength / 8, chunks, out);
        return SpongeDigest(ByteString(out.data(), out.size()));
    }
    ByteString bytes_;
};

}  // namespace zelkor::testsupport
