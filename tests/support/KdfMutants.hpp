#pragma once
// Digests over OpenSSL's SHA-256 whose own HKDF or PBKDF2 members have one
// classic fault each; hashing and HMAC are OpenSSL's, so only the KDF is wrong.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "OpenSSLDigests.hpp"
#include "support/HashMutants.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/Kdf.hpp"

namespace zelkor::testsupport::mutants {

enum class KdfFault {
    HkdfClampsLongOutput,       // an output over 255 hash lengths is cut to 255 hash lengths
    HkdfCounterFromZero,        // expand's block counter starts at 0
    Pbkdf2LittleEndianIndex,    // the block index is appended little-endian
    Pbkdf2OneIterationTooFew,   // c - 1 iterations
};

// Hashing and HMAC of D, for the digests below.
template <class Self, class D>
struct KdfDigestBase : DigestWrapper<Self, D> {
    using DigestWrapper<Self, D>::DigestWrapper;
    static constexpr std::size_t kHashBytes = static_cast<std::size_t>(D::outputLength) / 8;

    static Self hash(const ByteString& m) { return Self(D::hash(m)); }
    static Self hash(const ChunkedByteString& m) { return Self(D::hash(m)); }
    static Self hmac(const ByteString& k, const ByteString& m) { return Self(zelkor::hmac<D>(k, m)); }
    static Self hmac(const ByteString& k, const ChunkedByteString& m) { return Self(zelkor::hmac<D>(k, m)); }
};

// An own hkdfExpand with an HKDF fault.
template <KdfFault Fault, class D = reference::SHA256>
struct FaultyHkdfDigest : KdfDigestBase<FaultyHkdfDigest<Fault, D>, D> {
    using KdfDigestBase<FaultyHkdfDigest, D>::KdfDigestBase;
    static constexpr std::size_t kHashBytes = static_cast<std::size_t>(D::outputLength) / 8;

    static ByteString hkdfExpand(const ByteString& prk, const ByteString& info, std::size_t length) {
        if constexpr (Fault == KdfFault::HkdfClampsLongOutput) {
            return zelkor::hkdfExpand<D>(prk, info, std::min(length, 255 * kHashBytes));
        } else {
            zelkor::detail::checkHkdfLength(kHashBytes, length);
            std::vector<std::uint8_t> out;
            ByteString previous;
            for (unsigned counter = 0; out.size() < length; ++counter) {
                previous = zelkor::hmac<D>(prk, previous + info + ByteString{static_cast<std::uint8_t>(counter)}).encode();
                out.insert(out.end(), previous.begin(), previous.end());
            }
            out.resize(length);
            return ByteString(std::move(out));
        }
    }
};

// An own pbkdf2 with a PBKDF2 fault.
template <KdfFault Fault, class D = reference::SHA256>
struct FaultyPbkdf2Digest : KdfDigestBase<FaultyPbkdf2Digest<Fault, D>, D> {
    using KdfDigestBase<FaultyPbkdf2Digest, D>::KdfDigestBase;
    static constexpr std::size_t kHashBytes = static_cast<std::size_t>(D::outputLength) / 8;

    static ByteString pbkdf2(const ByteString& password, const ByteString& salt, std::uint64_t iterations,
                             std::size_t length) {
        zelkor::detail::checkPbkdf2Parameters(kHashBytes, iterations, length);
        const std::uint64_t rounds = Fault == KdfFault::Pbkdf2OneIterationTooFew ? iterations - 1 : iterations;
        std::vector<std::uint8_t> out;
        for (std::uint32_t block = 1; out.size() < length; ++block) {
            ByteString index{static_cast<std::uint8_t>(block >> 24), static_cast<std::uint8_t>(block >> 16),
                             static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block)};
            if constexpr (Fault == KdfFault::Pbkdf2LittleEndianIndex) {
                index = ByteString{index[3], index[2], index[1], index[0]};
            }
            ByteString u = zelkor::hmac<D>(password, salt + index).encode();
            std::vector<std::uint8_t> f = u.vector();
            for (std::uint64_t j = 1; j < rounds; ++j) {
                u = zelkor::hmac<D>(password, u).encode();
                for (std::size_t i = 0; i < f.size(); ++i) f[i] ^= u[i];
            }
            out.insert(out.end(), f.begin(), f.end());
        }
        out.resize(length);
        return ByteString(std::move(out));
    }
};

}  // namespace zelkor::testsupport::mutants
