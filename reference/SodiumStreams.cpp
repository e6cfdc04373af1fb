#include "SodiumStreams.hpp"

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <sodium.h>

namespace zelkor::reference::detail {

namespace {

void requireUsable(SodiumStreamKind kind, const ByteString& nonce, std::uint64_t offset, std::uint64_t bytes) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium: sodium_init failed");
    const std::size_t nonceBytes = kind == SodiumStreamKind::ChaCha20 ? crypto_stream_chacha20_ietf_NONCEBYTES
                                                                      : crypto_stream_xchacha20_NONCEBYTES;
    if (nonce.size() != nonceBytes) {
        throw std::invalid_argument("libsodium stream: nonce of " + std::to_string(nonce.size()) + " bytes, needs " +
                                    std::to_string(nonceBytes));
    }
    if (bytes > std::numeric_limits<std::uint64_t>::max() - offset) {
        throw std::out_of_range("libsodium stream: bytes past 2^64 of the stream");
    }
    // libsodium aborts when the IETF counter would pass 2^32 blocks.
    if (kind == SodiumStreamKind::ChaCha20 && bytes > 0 && (offset + bytes - 1) / 64 > 0xffffffffu) {
        throw std::out_of_range("libsodium ChaCha20: past the end of its 32-bit block counter");
    }
}

// The keystream from the start of the block holding `offset`, the bytes
// before it in the block taken as zeros and cut off.
ByteString xorAt(SodiumStreamKind kind, const std::uint8_t* key, const ByteString& nonce, std::uint64_t offset,
                 const ByteString& bytes) {
    if (bytes.size() == 0) return ByteString();
    const std::size_t lead = static_cast<std::size_t>(offset % 64);
    std::vector<std::uint8_t> buffer(lead + bytes.size(), 0);
    std::copy(bytes.begin(), bytes.end(), buffer.begin() + static_cast<std::ptrdiff_t>(lead));
    const std::uint64_t block = offset / 64;
    if (kind == SodiumStreamKind::ChaCha20) {
        crypto_stream_chacha20_ietf_xor_ic(buffer.data(), buffer.data(), buffer.size(), nonce.data(),
                                           static_cast<std::uint32_t>(block), key);
    } else {
        crypto_stream_xchacha20_xor_ic(buffer.data(), buffer.data(), buffer.size(), nonce.data(), block, key);
    }
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(lead));
    return ByteString(std::move(buffer));
}

}  // namespace

ByteString sodiumStream(SodiumStreamKind kind, const std::uint8_t* key, const ByteString& nonce, std::uint64_t offset,
                        const ByteString& bytes) {
    requireUsable(kind, nonce, offset, bytes.size());
    return xorAt(kind, key, nonce, offset, bytes);
}

ChunkedByteString sodiumStream(SodiumStreamKind kind, const std::uint8_t* key, const ByteString& nonce,
                               std::uint64_t offset, const ChunkedByteString& bytes) {
    requireUsable(kind, nonce, offset, bytes.size());
    std::vector<ByteString> out;
    for (const ByteString& chunk : bytes.chunks()) {
        out.push_back(xorAt(kind, key, nonce, offset, chunk));
        offset += chunk.size();
    }
    return ChunkedByteString::fromChunks(std::move(out));
}

}  // namespace zelkor::reference::detail
