#pragma once
// libsodium's ChaCha20 (IETF: 12-byte nonces, 32-bit block counter) and
// XChaCha20 (24-byte nonces, 64-bit block counter) as zelkor::StreamCipher
// types. libsodium aborts the process when the IETF counter would pass its
// end, so that type refuses such a call with std::out_of_range before
// calling: the refusal is the safe behaviour for IETF nonces. libsodium has no
// incremental interface: each chunk is its own call at its own offset.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "zelkor/ByteString.hpp"
#include "zelkor/StreamCipher.hpp"

namespace zelkor::reference {

enum class SodiumStreamKind { ChaCha20, XChaCha20 };

namespace detail {
ByteString sodiumStream(SodiumStreamKind kind, const std::uint8_t* key, const ByteString& nonce, std::uint64_t offset,
                        const ByteString& bytes);
ChunkedByteString sodiumStream(SodiumStreamKind kind, const std::uint8_t* key, const ByteString& nonce,
                               std::uint64_t offset, const ChunkedByteString& bytes);
}  // namespace detail

template <SodiumStreamKind Kind>
class SodiumStream {
public:
    static constexpr int keyLength = 256;
    static constexpr int blockLength = 512;
    static constexpr int counterLength = Kind == SodiumStreamKind::ChaCha20 ? 32 : 64;
    static constexpr CounterEnd counterEnd = CounterEnd::Refused;

    static std::optional<SodiumStream> buildKey(const ByteString& bytes) {
        if (bytes.size() != 32) return std::nullopt;
        SodiumStream cipher;
        std::copy(bytes.begin(), bytes.end(), cipher.key_.begin());
        return cipher;
    }
    static bool acceptsNonce(std::size_t bytes) { return bytes == (Kind == SodiumStreamKind::ChaCha20 ? 12u : 24u); }

    ByteString apply(const ByteString& nonce, std::uint64_t offset, const ByteString& bytes) const {
        return detail::sodiumStream(Kind, key_.data(), nonce, offset, bytes);
    }
    ChunkedByteString apply(const ByteString& nonce, std::uint64_t offset, const ChunkedByteString& bytes) const {
        return detail::sodiumStream(Kind, key_.data(), nonce, offset, bytes);
    }

private:
    std::array<std::uint8_t, 32> key_{};
};

using SodiumChaCha20 = SodiumStream<SodiumStreamKind::ChaCha20>;
using SodiumXChaCha20 = SodiumStream<SodiumStreamKind::XChaCha20>;

}  // namespace zelkor::reference
