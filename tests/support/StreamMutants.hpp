#pragma once
// ChaCha20s with one classic fault each, over correct libraries.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "OpenSSLChaCha20.hpp"
#include "SodiumStreams.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/StreamCipher.hpp"

namespace zelkor::testsupport::mutants {

// Declares the IETF refusal at the end of the 32-bit block counter, but lets
// the counter carry into the first nonce word (OpenSSL's behaviour).
class ChaCha20CarryingIntoNonce {
    using Inner = reference::OpenSSLChaCha20;

public:
    static constexpr int keyLength = 256;
    static constexpr int blockLength = 512;
    static constexpr int counterLength = 32;
    static constexpr CounterEnd counterEnd = CounterEnd::Refused;

    static std::optional<ChaCha20CarryingIntoNonce> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return ChaCha20CarryingIntoNonce(*inner);
    }
    static bool acceptsNonce(std::size_t bytes) { return Inner::acceptsNonce(bytes); }

    ByteString apply(const ByteString& nonce, std::uint64_t offset, const ByteString& bytes) const {
        return inner_.apply(nonce, offset, bytes);
    }
    ChunkedByteString apply(const ByteString& nonce, std::uint64_t offset, const ChunkedByteString& bytes) const {
        return inner_.apply(nonce, offset, bytes);
    }

private:
    explicit ChaCha20CarryingIntoNonce(Inner inner) : inner_(inner) {}
    Inner inner_;
};

// Seeks to the block after the right one when the offset is not a multiple
// of 64 (the block number rounded up instead of down).
class ChaCha20SeekingOneBlockOff {
    using Inner = reference::SodiumChaCha20;

public:
    static constexpr int keyLength = 256;
    static constexpr int blockLength = 512;
    static constexpr int counterLength = 32;
    static constexpr CounterEnd counterEnd = CounterEnd::Refused;

    static std::optional<ChaCha20SeekingOneBlockOff> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return ChaCha20SeekingOneBlockOff(*inner);
    }
    static bool acceptsNonce(std::size_t bytes) { return Inner::acceptsNonce(bytes); }

    ByteString apply(const ByteString& nonce, std::uint64_t offset, const ByteString& bytes) const {
        return inner_.apply(nonce, seek(offset), bytes);
    }
    ChunkedByteString apply(const ByteString& nonce, std::uint64_t offset, const ChunkedByteString& bytes) const {
        return inner_.apply(nonce, seek(offset), bytes);
    }

private:
    explicit ChaCha20SeekingOneBlockOff(Inner inner) : inner_(inner) {}
    static std::uint64_t seek(std::uint64_t offset) { return offset % 64 == 0 ? offset : offset + 64; }
    Inner inner_;
};

}  // namespace zelkor::testsupport::mutants
