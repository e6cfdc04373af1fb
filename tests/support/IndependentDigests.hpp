#pragma once
// Digests from nettle, a second implementation to check OpenSSL's against.
// They have no hmac of their own, so zelkor::hmac uses its generic one.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>

#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

enum class NettleAlgorithm {
    MD5, SHA1, SHA224, SHA256, SHA384, SHA512,
    SHA512_224, SHA512_256, SHA3_224, SHA3_256, SHA3_384, SHA3_512,
};

namespace detail {
// The digest of the concatenated chunks, fed to nettle one chunk at a time.
void nettleDigest(NettleAlgorithm algorithm, std::span<const ByteString> chunks, std::span<std::uint8_t> out);
}

template <NettleAlgorithm Algorithm, int OutputBits, int BlockBits>
class NettleDigest {
public:
    static constexpr int outputLength = OutputBits;
    static constexpr int blockLength = BlockBits;

    static NettleDigest hash(const ByteString& message) {
        NettleDigest d;
        detail::nettleDigest(Algorithm, std::span(&message, 1), d.bytes_);
        return d;
    }
    static NettleDigest hash(const ChunkedByteString& message) {
        NettleDigest d;
        detail::nettleDigest(Algorithm, message.chunks(), d.bytes_);
        return d;
    }

    ByteString encode() const { return ByteString(bytes_.data(), bytes_.size()); }

    static std::optional<NettleDigest> decode(const ByteString& bytes) {
        if (bytes.size() < kBytes) return std::nullopt;
        NettleDigest d;
        std::copy_n(bytes.begin(), kBytes, d.bytes_.begin());
        return d;
    }

    friend bool operator==(const NettleDigest&, const NettleDigest&) = default;
    friend std::ostream& operator<<(std::ostream& os, const NettleDigest& d) { return os << d.encode(); }

private:
    static constexpr std::size_t kBytes = OutputBits / 8;
    std::array<std::uint8_t, kBytes> bytes_{};
};

using NettleMD5 = NettleDigest<NettleAlgorithm::MD5, 128, 512>;
using NettleSHA1 = NettleDigest<NettleAlgorithm::SHA1, 160, 512>;
using NettleSHA224 = NettleDigest<NettleAlgorithm::SHA224, 224, 512>;
using NettleSHA256 = NettleDigest<NettleAlgorithm::SHA256, 256, 512>;
using NettleSHA384 = NettleDigest<NettleAlgorithm::SHA384, 384, 1024>;
using NettleSHA512 = NettleDigest<NettleAlgorithm::SHA512, 512, 1024>;
using NettleSHA512_224 = NettleDigest<NettleAlgorithm::SHA512_224, 224, 1024>;
using NettleSHA512_256 = NettleDigest<NettleAlgorithm::SHA512_256, 256, 1024>;
using NettleSHA3_224 = NettleDigest<NettleAlgorithm::SHA3_224, 224, 1152>;
using NettleSHA3_256 = NettleDigest<NettleAlgorithm::SHA3_256, 256, 1088>;
using NettleSHA3_384 = NettleDigest<NettleAlgorithm::SHA3_384, 384, 832>;
using NettleSHA3_512 = NettleDigest<NettleAlgorithm::SHA3_512, 512, 576>;

}  // namespace zelkor::testsupport
