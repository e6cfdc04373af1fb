#include "zelkor/tests/detail/cipher/BlockCipherPropHelpers.hpp"

#include <stdexcept>
#include <string>

namespace zelkor::tests::detail {

ByteString keyBytesFromMaterial(const ByteString& material, long n) {
    if (n <= 0) return {};
    const std::size_t unit = material.size() + 1;  // the material, then one 0x00
    std::vector<std::uint8_t> key(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < key.size(); ++i) {
        const std::size_t pos = i % unit;
        key[i] = pos < material.size() ? material[pos] : 0x00;
    }
    return ByteString(std::move(key));
}

ChunkedByteString takeWholeBlocks(const ChunkedByteString& plaintext, std::size_t blockBytes) {
    if (blockBytes == 0) {
        throw std::invalid_argument(
            "takeWholeBlocks: the cipher's block size is 0 bytes; it needs at least 8 bits");
    }
    std::size_t remaining = plaintext.size() - plaintext.size() % blockBytes;
    std::vector<ByteString> kept;
    for (const ByteString& chunk : plaintext.chunks()) {
        if (remaining == 0) break;
        kept.push_back(chunk.take(remaining));
        remaining -= kept.back().size();
    }
    return ChunkedByteString::fromChunks(std::move(kept));
}

}  // namespace zelkor::tests::detail
