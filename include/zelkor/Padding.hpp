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

// PKCS#7 padding: n bytes of value n, 1 <= n <= blockBytes, the smallest n that
// makes the total a whole number of blocks (a whole block of padding for
// input that already is). A block of 0 bytes or of more than 255 is refused.
inline ByteString padPKCS7(std::size_t blockBytes, const ByteString& bytes) {
    if (blockBytes == 0 || blockBytes > 255) {
        throw std::invalid_argument("padPKCS7: block size of " + std::to_string(blockBytes) +
                                    " bytes is outside 1..255");
    }
    const std::size_t padCount = blockBytes - bytes.size() % blockBytes;
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size() + padCount);
    out.insert(out.end(), bytes.begin(), bytes.end());
    out.insert(out.end(), padCount, static_cast<std::uint8_t>(padCount));
    return ByteString(std::move(out));
}

// Undoes padPKCS7: none unless the input is a non-empty whole number of
// blocks whose last byte n is 1..blockBytes and whose last n bytes all hold n.
// Every pad byte is looked at whatever an earlier one held.
inline std::optional<ByteString> unpadPKCS7(std::size_t blockBytes, const ByteString& bytes) {
    if (blockBytes == 0 || bytes.empty() || bytes.size() % blockBytes != 0) return std::nullopt;
    const std::size_t padCount = bytes[bytes.size() - 1];
    if (padCount == 0 || padCount > blockBytes) return std::nullopt;
    unsigned differ = 0;
    for (std::size_t i = bytes.size() - padCount; i < bytes.size(); ++i) differ |= bytes[i] ^ padCount;
    if (differ != 0) return std::nullopt;
    return bytes.take(bytes.size() - padCount);
}

}  // namespace zelkor
