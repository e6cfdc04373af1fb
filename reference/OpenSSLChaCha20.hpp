#pragma once
// OpenSSL's ChaCha20 (EVP_chacha20) as a zelkor::StreamCipher with 12-byte
// nonces. OpenSSL's 32-bit block counter carries into the first nonce word
// (the two form one 64-bit counter), so this type declares
// CounterEnd::CarriesIntoNonce: safe for nonces of the original ChaCha, not
// for IETF nonces, where the stream runs into that of the next nonce.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "zelkor/ByteString.hpp"
#include "zelkor/StreamCipher.hpp"

namespace zelkor::reference {

class OpenSSLChaCha20 {
public:
    static constexpr int keyLength = 256;
    static constexpr int blockLength = 512;
    static constexpr int counterLength = 32;
    static constexpr CounterEnd counterEnd = CounterEnd::CarriesIntoNonce;

    static std::optional<OpenSSLChaCha20> buildKey(const ByteString& bytes);
    static bool acceptsNonce(std::size_t bytes) { return bytes == 12; }

    ByteString apply(const ByteString& nonce, std::uint64_t offset, const ByteString& bytes) const;
    // One OpenSSL context through every chunk: its own buffering of a
    // partial block is what gets tested.
    ChunkedByteString apply(const ByteString& nonce, std::uint64_t offset, const ChunkedByteString& bytes) const;

private:
    std::array<std::uint8_t, 32> key_{};
};

}  // namespace zelkor::reference
