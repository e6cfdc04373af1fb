#pragma once
// ESP padding (RFC 4303): the message, then the pad bytes 1, 2, ..., n, then
// one byte holding n, with n the smallest count that makes the total a whole
// number of blocks.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor {

// Pads to a multiple of `blockBytes`. The pad length must fit in its one byte,
// so a block of 0 bytes or of more than 256 bytes is refused.
inline ByteString padESP(std::size_t blockBytes, const ByteString& bytes) {
    if (blockBytes == 0 || blockBytes > 256) {
        throw std::invalid_argument("padESP: block size of " + std::to_string(blockBytes) +
                                    " bytes is outside 1..256");
    }
    const std::size_t padCount = (blockBytes - (bytes.size() + 1) % blockBytes) % blockBytes;
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size() + padCount + 1);
    out.insert(out.end(), bytes.begin(), bytes.end());
    for (std::size_t i = 1; i <= padCount; ++i) out.push_back(static_cast<std::uint8_t>(i));
    out.push_back(static_cast<std::uint8_t>(padCount));
    return ByteString(std::move(out));
}

// Pads to whole blocks of the cipher K.
template <BlockCipher K>
ByteString padESPBlockSize(const ByteString& bytes) {
    return padESP(blockBytes<K>(), bytes);
}

// Undoes padESP: none when the input is empty, when its last byte n leaves
// fewer than n bytes before it, or when those n bytes are not 1, 2, ..., n.
inline std::optional<ByteString> unpadESP(const ByteString& bytes) {
    if (bytes.empty()) return std::nullopt;
    const std::size_t padCount = bytes[bytes.size() - 1];
    if (padCount + 1 > bytes.size()) return std::nullopt;
    const std::size_t messageLength = bytes.size() - 1 - padCount;
    for (std::size_t i = 1; i <= padCount; ++i) {
        if (bytes[messageLength + i - 1] != i) return std::nullopt;
    }
    return bytes.take(messageLength);
}

}  // namespace zelkor
