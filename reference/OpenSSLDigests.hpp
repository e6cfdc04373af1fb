#pragma once
// Reference digests backed by OpenSSL's EVP interface: MD5, the SHA-1 and
// SHA-2 family (SHA-512/224 and SHA-512/256 included) and SHA-3, each with HMAC
// from OpenSSL's own implementation.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>

#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

enum class DigestAlgorithm {
    MD5, SHA1, SHA224, SHA256, SHA384, SHA512,
    SHA512_224, SHA512_256, SHA3_224, SHA3_256, SHA3_384, SHA3_512,
};

namespace detail {
// The digest of the concatenated chunks (one EVP_DigestUpdate per chunk).
void opensslDigest(DigestAlgorithm algorithm, std::span<const ByteString> chunks, std::span<std::uint8_t> out);
// The HMAC of the concatenated chunks under `key` (one EVP_MAC_update per chunk).
void opensslHmac(DigestAlgorithm algorithm, const ByteString& key, std::span<const ByteString> chunks,
                 std::span<std::uint8_t> out);
void writeHex(std::ostream& os, std::span<const std::uint8_t> bytes);
}  // namespace detail

template <DigestAlgorithm Algorithm, int OutputBits, int BlockBits>
class OpenSSLDigest {
public:
    static constexpr int outputLength = OutputBits;
    static constexpr int blockLength = BlockBits;

    static OpenSSLDigest hash(const ByteString& message) {
        OpenSSLDigest d;
        detail::opensslDigest(Algorithm, std::span(&message, 1), d.bytes_);
        return d;
    }
    static OpenSSLDigest hash(const ChunkedByteString& message) {
        OpenSSLDigest d;
        detail::opensslDigest(Algorithm, message.chunks(), d.bytes_);
        return d;
    }

    static OpenSSLDigest hmac(const ByteString& key, const ByteString& message) {
        OpenSSLDigest d;
        detail::opensslHmac(Algorithm, key, std::span(&message, 1), d.bytes_);
        return d;
    }
    static OpenSSLDigest hmac(const ByteString& key, const ChunkedByteString& message) {
        OpenSSLDigest d;
        detail::opensslHmac(Algorithm, key, message.chunks(), d.bytes_);
        return d;
    }

    ByteString encode() const { return ByteString(bytes_.data(), bytes_.size()); }

    // Reads the first outputLength/8 bytes and ignores the rest; none when
    // there are fewer.
    static std::optional<OpenSSLDigest> decode(const ByteString& bytes) {
        if (bytes.size() < kBytes) return std::nullopt;
        OpenSSLDigest d;
        std::copy_n(bytes.begin(), kBytes, d.bytes_.begin());
        return d;
    }

    friend bool operator==(const OpenSSLDigest&, const OpenSSLDigest&) = default;

    // Lowercase hex of the raw digest.
    friend std::ostream& operator<<(std::ostream& os, const OpenSSLDigest& d) {
        detail::writeHex(os, d.bytes_);
        return os;
    }

private:
    static constexpr std::size_t kBytes = OutputBits / 8;
    std::array<std::uint8_t, kBytes> bytes_{};
};

using MD5 = OpenSSLDigest<DigestAlgorithm::MD5, 128, 512>;
using SHA1 = OpenSSLDigest<DigestAlgorithm::SHA1, 160, 512>;
using SHA224 = OpenSSLDigest<DigestAlgorithm::SHA224, 224, 512>;
using SHA256 = OpenSSLDigest<DigestAlgorithm::SHA256, 256, 512>;
using SHA384 = OpenSSLDigest<DigestAlgorithm::SHA384, 384, 1024>;
using SHA512 = OpenSSLDigest<DigestAlgorithm::SHA512, 512, 1024>;
using SHA512_224 = OpenSSLDigest<DigestAlgorithm::SHA512_224, 224, 1024>;
using SHA512_256 = OpenSSLDigest<DigestAlgorithm::SHA512_256, 256, 1024>;
// SHA-3's block is its rate: 1600 bits of state minus twice the output.
using SHA3_224 = OpenSSLDigest<DigestAlgorithm::SHA3_224, 224, 1152>;
using SHA3_256 = OpenSSLDigest<DigestAlgorithm::SHA3_256, 256, 1088>;
using SHA3_384 = OpenSSLDigest<DigestAlgorithm::SHA3_384, 384, 832>;
using SHA3_512 = OpenSSLDigest<DigestAlgorithm::SHA3_512, 512, 576>;

}  // namespace zelkor::reference
